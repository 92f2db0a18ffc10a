// The "INTERVENANT" window: the names and the journal's folder kept in the settings when
// confirmed, shown again the next time, the default folder as an empty field, and a folder that
// cannot be made refused with the window kept.
#include "support/FakePrompts.h"
#include "support/JournalFixtures.h"
#include "support/TestRegistry.h"

#include "journalwindows/IntervenantFrm.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

struct IntervenantForm
{
    QString technician, company, site;
    QString browsed; // what "Parcourir..." answers; empty: not pressed
    bool defaultPressed = false;
    QString typed; // typed into the folder's field after that; empty: nothing typed
};
Q_DECLARE_METATYPE(IntervenantForm)

class IntervenantTest : public QObject
{
    Q_OBJECT

private slots:
    // Each case starts from names and a folder kept before.
    void init()
    {
        QVERIFY(m_kept.isValid());
        Intervenant{QStringLiteral("Paul Durand"), QStringLiteral("Alarme Ouest"), QString()}.save();
        JournalSettings::setFolder(m_kept.path());
    }
    void cleanupTestCase()
    {
        Intervenant{}.save();
        JournalSettings::setFolder({});
    }

    void roundTrip_data()
    {
        QTest::addColumn<IntervenantForm>("form");
        QTest::addColumn<bool>("confirm");   // OK, else Annuler
        QTest::addColumn<bool>("accepted");  // the window closed, the settings written
        QTest::addColumn<QString>("folder"); // JournalSettings::folder() after, relative to m_temp;
                                             // "<kept>" the one kept before, "<default>" the default
        QTest::addColumn<QList<Message>>("messages");
        const QList<Message> none;
        const IntervenantForm named{
            "Élise Martin", "Sécurité Incendie Services", "Lycée Jean Moulin", {}, false, {}};
        IntervenantForm browsed = named;
        browsed.browsed = "partage/journal";
        IntervenantForm backToDefault = named;
        backToDefault.defaultPressed = true;
        IntervenantForm underAFile = named;
        underAFile.typed = "un-fichier/journal";
        IntervenantForm relative = named;
        relative.typed = "journal";
        QTest::newRow("names kept, folder unchanged") << named << true << true << "<kept>" << none;
        QTest::newRow("folder chosen with Parcourir") << browsed << true << true << "partage/journal" << none;
        QTest::newRow("back to the default folder") << backToDefault << true << true << "<default>" << none;
        QTest::newRow("Annuler keeps what was kept") << browsed << false << false << "<kept>" << none;
        QTest::newRow("folder under a file: refused, window kept")
            << underAFile << true << false << "<kept>"
            << QList<Message>{Msg::warning("INTERVENANT", "Le dossier du journal ne peut pas être créé : ")};
        QTest::newRow("relative folder: refused, window kept")
            << relative << true << false << "<kept>"
            << QList<Message>{Msg::warning("INTERVENANT", "Le dossier du journal ne peut pas être créé : ")};
    }
    void roundTrip()
    {
        QFETCH(IntervenantForm, form);
        QFETCH(bool, confirm);
        QFETCH(bool, accepted);
        QFETCH(QString, folder);
        QFETCH(QList<Message>, messages);
        const QTemporaryDir temp;
        QVERIFY(QFile(QDir(temp.path()).filePath(QStringLiteral("un-fichier"))).open(QIODevice::WriteOnly));
        const auto inTemp = [&temp](const QString &relative) {
            return QDir::cleanPath(QDir(temp.path()).filePath(relative));
        };
        FakePrompts prompts;
        IntervenantFrm frm(prompts);
        QCOMPARE(frm.Text_Technicien->text(), QStringLiteral("Paul Durand"));
        QCOMPARE(frm.Text_Dossier->text(), QDir::toNativeSeparators(m_kept.path()));
        QStringList browsedFrom;
        frm.chooseFolder = [&](const QString &start) {
            browsedFrom << start;
            return inTemp(form.browsed);
        };
        frm.Text_Technicien->setText(form.technician);
        frm.Text_Entreprise->setText(form.company);
        frm.Text_Site->setText(form.site);
        if (!form.browsed.isEmpty()) {
            QVERIFY(QDir().mkpath(inTemp(form.browsed)));
            frm.Command_Parcourir->click();
            QCOMPARE(browsedFrom, QStringList{QDir::toNativeSeparators(m_kept.path())});
        }
        if (form.defaultPressed)
            frm.Command_Defaut->click();
        if (!form.typed.isEmpty())
            frm.Text_Dossier->setText(form.typed == QLatin1String("journal") ? form.typed
                                                                             : inTemp(form.typed));
        frm.show();
        (confirm ? frm.Command_Ok : frm.Command_Cancel)->click();

        QCOMPARE(frm.isVisible(), !accepted && confirm);
        QList<Message> shown = prompts.messages();
        for (Message &m : shown)
            m.text = m.text.left(m.text.indexOf(QLatin1String(" : ")) + 3); // the folder named after
        QCOMPARE(shown, messages);
        const QString expected = folder == QLatin1String("<kept>")      ? m_kept.path()
                                 : folder == QLatin1String("<default>") ? Journal::defaultFolder()
                                                                        : inTemp(folder);
        QCOMPARE(JournalSettings::folder(), expected);
        const Intervenant kept = Intervenant::load();
        QCOMPARE(kept.technician, accepted ? form.technician : QStringLiteral("Paul Durand"));
        QCOMPARE(kept.company, accepted ? form.company : QStringLiteral("Alarme Ouest"));
        QCOMPARE(kept.site, accepted ? form.site : QString());

        // Shown again as kept: the default folder as an empty field.
        IntervenantFrm again(prompts);
        QCOMPARE(again.Text_Technicien->text(), kept.technician);
        QCOMPARE(again.Text_Site->text(), kept.site);
        QCOMPARE(again.Text_Dossier->text(),
                 expected == Journal::defaultFolder() ? QString() : QDir::toNativeSeparators(expected));
    }

private:
    QTemporaryDir m_kept;
};

TORVA_TEST(IntervenantTest)
#include "tst_intervenant.moc"
