// The access codes: the letters as the panel holds them.
#include "support/TestRegistry.h"

#include "config/PanelConfig.h"

#include <QTest>

#include <optional>

using Byte = std::optional<std::uint8_t>;
using Letter = std::optional<QChar>;
Q_DECLARE_METATYPE(Byte)
Q_DECLARE_METATYPE(Letter)

class TestCodes : public QObject
{
    Q_OBJECT

private slots:
    // A letter and the panel's byte for it, both ways: a byte off by one would put another code
    // into the panel than the one shown.
    void letterBytes_data()
    {
        QTest::addColumn<QChar>("letter");
        QTest::addColumn<Byte>("byte");
        QTest::newRow("A") << QChar(u'A') << Byte(3);
        QTest::newRow("B") << QChar(u'B') << Byte(4);
        QTest::newRow("C") << QChar(u'C') << Byte(5);
        QTest::newRow("D, after the letters") << QChar(u'D') << Byte();
        QTest::newRow("lower-case a") << QChar(u'a') << Byte();
        QTest::newRow("@, before A") << QChar(u'@') << Byte();
    }
    void letterBytes()
    {
        QFETCH(QChar, letter);
        QFETCH(Byte, byte);
        QCOMPARE(PanelConfig::codeByte(letter), byte);
        QCOMPARE(PanelConfig::isCodeLetter(letter), byte.has_value());
        if (byte)
            QCOMPARE(PanelConfig::codeLetter(*byte), Letter(letter));
    }

    // The bytes either side of the letters' are no letter: a reply holding one is refused.
    void bytesBesideTheLetters_data()
    {
        QTest::addColumn<int>("byte");
        QTest::newRow("0") << 0;
        QTest::newRow("2, below A") << 2;
        QTest::newRow("6, above C") << 6;
        QTest::newRow("'A' as text") << int('A');
    }
    void bytesBesideTheLetters()
    {
        QFETCH(int, byte);
        QCOMPARE(PanelConfig::codeLetter(std::uint8_t(byte)), Letter());
    }
};

TORVA_TEST(TestCodes)
#include "tst_codes.moc"
