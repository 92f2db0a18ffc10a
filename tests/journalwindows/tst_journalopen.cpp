// The journal from the main window, against the emulated panel: each receive and send leaves its
// entry, a failed send one that says so, a journal that cannot be written only a warning; and
// "Ouvrir dans l'éditeur" puts the panel's earlier configuration back in the editor, as "Ouvrir"
// opens a file, after the leave question's offer to save.
#include "support/JournalFixtures.h"
#include "support/TestRegistry.h"
#include "support/WindowFixture.h"

#include "config/Differences.h"
#include "journalwindows/JournalFrm.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString kSerial = QStringLiteral("020712345"); // the emulated panel's

struct JournalBench : WindowFixture
{
    TemporaryJournal journalFolder;

    JournalBench()
    {
        window.show();
        window.setCodes({QStringLiteral("AAAB"), QStringLiteral("CCCA")});
    }

    // The panel holds `config`, in the editor's words.
    bool panelHolds(const PanelConfig &config) const
    {
        return differences(configOf(panel.state), config).isEmpty();
    }

    QList<JournalEntry> entries() const { return journalFolder.journal().entries(); }

    // Opens the journal from its menu item and, once the window is up, lets `act` work in it.
    // True when the journal window stayed open after `act` (then it is closed).
    bool inJournal(const std::function<void(JournalFrm &)> &act)
    {
        bool stayed = false, shown = false;
        auto *poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
            auto *frm = qobject_cast<JournalFrm *>(QApplication::activeModalWidget());
            if (!frm)
                return;
            poll->deleteLater();
            shown = true;
            act(*frm);
            stayed = frm->isVisible();
            frm->reject();
        });
        poll->start(10);
        window.commands().Journal_Menu->trigger();
        if (!shown)
            qFatal("the journal window did not open");
        return stayed;
    }

    // In the journal window: chooses the newest entry of `operation`, then opens its
    // configuration before.
    static void openBefore(JournalFrm &frm, JournalEntry::Operation operation)
    {
        for (int row = 0; row < frm.Table_Entries->rowCount(); ++row) {
            frm.Table_Entries->selectRow(row);
            if (frm.chosenEntry()->operation == operation)
                break;
        }
        frm.Command_OpenBefore->click();
    }

    // Receives the panel's configuration, changes loop 3's alarm mode and sends it: the journal
    // then holds the receive and the send. The configuration received.
    PanelConfig receiveChangeSend()
    {
        commands.receive();
        const PanelConfig received = window.configuration();
        control<QRadioButton>(window, QStringLiteral("Mode_Discrim(2)"))->setChecked(true);
        commands.send();
        return received;
    }
};

Message journalWarning(const QString &why)
{
    return {Prompts::Icon::Warning, QStringLiteral("JOURNAL DES INTERVENTIONS"),
            QStringLiteral("Le journal n'a pas pu être écrit : %1").arg(why)};
}

} // namespace

using Spoil = std::function<void(JournalBench &)>;
Q_DECLARE_METATYPE(Spoil)

class JournalOpenTest : public QObject
{
    Q_OBJECT

private slots:
    // Receive, change, send: the send's entry holds what the panel had before, byte for byte as
    // the receive read it, and what was sent. Its configuration before, opened in the editor,
    // is the panel's earlier one, as read on that panel. An unsaved configuration is offered a
    // save first, as on leaving; a save refused, failed or cancelled opens nothing.
    void openBeforeOfSend_data()
    {
        QTest::addColumn<bool>("saved");     // ConfigSaved when the journal is opened
        QTest::addColumn<bool>("answer");    // to the question
        QTest::addColumn<QString>("target"); // the file chosen to save in; empty: cancelled
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QList<Message>>("messages");
        const QList<Message> none;
        QTest::newRow("saved: opens, no question") << true << false << "" << true << none;
        QTest::newRow("unsaved, Yes: saved, then opens") << false << true << "edited.dat" << true << none;
        QTest::newRow("unsaved, Yes, dialog cancelled: nothing opened")
            << false << true << "" << false << none;
        QTest::newRow("unsaved, Yes, save failed: nothing opened")
            << false << true << "." << false << QList<Message>{Msg::cannotSave()};
    }
    void openBeforeOfSend()
    {
        QFETCH(bool, saved);
        QFETCH(bool, answer);
        QFETCH(QString, target);
        QFETCH(bool, opened);
        QFETCH(QList<Message>, messages);
        JournalBench b;
        const PanelConfig received = b.receiveChangeSend();
        const PanelConfig edited = b.window.configuration();
        QVERIFY(received != edited);
        QVERIFY(b.panelHolds(edited));
        QCOMPARE(b.prompts.messages(), QList<Message>());

        const QList<JournalEntry> entries = b.entries();
        QCOMPARE(entries.size(), 2);
        const JournalEntry &send = entries[0], &receive = entries[1];
        QCOMPARE(send.operation, JournalEntry::Operation::Send);
        QCOMPARE(send.outcome, QStringLiteral("done"));
        QVERIFY(send.before && receive.before);
        QCOMPARE(*send.before, *receive.before);
        QCOMPARE(send.sent, std::optional(DataFile::format(edited)));

        // Since then, say, a file was opened: the editor's configuration is no panel's.
        b.session.SourcePanelSerial.reset();
        b.session.ConfigSaved = saved;
        const QTemporaryDir dir;
        b.prompts.clear();
        b.prompts.yesNoAnswers = {answer};
        b.prompts.fileAnswers = {target.isEmpty() ? QString() : QDir(dir.path()).filePath(target)};
        const bool stayed = b.inJournal(
            [](JournalFrm &frm) { JournalBench::openBefore(frm, JournalEntry::Operation::Send); });

        QCOMPARE(stayed, !opened);
        QCOMPARE(b.window.configuration(), opened ? received : edited);
        const QList<FakePrompts::Shown> question{
            {FakePrompts::Shown::Kind::Question,
             QStringLiteral("DESIREZ-VOUS SAUVEGARDER CETTE CONFIGURATION ?"),
             QStringLiteral("FICHIER DONNEES"),
             Prompts::Icon::Critical,
             {}}};
        QCOMPARE(b.prompts.shown.mid(0, 1), saved ? QList<FakePrompts::Shown>{} : question);
        QCOMPARE(b.prompts.messages(), messages);
        QCOMPARE(b.session.SourcePanelSerial, opened ? std::optional(kSerial) : std::optional<QString>());
        if (opened)
            QCOMPARE(b.session.DataFileName, std::optional(b.journalFolder.journal().beforePath(send)));
        // A save said yes to wrote the configuration being replaced.
        QCOMPARE(QFileInfo(QDir(dir.path()).filePath(QStringLiteral("edited.dat"))).isFile(),
                 target == QLatin1String("edited.dat"));
        QVERIFY(b.panelHolds(edited)); // opening sends nothing
    }

