#pragma once
// Runs the simulated controller board (frostpanel-boardsim) for a test and
// talks to it over its standard input. The binary is taken from the
// FROSTPANEL_BOARDSIM environment variable (CTest sets it), else from the
// build folder above the test executable.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

class BoardSimProcess
{
public:
    BoardSimProcess();
    ~BoardSimProcess() { stop(); }
    BoardSimProcess(const BoardSimProcess &) = delete;
    BoardSimProcess &operator=(const BoardSimProcess &) = delete;

    // Launches the simulator and waits for its "device:" line; false on any
    // failure or after about five seconds.
    bool start(const QStringList &extraArgs = {});
    // The pseudo-terminal to open as the serial port.
    QString devicePath() const { return device; }

    // Sends one control line and returns its answer ("ok...", "error ..."),
    // keeping traffic lines aside; an empty string on time-out.
    QString command(const QString &line, int timeoutMs = 3000);
    // "ok" answers only: the value after "ok ", or a null string.
    QString value(const QString &line, int timeoutMs = 3000);
    // Traffic lines ("rx ...", "tx ...") seen since the last call, in order.
    QStringList takeTraffic();

    // Exit code once ended; a sanitizer report makes it non-zero.
    int exitCode() const { return proc.exitCode(); }
    bool crashed() const { return proc.exitStatus() == QProcess::CrashExit; }
    // "quit", then terminate, then kill; waits for the process to end.
    void stop();

private:
    bool readLine(QByteArray &line, int timeoutMs);

    QProcess proc;
    QString device;
    QStringList traffic;
};
