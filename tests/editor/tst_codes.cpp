#include "EditorFixture.h"
#include "editor/CodeEdit.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>

#include <functional>

namespace {

const QString kTitle = QStringLiteral("ERREUR DE SAISIE");
const QString kShort = kTitle + QStringLiteral("|Les codes doivent avoir 4 lettres !");
const QString kEqual = kTitle + QStringLiteral("|Les deux codes doivent être différents !");

void loseFocus(QWidget *box, Qt::FocusReason reason)
{
    QFocusEvent event(QEvent::FocusOut, reason);
    QApplication::sendEvent(box, &event);
}

// Prompts whose message box takes the focus from the box being checked, as a real one does.
class FocusStealingPrompts : public FakePrompts
{
public:
    std::function<void()> onMessage;
    void message(const QString &text, const QString &title, Icon icon, const QString &details) override
    {
        FakePrompts::message(text, title, icon, details);
        if (onMessage)
            onMessage();
    }
};

} // namespace

class AccessCodesTest : public QObject
{
    Q_OBJECT

private slots:
    void typing_data();
    void typing();
    void typingOverASelectionInAFullBox();
    void pasteIsRefused();
    void validation_data();
    void validation();
    void focusLossToAMessageOrMenuDoesNotValidate_data();
    void focusLossToAMessageOrMenuDoesNotValidate();
    void messageTakingTheFocusValidatesOnce();
    void leavingTheBoxForAnother();
};

void AccessCodesTest::typing_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");

    QTest::newRow("lower case becomes upper case") << 0 << "" << "abc" << "ABC";
    QTest::newRow("upper case passes") << 1 << "" << "CAB" << "CAB";
    QTest::newRow("fifth letter refused") << 0 << "BCAB" << "a" << "BCAB";
    QTest::newRow("letters after the fourth refused") << 1 << "A" << "bcabca" << "ABCA";
    QTest::newRow("D refused") << 0 << "AB" << "Dd" << "AB";
    QTest::newRow("digits refused") << 0 << "AB" << "1239" << "AB";
    QTest::newRow("blank refused") << 1 << "AB" << " " << "AB";
    QTest::newRow("other letters refused") << 1 << "" << "xyZ!-" << "";
    QTest::newRow("backspace in a full box") << 0 << "BCAB" << "\b" << "BCA";
    QTest::newRow("backspace then a letter") << 1 << "CCBA" << "\bc" << "CCBC";
    QTest::newRow("backspace in an empty box") << 0 << "" << "\b\ba" << "A";
}

void AccessCodesTest::typing()
{
    QFETCH(int, box);
    QFETCH(QString, initial);
    QFETCH(QString, keys);
    QFETCH(QString, text);

    EditorFixture f;
    f.window.setCode(box, initial);
    QVERIFY(f.session.ConfigSaved);   // the program's own setting is no key
    CodeEdit *edit = f.window.Text_Niveau[box];
    edit->end(false);
    QTest::keyClicks(edit, keys);
    QCOMPARE(f.window.code(box), text);
    QCOMPARE(f.window.code(1 - box), QLatin1String(kDefaultCodes[1 - box]));
    QVERIFY(!f.session.ConfigSaved);   // every key counts as an edit, refused or not
    QVERIFY(f.prompts.shown.isEmpty());
}

void AccessCodesTest::typingOverASelectionInAFullBox()
{
    EditorFixture f;
    CodeEdit *edit = f.window.Text_Niveau[0];
    edit->setSelection(1, 2);
    QTest::keyClick(edit, 'a');
    QCOMPARE(f.window.code(0), QStringLiteral("BCAB"));
    f.window.setCode(0, QStringLiteral("BCA"));
    edit->setSelection(0, 2);
    QTest::keyClick(edit, 'c');
    QCOMPARE(f.window.code(0), QStringLiteral("CA"));
}

