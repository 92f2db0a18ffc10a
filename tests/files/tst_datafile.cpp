// The data-file format on its own: the exact bytes written, and what the reader accepts or refuses.
#include "FileFixtures.h"
#include "support/TestRegistry.h"

#include "files/DataFile.h"

#include <QTest>

using namespace FileFixtures;
using DataFile::ParseError;
using DataFile::Version;

Q_DECLARE_METATYPE(DataFile::ParseError)
Q_DECLARE_METATYPE(DataFile::Version)

class TestDataFile : public QObject
{
    Q_OBJECT

private slots:
    void startupConfigurationBytes()
    {
        const QByteArray expected =
            "TORVA_DATA_V2\r\n"
            " 30 \r\n 0 \r\n 30 \r\n 0 \r\n 30 \r\n 0 \r\n 30 \r\n 0 \r\n"
            " 30 \r\n 0 \r\n 30 \r\n 0 \r\n 30 \r\n 0 \r\n 30 \r\n 0 \r\n"
            " 1 \r\n 1 \r\n 1 \r\n"
            " 0 \r\n 0 \r\n"
            " 0 \r\n 0 \r\n"
            " 66 \r\n 67 \r\n 67 \r\n 67 \r\n 65 \r\n 66 \r\n 66 \r\n 65 \r\n"
            " 1 \r\n";
        QCOMPARE(DataFile::format(startupContent()), expected);
    }

    // Every line a different value, so that any two items written or read in each other's place
    // show up.
    void everyItemOnItsOwnLine()
    {
        DataFileContent content;
        for (int i = 0; i < 8; ++i) {
            content.items.CommandMatrix[i] = std::uint8_t(10 + i);
            content.items.AlarmModes[i] = std::uint8_t(20 + i);
        }
        content.items.FunctionTypes = {31, 32, 33};
        content.items.RelayMatrix = {41, 255};
        content.items.Output12vMode = 51;
        content.items.AesChoice = 52;
        content.codes = {QStringLiteral("ABCA"), QStringLiteral("CBAB")};
        content.UpCardPresent = 0;

        const QByteArray expected = joinLines({"TORVA_DATA_V2",
            " 10 ", " 20 ", " 11 ", " 21 ", " 12 ", " 22 ", " 13 ", " 23 ",
            " 14 ", " 24 ", " 15 ", " 25 ", " 16 ", " 26 ", " 17 ", " 27 ",
            " 31 ", " 32 ", " 33 ", " 41 ", " 255 ", " 51 ", " 52 ",
            " 65 ", " 67 ", " 66 ", " 66 ", " 67 ", " 65 ", " 65 ", " 66 ",
            " 0 "});
        QCOMPARE(DataFile::format(content), expected);

        const DataFile::ParseResult back = DataFile::parse(expected, Version::V2);
        QVERIFY(back.ok());
        QCOMPARE(*back.content, content);
    }

    void acceptedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QList<QByteArray> fields = startupFields();

        QTest::newRow("as written") << DataFile::format(startupContent());
        QTest::newRow("no blanks") << joinLines(fields);
        QList<QByteArray> padded;
        for (const QByteArray &f : fields)
            padded << "\t  " + f + "   \t";
        QTest::newRow("tabs and many blanks") << joinLines(padded);
        QTest::newRow("LF line ends") << joinLines(fields, "\n");
        QTest::newRow("CR line ends") << joinLines(fields, "\r");
        QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + joinLines(fields);
        QTest::newRow("no line end after the last line") << joinLines(fields).chopped(2);
        static const char extra[] = "junk\r\n300\r\n\0\xff";
        QTest::newRow("lines after the last one")
            << joinLines(fields) + QByteArray(extra, sizeof extra - 1);
        QTest::newRow("leading zeros") << joinLines(fields).replace("\r\n30\r\n", "\r\n030\r\n");

