#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// torva-ecs-sim, the built program, running for the life of the object. The device path is the
// one it prints once it listens.
class SimProcess
{
public:
    explicit SimProcess(const QStringList &arguments)
    {
        m_process.setProgram(QStringLiteral(TORVA_SIM_PATH));
        m_process.setArguments(arguments);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        static const QRegularExpression listening(
            QStringLiteral("^Emulated panel listening on (\\S+)"), QRegularExpression::MultilineOption);
        QDeadlineTimer deadline(5000);
        QByteArray out;
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
            m_process.waitForReadyRead(int(deadline.remainingTime()));
            out += m_process.readAllStandardOutput();
            const QRegularExpressionMatch match = listening.match(QString::fromLocal8Bit(out));
            if (match.hasMatch()) {
                m_device = match.captured(1);
                return;
            }
        }
        m_error = QString::fromLocal8Bit(out + m_process.readAllStandardError());
    }

    ~SimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }

    // Empty when the simulator did not start or did not say where it listens.
    QString device() const { return m_device; }
    QString error() const { return m_error; }

private:
    QProcess m_process;
    QString m_device;
    QString m_error;
};
