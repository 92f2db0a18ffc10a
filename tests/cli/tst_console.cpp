// Standard error as torva-cli draws on it: the progress line redrawn in place, with the erase-line
// sequence or, on a console that would show the sequence, with blanks; never wider than the
// terminal, never left behind a message.
#include "support/TestRegistry.h"

#include "cli/Console.h"

#include <QTest>

namespace {

enum class Act { Draw, Clear, Print };

struct Step
{
    Act act = Act::Clear;
    QString text;
};

using Steps = QList<Step>;

} // namespace

Q_DECLARE_METATYPE(Terminal::LineRedraw)
Q_DECLARE_METATYPE(Steps)

class ConsoleTest : public QObject
{
    Q_OBJECT

private slots:
    void progressLine_data()
    {
        using Terminal::LineRedraw;
        QTest::addColumn<LineRedraw>("redraw");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("written"); // each write to standard error, in order
        const QString erase = QStringLiteral("\r\x1b[K");
        const QString timeOut = QStringLiteral("TIME OUT : Pas de réponse de l'ECS !");
        QTest::newRow("erase sequence: a shorter line after a longer")
            << LineRedraw::EraseSequence << 80 << false
            << Steps{{Act::Draw, "abcdef"}, {Act::Draw, "abc"}, {Act::Clear, {}}}
            << QStringList{erase + "abcdef", erase + "abc", erase};
        QTest::newRow("erase sequence: a message below the line")
            << LineRedraw::EraseSequence << 80 << false << Steps{{Act::Draw, "50 %"}, {Act::Print, timeOut}}
            << QStringList{erase + "50 %", erase, timeOut + "\n"};
        QTest::newRow("blanks: a shorter line after a longer")
            << LineRedraw::Blanks << 80 << false
            << Steps{{Act::Draw, "abcdef"}, {Act::Draw, "abc"}, {Act::Clear, {}}}
            << QStringList{"\rabcdef", "\rabc   ", "\r   \r"};
        QTest::newRow("blanks: a longer line after a shorter")
            << LineRedraw::Blanks << 80 << false << Steps{{Act::Draw, "abc"}, {Act::Draw, "abcdef"}}
            << QStringList{"\rabc", "\rabcdef"};
        // A line as wide as the console wraps: each redraw would leave one line behind.
        QTest::newRow("blanks: a line one column short of the width")
            << LineRedraw::Blanks << 6 << false << Steps{{Act::Draw, "abcdefgh"}, {Act::Clear, {}}}
            << QStringList{"\rabcde", "\r     \r"};
        QTest::newRow("blanks: a message with no line drawn")
            << LineRedraw::Blanks << 80 << false << Steps{{Act::Clear, {}}, {Act::Print, timeOut}}
            << QStringList{timeOut + "\n"};
        QTest::newRow("blanks: the line drawn again after a message")
            << LineRedraw::Blanks << 80 << false
            << Steps{{Act::Draw, "abcdef"}, {Act::Print, "x"}, {Act::Draw, "ab"}}
            << QStringList{"\rabcdef", "\r      \r", "x\n", "\rab"};
        QTest::newRow("not a terminal: the messages only")
            << LineRedraw::None << 80 << false
            << Steps{{Act::Draw, "abc"}, {Act::Clear, {}}, {Act::Print, timeOut}}
            << QStringList{timeOut + "\n"};
        QTest::newRow("--quiet: the messages only")
            << LineRedraw::Blanks << 80 << true << Steps{{Act::Draw, "abc"}, {Act::Print, timeOut}}
            << QStringList{timeOut + "\n"};
    }
    void progressLine()
    {
        QFETCH(Terminal::LineRedraw, redraw);
        QFETCH(int, columns);
        QFETCH(bool, quiet);
        QFETCH(Steps, steps);
        QFETCH(QStringList, written);
        QStringList found;
        Console console(
            quiet, {redraw, [columns] { return columns; }, [&found](const QString &text) { found << text; }});
        for (const Step &step : steps) {
            if (step.act == Act::Draw)
                console.drawProgress(step.text);
            else if (step.act == Act::Clear)
                console.clearProgress();
            else
                console.print(step.text);
        }
        QCOMPARE(found, written);
    }
};

TORVA_TEST(ConsoleTest)
#include "tst_console.moc"
