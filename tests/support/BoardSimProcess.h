#pragma once
// Runs the simulated controller board (frostpanel-boardsim) for a test and
// talks to it over its standard input. The binary is taken from the
// FROSTPANEL_BOARDSIM environment variable (CTest sets it), else from the
// build folder above the test executable.

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

class BoardSimProcess
{
public:
    // Diagnostics of the simulator belong in the test's own output.
    BoardSimProcess() { proc.setProcessChannelMode(QProcess::ForwardedErrorChannel); }
    ~BoardSimProcess() { stop(); }
    BoardSimProcess(const BoardSimProcess &) = delete;
    BoardSimProcess &operator=(const BoardSimProcess &) = delete;

    // Launches the simulator and waits for its "device:" line; false on any
    // failure or after about five seconds.
    bool start(const QStringList &extraArgs = {})
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
            qWarning("BoardSimProcess: %s did not start: %s", qPrintable(exe), qPrintable(proc.errorString()));
            stop();
            return false;
        }
        device = QString::fromLocal8Bit(line.mid(8)).trimmed();
        return !device.isEmpty();
    }
    // The pseudo-terminal to open as the serial port.
    QString devicePath() const { return device; }

    // Sends one control line and returns its answer ("ok...", "error ..."),
    // keeping traffic lines aside; an empty string on time-out.
    QString command(const QString &line, int timeoutMs = 3000)
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
    // "ok" answers only: the value after "ok ", or a null string.
    QString value(const QString &line, int timeoutMs = 3000)
    {
        const QString answer = command(line, timeoutMs);
        return answer.startsWith("ok ") ? answer.mid(3) : QString();
    }
    // Traffic lines ("rx ...", "tx ...") seen since the last call, in order,
    // including those that arrived since the last command.
    QStringList takeTraffic()
    {
        QByteArray line;
        while (readLine(line, 0))
            traffic << QString::fromUtf8(line);
        QStringList out;
        out.swap(traffic);
        return out;
    }

    // Exit code once ended; a sanitizer report makes it non-zero.
    int exitCode() const { return proc.exitCode(); }
    bool crashed() const { return proc.exitStatus() == QProcess::CrashExit; }
    // "quit", then terminate, then kill; waits for the process to end.
    void stop()
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

private:
    bool readLine(QByteArray &line, int timeoutMs)
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

    QProcess proc;
    QString device;
    QStringList traffic;
};