        QList<QByteArray> comma = fields;
        comma[1] = " 30 , 0 ";   // two fields on one line
        comma.removeAt(2);
        QTest::newRow("comma between two values") << joinLines(comma);
        QList<QByteArray> trailingComma = fields;
        trailingComma[1] = " 30 ,";
        QTest::newRow("comma closing a line") << joinLines(trailingComma);
    }

    void acceptedFiles()
    {
        QFETCH(QByteArray, bytes);
        const DataFile::ParseResult result = DataFile::parse(bytes, Version::V2);
        QCOMPARE(result.error, ParseError::None);
        QVERIFY(result.ok());
        QCOMPARE(*result.content, startupContent());
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Version>("version");
        QTest::addColumn<ParseError>("error");
        const QList<QByteArray> fields = startupFields();
        const auto with = [&](int line, const QByteArray &value) {
            QList<QByteArray> copy = fields;
            copy[line - 1] = value;
            return joinLines(copy);
        };
        const auto firstLines = [](const QList<QByteArray> &all, int count) {
            return joinLines(all.mid(0, count));
        };

        QTest::newRow("empty file") << QByteArray() << Version::V2 << ParseError::Incompatible;
        QTest::newRow("20 lines") << firstLines(fields, 20) << Version::V2 << ParseError::Incompatible;
        QTest::newRow("last line missing") << firstLines(fields, 32) << Version::V2
                                           << ParseError::Incompatible;
        QTest::newRow("value 300") << with(2, " 300 ") << Version::V2 << ParseError::Incompatible;
        QTest::newRow("negative value") << with(23, " -1 ") << Version::V2 << ParseError::Incompatible;
        QTest::newRow("word") << with(18, "RSC") << Version::V2 << ParseError::Incompatible;
        QTest::newRow("empty line") << with(5, "") << Version::V2 << ParseError::Incompatible;
        QTest::newRow("blank line") << with(33, "   ") << Version::V2 << ParseError::Incompatible;
        QTest::newRow("decimal point") << with(3, "1.0") << Version::V2 << ParseError::Incompatible;
        QTest::newRow("long number") << with(4, "99999999999999999999") << Version::V2
                                     << ParseError::Incompatible;
        QTest::newRow("NUL inside a number") << with(2, QByteArray("3\0", 2) + "0") << Version::V2
                                             << ParseError::Incompatible;
        QTest::newRow("code character 68") << with(32, "68") << Version::V2 << ParseError::Incompatible;
        QTest::newRow("lower-case code character") << with(28, "97") << Version::V2
                                                   << ParseError::Incompatible;
        QList<QByteArray> split = fields;
        split[1] = "30,0";   // one value too many shifts the codes onto other values
        QTest::newRow("comma adding a value") << joinLines(split) << Version::V2
                                              << ParseError::Incompatible;
        QTest::newRow("unknown mark") << with(1, "TORVA_DATA_V3") << Version::V2
                                      << ParseError::Incompatible;
        QTest::newRow("mark in lower case") << with(1, "torva_data_v2") << Version::V2
                                            << ParseError::Incompatible;
        QTest::newRow("binary") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0\0\0", 12) << Version::V2
                                << ParseError::Incompatible;

        const QList<QByteArray> v1 = startupFields("TORVA_DATA");
        QTest::newRow("version-1 file opened") << joinLines(v1) << Version::V2
                                               << ParseError::Version1File;
        QTest::newRow("version-2 file imported") << joinLines(fields) << Version::V1
                                                 << ParseError::Incompatible;
        QTest::newRow("version-1 file of 31 lines") << firstLines(v1, 31) << Version::V1
                                                    << ParseError::Incompatible;
        QList<QByteArray> v1Bad = v1;
        v1Bad[31] = "68";
        QTest::newRow("version-1 code character 68") << joinLines(v1Bad) << Version::V1
                                                     << ParseError::Incompatible;
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Version, version);
        QFETCH(ParseError, error);
        const DataFile::ParseResult result = DataFile::parse(bytes, version);
        QVERIFY(!result.ok());
        QCOMPARE(result.error, error);
    }

    void version1FileTakesTheCardAsPresent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QList<QByteArray> v1 = startupFields("TORVA_DATA");
        v1[1] = "5";    // loop 1: immediate UGA command and CMSI function 1
        v1[17] = "69";  // function 1: RSC_UGA with the auxiliary contact
        QTest::newRow("32 lines") << joinLines(v1);
        QTest::newRow("a 33rd line saying absent") << joinLines(v1 << "0");
    }

    void version1FileTakesTheCardAsPresent()
    {
        QFETCH(QByteArray, bytes);
        const DataFile::ParseResult result = DataFile::parse(bytes, Version::V1);
        QVERIFY(result.ok());
        DataFileContent expected = startupContent();
        expected.items.CommandMatrix[0] = 5;
        expected.items.FunctionTypes[0] = 69;
        QCOMPARE(*result.content, expected);
    }
};

TORVA_TEST(TestDataFile)
#include "tst_datafile.moc"
