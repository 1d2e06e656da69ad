#include "BoardSimProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

BoardSimProcess::BoardSimProcess()
{
    // Diagnostics of the simulator belong in the test's own output.
    proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

bool BoardSimProcess::start(const QStringList &extraArgs)
{
    stop();
    traffic.clear();
    QString exe = qEnvironmentVariable("FROSTPANEL_BOARDSIM");
    if (exe.isEmpty()) // tests land in <build>/tests, the simulator in <build>
        exe = QCoreApplication::applicationDirPath() + "/../frostpanel-boardsim";
    proc.start(exe, extraArgs);
    // Generous: sanitizer builds start slowly on a busy machine.
    QByteArray line;
    if (!proc.waitForStarted(5000) || !readLine(line, 5000) || !line.startsWith("device: ")) {
        qWarning("BoardSimProcess: %s did not start: %s '%s'", qPrintable(exe), qPrintable(proc.errorString()),
                 line.constData());
        stop();
        return false;
    }
    device = QString::fromLocal8Bit(line.mid(8)).trimmed();
    return !device.isEmpty();
}

bool BoardSimProcess::readLine(QByteArray &line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!proc.canReadLine()) {
        if (proc.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        proc.waitForReadyRead(int(qBound<qint64>(1, deadline.remainingTime(), 100)));
    }
    line = proc.readLine().chopped(1);
    return true;
}

QString BoardSimProcess::command(const QString &line, int timeoutMs)
{
    if (proc.state() == QProcess::NotRunning)
        return QString();
    proc.write(line.toUtf8().replace('\n', ' ') + '\n');
    proc.waitForBytesWritten(timeoutMs);
    QDeadlineTimer deadline(timeoutMs);
    QByteArray answer;
    while (readLine(answer, int(qMax<qint64>(0, deadline.remainingTime())))) {
        if (answer == "ok" || answer.startsWith("ok ") || answer == "error" || answer.startsWith("error "))
            return QString::fromUtf8(answer);
        traffic << QString::fromUtf8(answer);
    }
    qWarning("BoardSimProcess: no answer to '%s'", qPrintable(line));
    return QString();
}

QString BoardSimProcess::value(const QString &line, int timeoutMs)
{
    const QString answer = command(line, timeoutMs);
    return answer.startsWith("ok ") ? answer.mid(3) : QString();
}

QStringList BoardSimProcess::takeTraffic()
{
    // Also the lines that arrived since the last command.
    QByteArray line;
    while (readLine(line, 0))
        traffic << QString::fromUtf8(line);
    QStringList out;
    out.swap(traffic);
    return out;
}

void BoardSimProcess::stop()
{
    if (proc.state() == QProcess::NotRunning)
        return;
    proc.write("quit\n");
    proc.closeWriteChannel();
    if (!proc.waitForFinished(3000)) {
        proc.terminate();
        if (!proc.waitForFinished(3000)) {
            proc.kill();
            proc.waitForFinished(3000);
        }
    } else if (proc.exitStatus() != QProcess::NormalExit || proc.exitCode() != 0) {
        qWarning("BoardSimProcess: simulator ended with code %d", proc.exitCode());
    }
}