    // A configuration opened from a panel's journal goes to another panel only after the
    // question; one opened from a file since, without it.
    void otherPanelAsked_data()
    {
        QTest::addColumn<bool>("otherPanel"); // the panel connected for the send
        QTest::addColumn<bool>("thenFile");   // a data file opened after the journal's
        QTest::addColumn<bool>("asked");
        QTest::newRow("from the journal, the same panel: not asked") << false << false << false;
        QTest::newRow("from the journal, another panel: asked") << true << false << true;
        QTest::newRow("from a file since, another panel: not asked") << true << true << false;
    }
    void otherPanelAsked()
    {
        QFETCH(bool, otherPanel);
        QFETCH(bool, thenFile);
        QFETCH(bool, asked);
        JournalBench b;
        const PanelConfig received = b.receiveChangeSend();
        b.session.ConfigSaved = true;
        QVERIFY(!b.inJournal(
            [](JournalFrm &frm) { JournalBench::openBefore(frm, JournalEntry::Operation::Send); }));
        const QTemporaryDir dir;
        if (thenFile) {
            const QString path = QDir(dir.path()).filePath(QStringLiteral("site.dat"));
            QVERIFY(FileCommands::writeFile(path, DataFile::format(received)));
            b.prompts.fileAnswers = {path};
            b.window.commands().Open_Menu->trigger();
            QCOMPARE(b.window.configuration(), received);
        }
        if (otherPanel)
            b.panel.state.ecsSerial[1] = 0x3A; // another unit of the same series
        b.prompts.clear();
        b.prompts.yesNoAnswers = {false};
        b.commands.send();

        QList<FakePrompts::Shown> questions;
        for (const FakePrompts::Shown &shown : b.prompts.shown)
            if (shown.kind == FakePrompts::Shown::Kind::Question)
                questions << shown;
        QCOMPARE(questions.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(questions[0].title, QStringLiteral("AUTRE ECS"));
            QVERIFY2(questions[0].text.startsWith(
                         QStringLiteral("Cette configuration a été lue sur l'ECS N° %1 ;").arg(kSerial)),
                     qPrintable(questions[0].text));
        }
        // No to the question writes nothing, and the journal says why.
        QCOMPARE(b.panelHolds(received), !asked);
        QCOMPARE(b.entries().constFirst().outcome,
                 asked ? QStringLiteral("otherPanel") : QStringLiteral("done"));
    }

