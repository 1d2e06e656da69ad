#include "BoardSimProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

namespace {
// Generous: sanitizer builds start and answer slowly on a busy machine.
constexpr int StartTimeoutMs = 5000;
constexpr int QuitTimeoutMs = 3000;
} // namespace

BoardSimProcess::BoardSimProcess()
{
    // Diagnostics of the simulator belong in the test's own output.
    proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc.setReadChannel(QProcess::StandardOutput);
}

BoardSimProcess::~BoardSimProcess()
{
    stop();
}

QString BoardSimProcess::program()
{
    const QString fromEnv = qEnvironmentVariable("FROSTPANEL_BOARDSIM");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // Tests land in <build>/tests, the simulator in <build>.
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../frostpanel-boardsim");
}

bool BoardSimProcess::isRunning() const
{
    return proc.state() != QProcess::NotRunning;
}

bool BoardSimProcess::start(const QStringList &extraArgs)
{
    stop();
    pending.clear();
    traffic.clear();
    device.clear();
    const QString exe = program();
    if (!QFileInfo(exe).isExecutable()) {
        qWarning("BoardSimProcess: simulator not found at %s", qPrintable(exe));
        return false;
    }
    proc.start(exe, extraArgs);
    if (!proc.waitForStarted(StartTimeoutMs)) {
        qWarning("BoardSimProcess: cannot start %s: %s", qPrintable(exe), qPrintable(proc.errorString()));
        return false;
    }
    QByteArray line;
    if (!readLine(line, StartTimeoutMs) || !line.startsWith("device: ")) {
        qWarning("BoardSimProcess: no device line (got '%s')", line.constData());
        stop();
        return false;
    }
    device = QString::fromLocal8Bit(line.mid(8)).trimmed();
    return !device.isEmpty();
}

bool BoardSimProcess::readLine(QByteArray &line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        pending += proc.readAllStandardOutput();
        const int nl = pending.indexOf('\n');
        if (nl >= 0) {
            line = pending.left(nl);
            pending.remove(0, nl + 1);
            return true;
        }
        if (proc.state() == QProcess::NotRunning || deadline.hasExpired()) {
            line = pending;
            return false;
        }
        proc.waitForReadyRead(int(qMax<qint64>(1, qMin<qint64>(100, deadline.remainingTime()))));
    }
}

QString BoardSimProcess::command(const QString &line, int timeoutMs)
{
    if (!isRunning())
        return QString();
    QByteArray out = line.toUtf8();
    out.replace('\n', ' ');
    out += '\n';
    proc.write(out);
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
    if (answer.startsWith("ok "))
        return answer.mid(3);
    return QString();
}

int BoardSimProcess::count(int code)
{
    bool ok = false;
    const int n = value(QStringLiteral("count %1").arg(code)).toInt(&ok);
    return ok ? n : -1;
}

QStringList BoardSimProcess::takeTraffic()
{
    // Pick up lines that arrived since the last command.
    pending += proc.readAllStandardOutput();
    int nl;
    while ((nl = pending.indexOf('\n')) >= 0) {
        traffic << QString::fromUtf8(pending.left(nl));
        pending.remove(0, nl + 1);
    }
    QStringList out;
    out.swap(traffic);
    return out;
}

bool BoardSimProcess::waitForFinished(int timeoutMs)
{
    return proc.state() == QProcess::NotRunning || proc.waitForFinished(timeoutMs);
}

void BoardSimProcess::stop()
{
    if (proc.state() == QProcess::NotRunning)
        return;
    proc.write("quit\n");
    proc.waitForBytesWritten(1000);
    proc.closeWriteChannel();
    if (proc.waitForFinished(QuitTimeoutMs)) {
        if (proc.exitStatus() != QProcess::NormalExit || proc.exitCode() != 0)
            qWarning("BoardSimProcess: simulator ended with code %d", proc.exitCode());
    } else {
        proc.terminate();
        if (!proc.waitForFinished(QuitTimeoutMs)) {
            proc.kill();
            proc.waitForFinished(QuitTimeoutMs);
        }
    }
}
