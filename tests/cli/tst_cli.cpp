// torva-cli as the installer runs it: the program against torva-ecs-sim on a pseudo-terminal,
// through the real QSerialPort, and against files; its exit status, what it prints, what it writes.
#include "support/PanelBench.h"
#include "support/PdfText.h"
#include "support/SimProcess.h"
#include "support/StickyFolder.h"
#include "support/TestRegistry.h"

#include "files/DataFile.h"
#include "journal/Journal.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

// Where torva-cli writes: results and help on standard output, messages on standard error.
enum class Stream { Out, Err };

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

// Starts torva-cli in `dir` (its emulated panel's state and its settings kept there too), without a
// display; under `locale` (LANG and LC_ALL) when given. "DEV" in the arguments stands for `device`.
void startCli(QProcess &process, const QTemporaryDir &dir, QStringList arguments, const QString &device = {},
              const QString &locale = {})
{
    arguments.replaceInStrings(QStringLiteral("DEV"), device);
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    if (!locale.isEmpty()) {
        env.insert(QStringLiteral("LANG"), locale);
        env.insert(QStringLiteral("LC_ALL"), locale);
    }
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TORVA_CLI_PATH), arguments);
    process.waitForStarted();
}

// What torva-cli did once it ended; sends SIGINT after `interruptAfter` ms when given.
Run finished(QProcess &process, int interruptAfter = -1)
{
#ifndef Q_OS_WIN
    if (interruptAfter >= 0 && !process.waitForFinished(interruptAfter))
        ::kill(pid_t(process.processId()), SIGINT);
#else
    Q_UNUSED(interruptAfter);
#endif
    process.waitForFinished(30000);
    // Windows ends lines of text with CR LF; what they say is the same on both systems.
    const auto text = [](const QByteArray &bytes) { return QString::fromUtf8(bytes).replace("\r\n", "\n"); };
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            text(process.readAllStandardOutput()), text(process.readAllStandardError())};
}

// Runs torva-cli as startCli() starts it, to its end.
Run cli(const QTemporaryDir &dir, const QStringList &arguments, const QString &device = {},
        int interruptAfter = -1, const QString &locale = {})
{
    QProcess process;
    startCli(process, dir, arguments, device, locale);
    return finished(process, interruptAfter);
}

QString write(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    QFile file(dir.filePath(QLatin1String(name)));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
}

