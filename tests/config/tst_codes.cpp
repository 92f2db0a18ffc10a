// The access codes: the letters as the panel holds them, and the rule the editor, Save and the
// send apply to the two codes.
#include "support/TestRegistry.h"

#include "config/CodesRule.h"
#include "config/PanelConfig.h"

#include <QTest>

#include <optional>

using Codes = std::array<QString, 2>;
using Fault = CodesRule::Fault;
using Incomplete = std::array<bool, 2>;
using Byte = std::optional<std::uint8_t>;
using Letter = std::optional<QChar>;
Q_DECLARE_METATYPE(Codes)
Q_DECLARE_METATYPE(Incomplete)
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

    void rule_data()
    {
        QTest::addColumn<Codes>("codes");
        QTest::addColumn<Incomplete>("incomplete");
        QTest::addColumn<bool>("equal");
        QTest::addColumn<Fault>("first");
        const auto row = [](const char *name, const char *level2, const char *level3, Incomplete incomplete,
                            bool equal, Fault first) {
            QTest::newRow(name) << Codes{QString::fromLatin1(level2), QString::fromLatin1(level3)}
                                << incomplete << equal << first;
        };
        row("delivery codes", "BCAB", "CCBA", {false, false}, false, Fault::None);
        row("level 2 of three letters", "BCA", "CCBA", {true, false}, false, Fault::TooShort);
        row("level 3 empty", "BCAB", "", {false, true}, false, Fault::TooShort);
        row("level 3 of five letters", "BCAB", "CCBAA", {false, true}, false, Fault::TooShort);
        row("level 2 holding a D", "BCAD", "CCBA", {true, false}, false, Fault::TooShort);
        row("two equal codes", "ABCA", "ABCA", {false, false}, true, Fault::Equal);
        row("two equal short codes: short first", "AB", "AB", {true, true}, true, Fault::TooShort);
    }
    void rule()
    {
        QFETCH(Codes, codes);
        const CodesRule::Check check = CodesRule::check(codes);
        QTEST(check.incomplete, "incomplete");
        QTEST(check.equal, "equal");
        QTEST(check.first(), "first");
    }
};

TORVA_TEST(TestCodes)
#include "tst_codes.moc"