    // A send that fails leaves an entry saying how, as the journal window lists it: the message
    // the installer saw, or "abandonné" for the main window closed during the send.
    void failedSendListed_data()
    {
        QTest::addColumn<Spoil>("spoil");
        QTest::addColumn<bool>("closeDuring"); // the main window closed while a write waits
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("shown"); // in the window's outcome column
        QTest::addColumn<QList<Message>>("messages");
        const auto fault = [](FaultRule rule) {
            return Spoil([rule](JournalBench &b) { b.panel.addFault(rule); });
        };
        QTest::newRow("silent panel") << fault({Fault::Silence}) << false << "noReply"
                                      << "Pas de réponse de l'ECS !" << QList<Message>{Msg::timeOut()};
        QTest::newRow("manual mode") << Spoil([](JournalBench &b) { b.panel.state.manualMode = true; })
                                     << false << "manualMode"
                                     << "Le mode de configuration manuelle est engagé, accès PC interdit !"
                                     << QList<Message>{Msg::manualMode()};
        QTest::newRow("second relay read back otherwise")
            << fault({Fault::ReadBackDiffers, 12, 1}) << false << "verifyFailed"
            << "Erreur de transfert, Configuration Invalide !" << QList<Message>{Msg::transferError()};
        QTest::newRow("window closed during a write") << fault({Fault::Silence, 22, 2}) << true << "aborted"
                                                      << "abandonné" << QList<Message>{};
    }
    void failedSendListed()
    {
        QFETCH(Spoil, spoil);
        QFETCH(bool, closeDuring);
        QFETCH(QString, outcome);
        QFETCH(QString, shown);
        QFETCH(QList<Message>, messages);
        JournalBench b;
        control<QRadioButton>(b.window, QStringLiteral("Mode_Discrim(2)"))->setChecked(true);
        spoil(b);
        QTimer poll;
        if (closeDuring) {
            b.prompts.yesNoAnswers = {false}; // the leave question
            QObject::connect(&poll, &QTimer::timeout, [&b, &poll] {
                const QList<QByteArray> frames = b.panel.requests();
                if (!frames.isEmpty() && quint8(frames.last()[2]) == 22 && quint8(frames.last()[3]) == 2) {
                    poll.stop();
                    b.window.close();
                }
            });
            poll.start(10);
        }
        // The journal cannot be opened while the send runs: its "Ouvrir dans l'éditeur" would
        // change the editor under it.
        std::optional<bool> journalUsable;
        b.prompts.onShown = [&b, &journalUsable](const FakePrompts::Shown &shown) {
            if (shown.kind == FakePrompts::Shown::Kind::Message && !journalUsable)
                journalUsable = b.window.commands().Journal_Menu->isEnabled();
        };
        b.commands.send();
        if (closeDuring)
            QTRY_VERIFY(!b.window.isVisible());
        QCOMPARE(b.prompts.messages(), messages);
        QCOMPARE(journalUsable, messages.isEmpty() ? std::optional<bool>() : std::optional(false));
        QCOMPARE(b.window.commands().Journal_Menu->isEnabled(), true);

        const QList<JournalEntry> entries = b.entries();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].outcome, outcome);
        QVERIFY(!entries[0].damaged);
        const Journal journal = b.journalFolder.journal();
        JournalFrm frm(journal, {});
        QCOMPARE(frm.Table_Entries->rowCount(), 1);
        QCOMPARE(frm.Table_Entries->item(0, JournalFrm::Operation)->text(), QStringLiteral("Envoi"));
        QCOMPARE(frm.Table_Entries->item(0, JournalFrm::Outcome)->text(), shown);
    }

    // A journal folder that cannot be written: the procedure ends as it would have, with its own
    // messages, then the warning; the panel and the editor are as the procedure left them.
    void journalNotWritten_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<Spoil>("spoil");
        QTest::addColumn<QList<Message>>("before"); // the procedure's own messages
        QTest::addColumn<bool>("written");          // the send wrote the editor's configuration
        const Spoil none = [](JournalBench &) {};
        QTest::newRow("receive done") << false << none << QList<Message>{} << false;
        QTest::newRow("send done") << true << none << QList<Message>{} << true;
        QTest::newRow("send, verification failed") << true << Spoil([](JournalBench &b) {
            b.panel.addFault({Fault::ReadBackDiffers, 27});
        }) << QList<Message>{Msg::transferError()} << true;
    }
    void journalNotWritten()
    {
        QFETCH(bool, send);
        QFETCH(Spoil, spoil);
        QFETCH(QList<Message>, before);
        QFETCH(bool, written);
        JournalBench b;
        const QString notAFolder = QDir(b.journalFolder.path()).filePath(QStringLiteral("journal"));
        QVERIFY(FileCommands::writeFile(notAFolder, "not a folder\n"));
        JournalSettings::setFolder(notAFolder); // TemporaryJournal puts it back
        b.panel.state.alarmModes[1] = 1;        // the panel differs from the editor
        control<QRadioButton>(b.window, QStringLiteral("Mode_Discrim(2)"))->setChecked(true);
        const PanelConfig editor = b.window.configuration();
        const PanelConfig panelBefore = configOf(b.panel.state);
        spoil(b);
        if (send)
            b.commands.send();
        else
            b.commands.receive();

        const QString folder =
            QDir::toNativeSeparators(QDir(notAFolder).filePath(QStringLiteral("ECS-simulee-") + kSerial));
        QCOMPARE(b.prompts.messages(),
                 before +
                     QList{journalWarning(QStringLiteral("impossible de créer le dossier %1").arg(folder))});
        QVERIFY(b.panelHolds(written ? editor : panelBefore));
        QVERIFY(differences(b.window.configuration(), send ? editor : panelBefore).isEmpty());
        QVERIFY(QFileInfo(notAFolder).isFile());
    }
};

TORVA_TEST(JournalOpenTest)
#include "tst_journalopen.moc"