std::optional<PanelConfig> readConfig(const QTemporaryDir &dir, const char *name)
{
    QFile file(dir.filePath(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return DataFile::parse(file.readAll(), DataFile::Version::V2).content;
}

// The start-up configuration with other codes.
PanelConfig otherConfig()
{
    PanelConfig c;
    c.AccessCodes = {QStringLiteral("ACBA"), QStringLiteral("BBCA")};
    return c;
}

// The value at `path` ("panel/version", "items/0") in a JSON document.
QJsonValue at(QJsonValue value, const QString &path)
{
    for (const QString &part : path.split(u'/')) {
        bool index = false;
        const int i = part.toInt(&index);
        value = index ? value.toArray().at(i) : value.toObject().value(part);
    }
    return value;
}

// A configuration with a value of each kind away from the start-up one: a discrimination, a double
// detection, a relay, the AES external.
PanelConfig showConfig()
{
    PanelConfig c = otherConfig();
    c.setAlarmMode(2, AlarmMode::Discrimination);
    c.setAlarmMode(4, AlarmMode::Double);
    c.setAlarmMode(5, AlarmMode::Double);
    c.setRelayFollows(1, 4, true);
    c.setAes(Aes::External);
    return c;
}

// The built-in panel starts from its state of origin: on Linux each run's state is in its own
// folder (XDG_DATA_HOME); on Windows it lives in the account's local application data, which no
// variable moves. torva-cli is not in the tests' test mode: its folder is the account's own.
void forgetBuiltInPanel()
{
#ifdef Q_OS_WIN
    QStandardPaths::setTestModeEnabled(false);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(data + QStringLiteral("/torva-pc/ecs-simulee.dat"));
#endif
}

// torva-ecs-sim serves a pseudo-terminal, which Windows has not: there, the Wine COM port test
// runs torva-cli.exe against it from outside.
#ifdef Q_OS_WIN
#define skipWithoutPseudoTerminal() QSKIP("torva-ecs-sim needs a pseudo-terminal")
#else
#define skipWithoutPseudoTerminal() (void)0
#endif

// A journal of three entries made by torva-cli against the built-in panel, newest first: a
// receive whose kept configuration was changed since (DAMAGED), a send of one change by nobody
// named (SEND), a receive by Jean Dupont of Torva Services (RECEIVE). `named` puts the entries'
// names and the configurations' SHA-256 (RECEIVED-SHA, SENT-SHA) in place of those words.
struct JournalFixture
{
    JournalFixture()
    {
        forgetBuiltInPanel();
        const QStringList journal{"--journal", "j"};
        if (cli(dir, QStringList{"receive", "--port", "sim", "-o", "held.dat", "--intervenant", "Jean Dupont",
                                 "--entreprise", "Torva Services", "--site", ""} +
                         journal)
                .status != 0)
            return;
        QFile held(dir.filePath(QStringLiteral("held.dat")));
        if (!held.open(QIODevice::ReadOnly))
            return;
        received = held.readAll();
        PanelConfig changed = *DataFile::parse(received, DataFile::Version::V2).content;
        changed.setAlarmMode(0, AlarmMode::Normal);
        sent = DataFile::format(changed);
        write(dir, "changed.dat", sent);
        if (cli(dir,
                QStringList{"send", "changed.dat", "--port", "sim", "--intervenant", "", "--entreprise", ""} +
                    journal)
                .status != 0)
            return;
        if (cli(dir, QStringList{"receive", "--port", "sim", "-o", "again.dat"} + journal).status != 0)
            return;
        const Journal kept(dir.filePath(QStringLiteral("j")));
        const QList<JournalEntry> entries = kept.entries();
        if (entries.size() != 3)
            return;
        QFile before(kept.beforePath(entries[0]));
        if (!before.open(QIODevice::Append) || before.write("\r\n") != 2)
            return;
        // The hashes first: RECEIVE is in RECEIVED-SHA.
        names = {{"RECEIVED-SHA", JournalEntry::sha256(received)},
                 {"SENT-SHA", JournalEntry::sha256(sent)},
                 {"DAMAGED", entries[0].id},
                 {"SEND", entries[1].id},
                 {"RECEIVE", entries[2].id}};
        made = true;
    }
    QStringList named(QStringList texts) const
    {
        for (const auto &[word, name] : names)
            texts.replaceInStrings(word, name);
        return texts;
    }
    QTemporaryDir dir;
    QByteArray received;
    QByteArray sent;
    std::vector<std::pair<QString, QString>> names;
    bool made = false;
};

} // namespace

Q_DECLARE_METATYPE(Stream)

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    // Receive, diff, send, diff, receive again, against torva-ecs-sim over a pseudo-terminal. (The
    // built-in panel keeps what it was sent from one run to the next: sendsOnlyToThePanelNamed.)
    void session()
    {
        skipWithoutPseudoTerminal();
        QTemporaryDir dir;
        const SimProcess sim({QStringLiteral("--steady")});
        QVERIFY2(!sim.device.isEmpty(), qPrintable(sim.error));
        const QString port = QStringLiteral("DEV");
        const QString &device = sim.device;

        QCOMPARE(
            cli(dir, {"receive", "--port", port, "-o", "panel.dat", "--trace", "trace.txt"}, device).status,
            0);
        QCOMPARE(readConfig(dir, "panel.dat"), std::optional(configOf(PanelState())));
        // The trace holds the frames as they went over the line, from the opening of the port on.
        QFile trace(dir.filePath(QStringLiteral("trace.txt")));
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(trace.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.value(0).endsWith(QStringLiteral(" ouverture de ") + device));
        QCOMPARE(
            lines.filter(QStringLiteral("| TX | essai 1 | Lecture modes alarme | 01 06 15 00 1c 00")).size(),
            1);

        const QString file = write(dir, "other.dat", DataFile::format(otherConfig()));
        QCOMPARE(cli(dir, {"diff", file, "--port", port}, device).status, 1);
        const Run sent = cli(dir, {"send", file, "--port", port}, device);
        QCOMPARE(sent.status, 0);
        QCOMPARE(sent.err, QString());
        const Run after = cli(dir, {"diff", file, "--port", port}, device);
        QCOMPARE(after.status, 0);
        QCOMPARE(after.out, QString());
        QCOMPARE(cli(dir, {"receive", "--port", port, "-o", "back.dat"}, device).status, 0);
        QCOMPARE(readConfig(dir, "back.dat"), std::optional(otherConfig()));
    }

    // A command that stops early, on a failure or on Ctrl-C: its status and the program's own words,
    // nothing on standard output, no file from a receive and an earlier file of that name whole.
    void stopsEarly_data()
    {
        QTest::addColumn<QStringList>("simulator"); // empty: no panel, DEV is a missing device
        QTest::addColumn<QStringList>("arguments"); // FILE is a good file, BAD a refused one
        QTest::addColumn<int>("interruptAfter");    // ms before Ctrl-C; -1: none
        QTest::addColumn<bool>("earlier");          // out.dat holds a configuration before
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // how standard error starts
        const QStringList receive{"receive", "--port", "DEV", "-o", "out.dat"};
        const QStringList send{"send", "FILE", "--port", "DEV"};
        const int none = -1;
        const QString timeOut = QStringLiteral("TIME OUT : Pas de réponse de l'ECS !");
        const QString transferError =
            QStringLiteral("ERREUR COM : Erreur de transfert, Configuration Invalide !");
        QTest::newRow("silent panel: diag")
            << QStringList{"--fault", "silence"} << QStringList{"diag", "--port", "DEV"} << none << false << 4
            << timeOut + "\npendant : Vérification présence Carte UGA/CMSI\n";
        QTest::newRow("12 V mode without its byte: receive over a file")
            << QStringList{"--fault", "missing-data-byte:14"} << receive << none << true << 7
            << transferError;
        QTest::newRow("missing device: receive") << QStringList() << receive << none << false << 3
                                                 << "ERREUR DE COM : Port série introuvable ou déjà ouvert !";
        // A refused file is refused before the port is asked for: DEV is a missing device.
        QTest::newRow("file refused: send")
            << QStringList() << QStringList{"send", "BAD", "--port", "DEV"} << none << false << 1
            << "FICHIER DONNEES : FORMAT FICHIER INCOMPATIBLE !\n"
               "  BAD : ligne 4 : « 300 » n'est pas un nombre entier de 0 à 255";
        // Ctrl-C while the panel keeps silent, once it answered up to that command.
        const QStringList matrixSilent{"--steady", "--fault", "silence:2"};
        const QString noFile =
            QStringLiteral("INTERRUPTION : Réception interrompue, aucun fichier n'a été écrit !\n");
        QTest::newRow("Ctrl-C: receive over a file") << matrixSilent << receive << 900 << true << 130
                                                     << noFile + "  out.dat est resté tel qu'il était\n";
        QTest::newRow("Ctrl-C: send before the first write")
            << QStringList{"--steady", "--fault", "silence:20"} << send << 900 << false << 130
            << "INTERRUPTION : Envoi interrompu avant la première écriture, la configuration de l'ECS n'a "
               "pas changé.\n";
    }
    void stopsEarly()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, arguments);
        QFETCH(int, interruptAfter);
        QFETCH(bool, earlier);
        QFETCH(int, status);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QByteArray bad = DataFile::format(otherConfig());
        const QString files[][2] = {
            {"FILE", write(dir, "file.dat", DataFile::format(otherConfig()))},
            {"BAD", write(dir, "bad.dat", bad.replace("\r\n 0 \r\n 30 ", "\r\n 0 \r\n 300 "))}};
        for (const auto &[name, path] : files) {
            arguments.replaceInStrings(name, path);
            message.replace(name, path);
        }
        if (earlier)
            write(dir, "out.dat", DataFile::format(otherConfig()));
        std::optional<SimProcess> sim;
        if (!simulator.isEmpty()) {
            skipWithoutPseudoTerminal();
            QVERIFY2(!sim.emplace(simulator).device.isEmpty(), qPrintable(sim->error));
        }
        const Run run =
            cli(dir, arguments, sim ? sim->device : QStringLiteral("/dev/no-such-port"), interruptAfter);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
        QCOMPARE(run.out, QString());
        QCOMPARE(QDir(dir.path()).entryList({"out.dat*"}, QDir::Files),
                 earlier ? QStringList{"out.dat"} : QStringList());
        if (earlier)
            QCOMPARE(readConfig(dir, "out.dat"), std::optional(otherConfig()));
    }

    // --json is for programs: keys and values that do not change with the locale (numbers as JSON
    // numbers, never text with a unit), the editor's words beside them. The same under a French
    // and an English locale.
    void json_data()
    {
        QTest::addColumn<QStringList>("simulator"); // empty: none
        QTest::addColumn<QStringList>("arguments"); // in a folder holding show.dat and other.dat
        QTest::addColumn<int>("status");
        QTest::addColumn<QJsonObject>("expected"); // the value at each path
        const auto item = [](const char *key, const QJsonValue &value, const char *label, const char *text) {
            return QJsonObject{{"key", key}, {"value", value}, {"label", label}, {"text", text}};
        };
        QTest::newRow("show")
            << QStringList() << QStringList{"show", "show.dat", "--json"} << 0
            << QJsonObject{{"file", "show.dat"},
                           {"items/20", item("loop5.alarmMode", "double", "Boucle 5 : mode alarme",
                                             "Double détection avec la boucle 6")},
                           {"items/52", item("relay2.loop5", true, "Relais 2 : Boucle 5", "oui")},
                           {"items/70", item("aes", "external", "Alimentation Diffuseurs", "AES Externe")},
                           {"items/72", item("code.level2", "ACBA", "Code niveau 2", "ACBA")}};
        QTest::newRow("diag") << QStringList{"--steady"} << QStringList{"diag", "--port", "DEV", "--json"}
                              << 0
                              << QJsonObject{{"panel/version", "3.0"},
                                             {"panel/serialNumber", "020712345"},
                                             {"panel/serviceVolts", 21.55},
                                             {"upCard/aesVolts", 24.02},
                                             {"upCard/sounderLine1Amperes", 0.401},
                                             {"loops/3", QJsonObject{{"loop", 4},
                                                                     {"loadMilliamperes", 44.16},
                                                                     {"fullScale", false}}},
                                             {"loops/4/fullScale", true}};
    }
    void json()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QJsonObject, expected);
        forgetBuiltInPanel();
        QTemporaryDir dir;
        write(dir, "show.dat", DataFile::format(showConfig()));
        write(dir, "other.dat", DataFile::format(otherConfig()));
        std::optional<SimProcess> sim;
        if (!simulator.isEmpty()) {
            skipWithoutPseudoTerminal();
            QVERIFY2(!sim.emplace(simulator).device.isEmpty(), qPrintable(sim->error));
        }
        const QString device = sim ? sim->device : QString();
        QJsonDocument found[2];
        for (int i = 0; i < 2; ++i) {
            const Run run = cli(dir, arguments, device, -1, i == 0 ? "fr_FR.UTF-8" : "C.UTF-8");
            QCOMPARE(run.status, status);
            QJsonParseError error;
            found[i] = QJsonDocument::fromJson(run.out.toUtf8(), &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + run.out));
        }
        QCOMPARE(found[0], found[1]);
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(at(found[0].object(), it.key()), it.value());
    }

    // The diagnostic every cycle, one JSON line each, until Ctrl-C.
    void diagWatched()
    {
        skipWithoutPseudoTerminal();
        QTemporaryDir dir;
        const SimProcess sim({QStringLiteral("--steady")});
        QVERIFY2(!sim.device.isEmpty(), qPrintable(sim.error));
        const QJsonObject once =
            QJsonDocument::fromJson(cli(dir, {"diag", "--port", "DEV", "--json"}, sim.device).out.toUtf8())
                .object();
        const Run watched = cli(dir, {"diag", "--port", "DEV", "--json", "--watch"}, sim.device, 2500);
        QCOMPARE(watched.status, 130);
        const QStringList cycles = watched.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(cycles.size() >= 2, qPrintable(watched.out));
        QCOMPARE(QJsonDocument::fromJson(cycles.first().toUtf8()).object(), once);
    }

    // The command line against the commands and the options each takes: an option a command does
    // not take, a missing value, an unknown option, a missing option or file are usage errors (2)
    // that name it and print nothing on standard output; what a command takes runs it.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments"); // in a folder holding good.dat
        QTest::addColumn<int>("status");
        QTest::addColumn<Stream>("stream");
        QTest::addColumn<QString>("line"); // one of its lines
        QTest::newRow("unknown option") << QStringList{"show", "good.dat", "--colour"} << 2 << Stream::Err
                                        << "torva-cli : option inconnue « --colour »";
        QTest::newRow("--port without its value")
            << QStringList{"receive", "-o", "out.dat", "--port"} << 2 << Stream::Err
            << "torva-cli : l'option « --port » attend une valeur (PORT)";
        QTest::newRow("-o with send")
            << QStringList{"send", "good.dat", "--port", "sim", "-o", "x.dat"} << 2 << Stream::Err
            << "torva-cli : send : l'option --output ne va pas avec cette commande";
        QTest::newRow("receive without --port") << QStringList{"receive", "-o", "out.dat"} << 2 << Stream::Err
                                                << "torva-cli : receive : --port manque";
        QTest::newRow("diff of one file without the panel")
            << QStringList{"diff", "good.dat"} << 2 << Stream::Err
            << "torva-cli : diff : deux fichiers, ou un fichier et --port";
        QTest::newRow("no command") << QStringList() << 2 << Stream::Err << "torva-cli : commande manquante";
        QTest::newRow("--quiet with check")
            << QStringList{"check", "good.dat", "--quiet"} << 0 << Stream::Out << "good.dat : correct";
        QTest::newRow("--ecs that is no serial number")
            << QStringList{"send", "good.dat", "--port", "sim", "--ecs", "20712345"} << 2 << Stream::Err
            << "torva-cli : send : --ecs : « 20712345 » n'est pas un numéro de série en 9 chiffres "
               "(020712345)";
        QTest::newRow("journal get of both configurations")
            << QStringList{"journal", "get", "X", "--before", "--sent", "-o", "x.dat"} << 2 << Stream::Err
            << "torva-cli : journal get : --before et --sent ne vont pas ensemble";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(Stream, stream);
        QFETCH(QString, line);
        QTemporaryDir dir;
        write(dir, "good.dat", DataFile::format(otherConfig()));
        const Run run = cli(dir, arguments);
        QCOMPARE(run.status, status);
        const QString &text = stream == Stream::Out ? run.out : run.err;
        QVERIFY2(text.split(u'\n').contains(line), qPrintable(text));
        if (status == 2)
            QCOMPARE(run.out, QString());
    }

    // What a command's help lists is what the command takes: no more, no less.
    void helpListsWhatIsTaken_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("listed"); // the options its help lists, in order
        QTest::newRow("receive") << "receive"
                                 << QStringList{
                                        "--port",       "-o",     "--trace", "--journal", "--intervenant",
                                        "--entreprise", "--site", "--quiet", "-h"};
        QTest::newRow("send") << "send" << QStringList{"--port",    "--ecs",         "--trace",
                                                       "--journal", "--intervenant", "--entreprise",
                                                       "--site",    "--quiet",       "-h"};
        QTest::newRow("show") << "show" << QStringList{"--json", "--quiet", "-h"};
        QTest::newRow("check") << "check" << QStringList{"--quiet", "-h"};
        QTest::newRow("diff") << "diff" << QStringList{"--port", "--trace", "--json", "--quiet", "-h"};
        QTest::newRow("convert") << "convert" << QStringList{"-o", "--quiet", "-h"};
        QTest::newRow("diag") << "diag"
                              << QStringList{"--port", "--trace", "--json", "--watch", "--quiet", "-h"};
        QTest::newRow("ports") << "ports" << QStringList{"--probe", "--trace", "--quiet", "-h"};
        QTest::newRow("journal") << "journal"
                                 << QStringList{"--panel", "--json", "--journal", "--quiet", "-h"};
        QTest::newRow("journal show")
            << "journal show" << QStringList{"--json", "--journal", "--quiet", "-h"};
        QTest::newRow("journal get") << "journal get"
                                     << QStringList{"-o", "--before", "--sent", "--journal", "--quiet", "-h"};
    }
    void helpListsWhatIsTaken()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        const Run run = cli(dir, QStringList{"help"} + command.split(u' '));
        QCOMPARE(run.status, 0);
        // The options' lines start with two blanks and a dash.
        QStringList found;
        for (const QString &line : run.out.split(u'\n'))
            if (line.startsWith(QStringLiteral("  -")))
                found << line.section(u' ', 2, 2).remove(u',');
        QCOMPARE(found, listed);
    }

    // The help names the ports as this system names them, and what interrupts a command here.
    void helpSpeaksOfThisSystem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("held"); // whether the general help holds it
        const QString interrupted =
            QStringLiteral("  130  interrompu par %1 : rien de plus n'est envoyé ni écrit\n");