void AccessCodesTest::pasteIsRefused()
{
    EditorFixture f;
    CodeEdit *edit = f.window.Text_Niveau[0];
    f.window.setCode(0, QString());
    QApplication::clipboard()->setText(QStringLiteral("xyz12"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(f.window.code(0), QString());
}

void AccessCodesTest::validation_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("code0");
    QTest::addColumn<QString>("code1");
    QTest::addColumn<bool>("byEnter");   // otherwise by leaving the box
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("after0");
    QTest::addColumn<QString>("after1");

    const QStringList none;
    QTest::newRow("valid codes, Enter") << 0 << "ABCA" << "CCBA" << true << none << "ABCA" << "CCBA";
    QTest::newRow("valid codes, leaving") << 1 << "ABCA" << "CCBB" << false << none << "ABCA" << "CCBB";
    QTest::newRow("two letters, Enter") << 0 << "BC" << "CCBA" << true << QStringList{kShort} << "BC" << "CCBA";
    QTest::newRow("empty box, leaving") << 1 << "BCAB" << "" << false << QStringList{kShort} << "BCAB" << "";
    QTest::newRow("short box 0 checked from box 1")
        << 1 << "BC" << "CCBA" << true << none << "BC" << "CCBA";
    QTest::newRow("equal codes, leaving box 1")
        << 1 << "BCAB" << "BCAB" << false << QStringList{kEqual} << "BCAB" << "CCBA";
    QTest::newRow("equal codes, Enter in box 1")
        << 1 << "ABAB" << "ABAB" << true << QStringList{kEqual} << "ABAB" << "CCBA";
    QTest::newRow("equal codes, Enter in box 0")
        << 0 << "ABAB" << "ABAB" << true << QStringList{kEqual} << "BCAB" << "ABAB";
    QTest::newRow("box 0 reset to a default equal to box 1")
        << 0 << "BCAB" << "BCAB" << true << QStringList{kEqual} << "BCAB" << "BCAB";
    QTest::newRow("short and equal: both messages")
        << 0 << "AB" << "AB" << true << QStringList{kShort, kEqual} << "BCAB" << "AB";
}

void AccessCodesTest::validation()
{
    QFETCH(int, box);
    QFETCH(QString, code0);
    QFETCH(QString, code1);
    QFETCH(bool, byEnter);
    QFETCH(QStringList, messages);
    QFETCH(QString, after0);
    QFETCH(QString, after1);

    EditorFixture f;
    f.window.setCode(0, code0);
    f.window.setCode(1, code1);
    if (byEnter)
        QTest::keyClick(f.window.Text_Niveau[box], Qt::Key_Return);
    else
        loseFocus(f.window.Text_Niveau[box], Qt::TabFocusReason);
    QCOMPARE(f.prompts.messages(), messages);
    for (const FakePrompts::Shown &shown : f.prompts.shown)
        QCOMPARE(shown.icon, Prompts::Icon::Warning);
    QCOMPARE(f.window.code(0), after0);
    QCOMPARE(f.window.code(1), after1);
    QCOMPARE(f.session.ConfigSaved, !byEnter);   // Enter is a key; leaving the box is not
}

void AccessCodesTest::focusLossToAMessageOrMenuDoesNotValidate_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("messages");
    QTest::newRow("message box or other window") << int(Qt::ActiveWindowFocusReason) << 0;
    QTest::newRow("menu") << int(Qt::PopupFocusReason) << 0;
    QTest::newRow("mouse to another control") << int(Qt::MouseFocusReason) << 1;
    QTest::newRow("Tab") << int(Qt::TabFocusReason) << 1;
}

void AccessCodesTest::focusLossToAMessageOrMenuDoesNotValidate()
{
    QFETCH(int, reason);
    QFETCH(int, messages);
    EditorFixture f;
    f.window.setCode(1, QStringLiteral("CC"));
    loseFocus(f.window.Text_Niveau[1], Qt::FocusReason(reason));
    QCOMPARE(f.prompts.messages().size(), messages);
}

void AccessCodesTest::messageTakingTheFocusValidatesOnce()
{
    FocusStealingPrompts prompts;
    Session session;
    Link link(prompts, [](const PortChoice &) { return std::unique_ptr<SerialPort>(); });
    MainWindow window(session, link, prompts);
    prompts.onMessage = [&] { loseFocus(window.Text_Niveau[0], Qt::OtherFocusReason); };
    window.setCode(0, QStringLiteral("CCBA"));
    QTest::keyClick(window.Text_Niveau[0], Qt::Key_Enter);
    QCOMPARE(prompts.messages(), QStringList{kEqual});
    QCOMPARE(window.code(0), QStringLiteral("BCAB"));
}

void AccessCodesTest::leavingTheBoxForAnother()
{
    EditorFixture f;
    f.window.show();
    QApplication::setActiveWindow(&f.window);
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    CodeEdit *box1 = f.window.Text_Niveau[1];
    box1->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(box1->hasFocus());
    box1->end(false);
    QTest::keyClicks(box1, QStringLiteral("\b\b\b\bbcab"));
    QCOMPARE(f.window.code(1), QStringLiteral("BCAB"));
    QVERIFY(f.prompts.shown.isEmpty());
    f.window.Text_Niveau[0]->setFocus(Qt::MouseFocusReason);
    QCOMPARE(f.prompts.messages(), QStringList{kEqual});
    QCOMPARE(f.window.code(1), QStringLiteral("CCBA"));
}

#include "tst_codes.moc"
TORVA_TEST(AccessCodesTest)
