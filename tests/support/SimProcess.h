#pragma once

// torva-ecs-sim as a process of its own, for the tests that run programs against it. The test
// target defines TORVA_SIM_PATH, the simulator's path.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// torva-ecs-sim, running for the life of the object (in `folder` when given); `device` is the path
// it prints once it listens, empty (`error` says why) when it does not.
struct SimProcess
{
    explicit SimProcess(const QStringList &arguments, const QString &folder = {})
    {
        process.setWorkingDirectory(folder);
        process.start(QStringLiteral(TORVA_SIM_PATH), arguments);
        QByteArray out;
        while (!out.contains('\n') && process.waitForReadyRead(5000))
            out += process.readAllStandardOutput();
        static const QRegularExpression listening(QStringLiteral("^Emulated panel listening on (\\S+)"));
        device = listening.match(QString::fromLocal8Bit(out)).captured(1);
        error = QString::fromLocal8Bit(out + process.readAllStandardError());
    }
    ~SimProcess() { process.terminate(), process.waitForFinished(3000); } // or QProcess kills it
    QProcess process;
    QString device;
    QString error;
};