#ifdef Q_OS_WIN
        QTest::newRow("a COM port")
            << "\n                     la fenêtre et le Gestionnaire de périphériques (COM3),\n"
            << true;
        QTest::newRow("no Linux device") << "/dev/tty" << false;
        QTest::newRow("Ctrl-Break's status") << interrupted.arg("Ctrl-C (149 par Ctrl+Pause)") << true;
        QTest::newRow("no SIGTERM") << "SIGTERM" << false;
#else
        QTest::newRow("a device") << "le port série de l'ECS : un périphérique (/dev/ttyUSB0),\n" << true;
        QTest::newRow("COM1 as Linux names it") << "comme les nomme la fenêtre (COM1 : /dev/ttyS0)," << true;
        QTest::newRow("SIGTERM's status") << interrupted.arg("Ctrl-C (143 par SIGTERM)") << true;
        QTest::newRow("no Windows port") << "COM3" << false;
#endif
    }
    void helpSpeaksOfThisSystem()
    {
        QFETCH(QString, text);
        QFETCH(bool, held);
        QTemporaryDir dir;
        const Run run = cli(dir, {"--help"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(text) == held, qPrintable(run.out));
    }

    // The files alone: check, show, convert.
    void files_data()
    {
        QTest::addColumn<QStringList>("arguments"); // in a folder holding good.dat, opt.dat, v1.dat
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::newRow("check")
            << QStringList{"check", "good.dat", "opt.dat", "v1.dat", "none.dat"} << 1
            << "good.dat : correct\n"
               "opt.dat : FORMAT FICHIER INCOMPATIBLE !\n"
               "  ligne 19 : « 65 » : « Mise Hors Service avec le Contact Auxiliaire » sans le type "
               "« Rupture Sans Contrôle Associé à l'UGA »\n"
               "v1.dat : FICHIER AU FORMAT TORVA VERSION 1\n"
               "  Utiliser la fonction Importer SVP\n"
               "  un fichier version 1 se convertit avec « torva-cli convert »\n"
               "none.dat : FORMAT FICHIER INCOMPATIBLE !\n"
               "  fichier introuvable\n";
        QTest::newRow("convert") << QStringList{"convert", "v1.dat", "-o", "new.dat"} << 0 << "";
        QTest::newRow("convert a version-2 file")
            << QStringList{"convert", "good.dat", "-o", "new.dat"} << 1 << "";
    }
    void files()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QTemporaryDir dir;
        write(dir, "good.dat", DataFile::format(otherConfig()));
        // Function 2's type line: Rupture Sans Contrôle (1) with the auxiliary contact's bit (64).
        // Not "aux.dat": Windows keeps the name AUX for a device, whatever the extension.
        QList<QByteArray> lines = DataFile::format(otherConfig()).split('\n');
        lines[18] = " 65 \r";
        write(dir, "opt.dat", lines.join('\n'));
        write(dir, "v1.dat",
              DataFile::format(otherConfig()).replace("TORVA_DATA_V2", "TORVA_DATA").chopped(5));
        const Run run = cli(dir, arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, out);
        // check tells on standard output; a refusal or a usage error goes to standard error.
        QCOMPARE(run.err.isEmpty(), status == 0 || arguments.first() == "check");
        // A version-1 file converts as Import takes it: the card present.
        QCOMPARE(readConfig(dir, "new.dat"),
                 status == 0 && arguments.first() == "convert" ? std::optional(otherConfig()) : std::nullopt);
    }

    // A send that fails past the port's opening says why on standard error, with its status, and
    // leaves an entry that says how it ended; once the panel's configuration was read, the entry
    // holds it byte for byte, and what was to be sent.
    void failedSendIsJournaled_data()
    {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<int>("interruptAfter"); // ms before Ctrl-C; -1: none
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<bool>("backedUp");   // the panel's configuration was read before the writes
        QTest::addColumn<QString>("message"); // how standard error starts
        const int none = -1;
        QTest::newRow("silent panel") << QStringList{"--fault", "silence"} << none << 4 << "noReply" << false
                                      << "TIME OUT : Pas de réponse de l'ECS !";
        QTest::newRow("manual mode")
            << QStringList{"--manual"} << none << 5 << "manualMode" << false
            << "ACCES ECS : Le mode de configuration manuelle est engagé, accès PC interdit !";
        QTest::newRow("relays read back otherwise")
            << QStringList{"--fault", "read-back-differs:12:1"} << none << 6 << "verifyFailed" << true
            << "ERREUR COM : Erreur de transfert, Configuration Invalide !\npendant : Vérification Relais "
               "programmables\n";
        QTest::newRow("Ctrl-C during the writes")
            << QStringList{"--steady", "--fault", "silence:22"} << 900 << 130 << "aborted" << true
            << "INTERRUPTION : Envoi interrompu, l'ECS contient peut-être une partie de la nouvelle "
               "configuration : envoyez-la de nouveau !\n";
    }
    void failedSendIsJournaled()
    {
        QFETCH(QStringList, simulator);
        QFETCH(int, interruptAfter);
        QFETCH(int, status);
        QFETCH(QString, outcome);
        QFETCH(bool, backedUp);
        QFETCH(QString, message);
        skipWithoutPseudoTerminal();
        QTemporaryDir dir;
        const QByteArray sent = DataFile::format(otherConfig());
        write(dir, "other.dat", sent);
        const SimProcess sim(simulator);
        QVERIFY2(!sim.device.isEmpty(), qPrintable(sim.error));
        // What the panel answers, as a receive reads it: the send's entry keeps the same bytes.
        std::optional<QByteArray> held;
        if (backedUp) {
            QCOMPARE(
                cli(dir, {"receive", "--port", "DEV", "-o", "held.dat", "--journal", "r"}, sim.device).status,
                0);
            QFile file(dir.filePath(QStringLiteral("held.dat")));
            QVERIFY(file.open(QIODevice::ReadOnly));
            held = file.readAll();
        }
        const Run run =
            cli(dir, {"send", "other.dat", "--port", "DEV", "--journal", "j"}, sim.device, interruptAfter);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
        QCOMPARE(run.out, QString());

        const QList<JournalEntry> entries = Journal(dir.filePath(QStringLiteral("j"))).entries();
        QCOMPARE(entries.size(), 1);
        const JournalEntry &entry = entries.first();
        QVERIFY2(!entry.damaged, qPrintable(entry.damage));
        QCOMPARE(entry.operation, JournalEntry::Operation::Send);
        QCOMPARE(entry.outcome, outcome);
        QCOMPARE(entry.port, sim.device);
        QCOMPARE(entry.before, held);
        QCOMPARE(entry.sent, backedUp ? std::optional(sent) : std::nullopt);
    }

    // --ecs names the panel the file is for: another serial number on the line writes nothing
    // (status 9, the entry says so), the right one sends.
    void sendsOnlyToThePanelNamed_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("another panel") << "020799999" << 9 << "otherPanel";
        QTest::newRow("the panel named") << "020712345" << 0 << "done";
    }
    void sendsOnlyToThePanelNamed()
    {
        QFETCH(QString, serial);
        QFETCH(int, status);
        QFETCH(QString, outcome);
        forgetBuiltInPanel();
        QTemporaryDir dir;
        write(dir, "other.dat", DataFile::format(otherConfig()));
        const Run run = cli(dir, {"send", "other.dat", "--port", "sim", "--ecs", serial, "--journal", "j"});
        QCOMPARE(run.status, status);
        const bool refused = status == 9;
        QVERIFY2(refused ? run.err.startsWith(QStringLiteral("AUTRE ECS : ")) : run.err.isEmpty(),
                 qPrintable(run.err));
        QCOMPARE(cli(dir, {"receive", "--port", "sim", "-o", "after.dat", "--journal", "j"}).status, 0);
        QCOMPARE(readConfig(dir, "after.dat"),
                 std::optional(refused ? configOf(PanelState()) : otherConfig()));
        const QList<JournalEntry> entries = Journal(dir.filePath(QStringLiteral("j"))).entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1].outcome, outcome);
        QCOMPARE(entries[1].sent.has_value(), !refused);
    }

    // A journal that cannot be written is said on standard error and changes no status.
    void journalNotWritten_data()
    {
        QTest::addColumn<QStringList>("simulator"); // empty: the built-in panel
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("done receive")
            << QStringList() << QStringList{"receive", "--port", "sim", "-o", "out.dat"} << 0;
        QTest::newRow("send in manual mode")
            << QStringList{"--manual"} << QStringList{"send", "out.dat", "--port", "DEV"} << 5;
    }
    void journalNotWritten()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        forgetBuiltInPanel();
        QTemporaryDir dir;
        write(dir, "out.dat", DataFile::format(otherConfig()));
        const QString blocked = write(dir, "blocked", "not a folder");
        std::optional<SimProcess> sim;
        if (!simulator.isEmpty()) {
            skipWithoutPseudoTerminal();
            QVERIFY2(!sim.emplace(simulator).device.isEmpty(), qPrintable(sim->error));
        }
        const Run run =
            cli(dir, arguments + QStringList{"--journal", blocked}, sim ? sim->device : QString());
        QCOMPARE(run.status, status);
        const QStringList lines = run.err.split(u'\n');
        QVERIFY2(
            lines.filter(QRegularExpression(QStringLiteral("^Le journal n'a pas pu être écrit : .*blocked")))
                    .size() == 1,
            qPrintable(run.err));
    }

    // Two torva-cli writing one journal at once, each to its own panel, lose no entry.
    void twoProgramsShareOneJournal()
    {
        const QTemporaryDir journal;
        const QTemporaryDir first;
        const QTemporaryDir second;
        const QStringList receive{"receive", "--port", "sim", "-o", "out.dat", "--journal", journal.path()};
        QProcess processes[2];
        startCli(processes[0], first, receive);
        startCli(processes[1], second, receive);
        for (QProcess &process : processes)
            QCOMPARE(finished(process).status, 0);
        const QList<JournalEntry> entries = Journal(journal.path()).entries();
        QCOMPARE(entries.size(), 2);
        for (const JournalEntry &entry : entries)
            QVERIFY2(!entry.damaged, qPrintable(entry.damage));
    }

    // The journal's commands over one journal: a receive (by a technician of a company), a send of
    // one change (nobody named), then a receive whose kept configuration was changed since.
    void journalCommands_data()
    {
        QTest::addColumn<QStringList>("arguments"); // RECEIVE, SEND, DAMAGED: those entries' names
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines"); // the lines the output holds, in order, as patterns
        const QString damaged =
            QStringLiteral(R"(ENTRÉE ILLISIBLE \(fichier modifié : DAMAGED-avant\.dat\))");
        QTest::newRow("list, newest first")
            << QStringList{"journal"} << 0
            << QStringList{"Date +ECS +Opération +Résultat +Intervenant +Modifications +Entrée",
                           ".* ECS N° 020712345 \\(simulée\\) +Réception +" + damaged + " .* +0 +DAMAGED",
                           ".* ECS N° 020712345 \\(simulée\\) +Envoi +terminé +non renseigné +1 +SEND",
                           ".* ECS N° 020712345 \\(simulée\\) +Réception +terminé +Jean Dupont +0 +RECEIVE"};
        QTest::newRow("show a send")
            << QStringList{"journal", "show", "SEND"} << 0
            << QStringList{"Entrée : SEND", "Résultat : terminé",
                           "Configuration avant : .*SEND-avant\\.dat \\(SHA-256 [0-9a-f]{64}\\)",
                           "Configuration envoyée : .*SEND-envoyee\\.dat \\(SHA-256 [0-9a-f]{64}\\)",
                           "Boucle 1 : mode alarme +Discrimination +Mode Alarme simple"};
        QTest::newRow("show a damaged entry")
            << QStringList{"journal", "show", "DAMAGED"} << 1
            << QStringList{"Entrée : DAMAGED", "Entrée illisible : fichier modifié : DAMAGED-avant\\.dat"};
    }
    void journalCommands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        const JournalFixture &journal = sharedJournal();
        QVERIFY(journal.made);
        const Run run = cli(journal.dir, journal.named(arguments) + QStringList{"--journal", "j"});
        QCOMPARE(run.status, status);
        const QStringList found = run.out.split(u'\n');
        qsizetype at = 0;
        for (const QString &line : journal.named(lines)) {
            const QRegularExpression pattern(QRegularExpression::anchoredPattern(line));
            while (at < found.size() && !pattern.match(found[at]).hasMatch())
                ++at;
            QVERIFY2(at < found.size(), qPrintable(line + QStringLiteral(" not in:\n") + run.out));
        }
    }

    // --json over the same journal: the keys a program reads, the differences as diff --json
    // writes them.
    void journalJson_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QJsonObject>("expected"); // the value at each path
        QTest::newRow("list") << QStringList{"journal", "--json"} << 0
                              << QJsonObject{{"entries/0/id", "DAMAGED"},
                                             {"entries/0/damaged", true},
                                             {"entries/1/id", "SEND"},
                                             {"entries/1/outcome", "done"},
                                             {"entries/1/sha256/before", "RECEIVED-SHA"},
                                             {"entries/1/sha256/sent", "SENT-SHA"},
                                             {"entries/2/technician", "Jean Dupont"},
                                             {"entries/2/sha256/sent", QJsonValue()}};
        QTest::newRow("list of the panel") << QStringList{"journal", "--panel", "020712345", "--json"} << 0
                                           << QJsonObject{{"entries/2/id", "RECEIVE"}};
        QTest::newRow("list of another panel") << QStringList{"journal", "--panel", "020799999", "--json"}
                                               << 0 << QJsonObject{{"entries", QJsonArray()}};
        const QJsonObject loop1{
            {"key", "loop1.alarmMode"},
            {"label", "Boucle 1 : mode alarme"},
            {"first", QJsonObject{{"value", "discrimination"}, {"text", "Discrimination"}}},
            {"second", QJsonObject{{"value", "simple"}, {"text", "Mode Alarme simple"}}}};
        QTest::newRow("show a send") << QStringList{"journal", "show", "SEND", "--json"} << 0
                                     << QJsonObject{
                                            {"id", "SEND"}, {"operation", "send"}, {"differences/0", loop1}};
    }
    void journalJson()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QJsonObject, expected);
        const JournalFixture &journal = sharedJournal();
        QVERIFY(journal.made);
        const Run run = cli(journal.dir, journal.named(arguments) + QStringList{"--journal", "j"});
        QCOMPARE(run.status, status);
        QJsonParseError error;
        const QJsonDocument found = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + run.out));
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QJsonValue value = it.value();
            QCOMPARE(at(found.object(), it.key()),
                     value.isString() ? QJsonValue(journal.named({value.toString()}).first()) : value);
        }
    }

    // journal get writes the bytes the journal keeps, unchanged, or nothing and says why.
    void journalGet_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("file"); // what got.dat holds: "received", "sent" or nothing
        QTest::addColumn<QString>("err");  // the start of standard error
        const auto get = [](const char *entry, const char *which) {
            return QStringList{"journal", "get", entry, which, "-o", "got.dat"};
        };
        QTest::newRow("the configuration before a send") << get("SEND", "--before") << 0 << "received"
                                                         << "";
        QTest::newRow("the configuration sent") << get("SEND", "--sent") << 0 << "sent"
                                                << "";
        QTest::newRow("none sent in a receive")
            << get("RECEIVE", "--sent") << 1 << ""
            << "torva-cli : journal get : l'entrée « RECEIVE » n'a pas de configuration envoyée\n";
        QTest::newRow("a damaged entry") << get("DAMAGED", "--before") << 1 << ""
                                         << "torva-cli : journal get : l'entrée « DAMAGED » est illisible "
                                            "(fichier modifié : DAMAGED-avant.dat)\n";
        QTest::newRow("a file that cannot be written")
            << QStringList{"journal", "get", "SEND", "--sent", "-o", "missing/got.dat"} << 8 << ""
            << "FICHIER DONNEES : Impossible d'enregistrer le fichier !\n";
    }
    void journalGet()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, file);
        QFETCH(QString, err);
        const JournalFixture &journal = sharedJournal();
        QVERIFY(journal.made);
        QFile::remove(journal.dir.filePath(QStringLiteral("got.dat")));
        const Run run = cli(journal.dir, journal.named(arguments) + QStringList{"--journal", "j"});
        QCOMPARE(run.status, status);
        if (err.isEmpty())
            QCOMPARE(run.err, QString());
        else
            QVERIFY2(run.err.startsWith(journal.named({err}).first()), qPrintable(run.err));
        QFile got(journal.dir.filePath(QStringLiteral("got.dat")));
        QCOMPARE(got.exists(), !file.isEmpty());
        if (!file.isEmpty()) {
            QVERIFY(got.open(QIODevice::ReadOnly));
            QCOMPARE(got.readAll(), file == "sent" ? journal.sent : journal.received);
        }
    }

    // The report is torva-report's, run beside torva-cli: its PDF for the entry named, its status.
    void journalReport()
    {
#ifdef Q_OS_WIN
        QSKIP("pdftotext is Linux's");
#endif
        const JournalFixture &journal = sharedJournal();
        QVERIFY(journal.made);
        const QString pdf = journal.dir.filePath(QStringLiteral("rapport.pdf"));
        QFile::remove(pdf);
        const Run run =
            cli(journal.dir, journal.named({"journal", "report", "SEND", "-o", "rapport.pdf",
                                            "--observations", "Boucle 3 essayée", "--journal", "j"}));
        QCOMPARE(run.status, 0);
        const QString text = PdfText::pages(pdf).join(QLatin1Char('\n'));
        QVERIFY2(text.contains(QStringLiteral("RAPPORT D'INTERVENTION")), qPrintable(text.left(300)));
        QVERIFY(text.contains(QStringLiteral("Boucle 3 essayée")));
        QCOMPARE(cli(journal.dir,
                     journal.named({"journal", "report", "DAMAGED", "-o", "r2.pdf", "--journal", "j"}))
                     .status,
                 1);
    }

    // A file written with -o whose last step, the rename of the new file over the earlier one, is
    // refused: status 8 and the message on standard error, the earlier file as it was and nothing
    // left beside it. Every command writes its -o file the same way; convert is the quickest.
    void outputNotReplaced()
    {
        if (const QString why = StickyFolder::unavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QTemporaryDir dir;
        write(dir, "v1.dat",
              DataFile::format(otherConfig()).replace("TORVA_DATA_V2", "TORVA_DATA").chopped(5));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        const QByteArray earlier = DataFile::format(showConfig());
        const QString out = write(dir, "locked/out.dat", earlier);
        QVERIFY(StickyFolder::protectFromReplacing(dir.filePath(QStringLiteral("locked")), out));
        Run run;
        QVERIFY(StickyFolder::runWithoutOwnerOverride([&] {
            run = cli(dir, {"convert", "v1.dat", "-o", "locked/out.dat"});
        }));
        QCOMPARE(run.status, 8);
        QCOMPARE(run.err, QStringLiteral("FICHIER DONNEES : Impossible d'enregistrer le fichier !\n"
                                         "  locked/out.dat\n"));
        QCOMPARE(run.out, QString());
        QFile kept(out);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), earlier);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("locked"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"out.dat"});
    }

    // ports --probe reads the panel's mode on each port named and says what answered, or why not;
    // 0 when a panel answered, 4 when none did on a port that opened, 3 when no port opened.
    void portsProbed_data()
    {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines"); // how each line of the output starts
        const QStringList probe{"ports", "--probe", "DEV"};
        QTest::newRow("a panel") << QStringList{"--steady"} << probe << 0
                                 << QStringList{"DEV : ECS N° 020712345 (version 3.0), accès PC autorisé"};
        QTest::newRow("a silent line") << QStringList{"--fault", "silence"} << probe << 4
                                       << QStringList{"DEV : pas de réponse en 3 essais"};
        QTest::newRow("a missing device beside a panel")
            << QStringList{"--steady"} << QStringList{"ports", "--probe", "/dev/no-such-port", "DEV"} << 0
            << QStringList{"/dev/no-such-port : ne s'ouvre pas", "  Le port /dev/no-such-port ",
                           "  Raison donnée par le système : ",
                           "DEV : ECS N° 020712345 (version 3.0), accès PC autorisé"};
    }
    void portsProbed()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        std::optional<SimProcess> sim;
        if (!simulator.isEmpty()) {
            skipWithoutPseudoTerminal();
            QVERIFY2(!sim.emplace(simulator).device.isEmpty(), qPrintable(sim->error));
            lines.replaceInStrings(QStringLiteral("DEV"), sim->device);
        }
        const Run run = cli(dir, arguments, sim ? sim->device : QString());
        QCOMPARE(run.status, status);
        const QStringList found = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(found.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(found[i].startsWith(lines[i]), qPrintable(found[i]));
        QCOMPARE(run.err, QString());
    }

private:
    // The journal the journal commands' tests read, made once.
    const JournalFixture &sharedJournal()
    {
        if (!m_journal)
            m_journal = std::make_unique<JournalFixture>();
        return *m_journal;
    }
    std::unique_ptr<JournalFixture> m_journal;
};

TORVA_TEST(CliTest)
#include "tst_cli.moc"
