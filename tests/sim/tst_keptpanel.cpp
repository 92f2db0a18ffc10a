// The built-in emulated panel that the window and torva-cli share through one data file: what one
// program leaves in it the other finds, whatever happened to the file in between.
#include "support/TestRegistry.h"

#include "sim/EmulatedPanel.h"
#include "simfiles/KeptPanel.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

enum class Between { Nothing, FileDeleted, FileSpoilt };

// One program's "ECS simulée": its panel and the ports its factory makes.
struct Program
{
    EmulatedPanel panel;
    QStringList warnings;
    PortFactory ports = KeptPanel::simulatedPorts(panel, [this](const QString &text) { warnings << text; });
    // Opens the line, lets `change` act on the panel as a send would, then closes the line.
    void session(const std::function<void(PanelState &)> &change = {})
    {
        std::unique_ptr<SerialPort> port = ports(PortChoice::simulated());
        QVERIFY(port->open());
        if (change)
            change(panel.state);
        port->close();
    }
};

} // namespace

Q_DECLARE_METATYPE(Between)

class TestKeptPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QFile::remove(KeptPanel::path()); }

    void sharedBetweenPrograms_data()
    {
        QTest::addColumn<Between>("between");
        QTest::addColumn<int>("output12v"); // what the second program's panel then holds (delivery: 1)
        QTest::addColumn<bool>("warned");
        QTest::newRow("what one sent, the other receives") << Between::Nothing << 0 << false;
        QTest::newRow("file deleted: delivery configuration") << Between::FileDeleted << 1 << false;
        QTest::newRow("file spoilt: delivery configuration, said") << Between::FileSpoilt << 1 << true;
    }
    // torva-cli changes the 12 V output (as a send stores it); the window, a panel of its own,
    // finds it at its next opening; then torva-cli opens the line again.
    void sharedBetweenPrograms()
    {
        QFETCH(Between, between);
        QFETCH(int, output12v);
        QFETCH(bool, warned);
        Program window, cli;
        cli.session([](PanelState &s) { s.output12v = 0; }); // a run before: the file holds 0
        int seen = -1;
        window.session([&](PanelState &s) { seen = s.output12v; });
        QCOMPARE(seen, 0);
        if (between == Between::FileDeleted)
            QVERIFY(QFile::remove(KeptPanel::path()));
        if (between == Between::FileSpoilt) {
            QFile file(KeptPanel::path());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("TORVA_DATA_V2\r\n 300 \r\n") > 0);
        }
        cli.session([&](PanelState &s) { seen = s.output12v; });
        QCOMPARE(seen, output12v);
        QCOMPARE(cli.warnings.size(), warned ? 1 : 0);
        QVERIFY(window.warnings.isEmpty());
    }

    // A session that changed nothing leaves the file as it was: two programs that only read do
    // not write over each other.
    void unchangedNotWritten()
    {
        Program window;
        window.session();
        QVERIFY(!QFileInfo::exists(KeptPanel::path()));
    }
};

TORVA_TEST(TestKeptPanel)
#include "tst_keptpanel.moc"
