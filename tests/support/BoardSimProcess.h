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
    ~BoardSimProcess();
    BoardSimProcess(const BoardSimProcess &) = delete;
    BoardSimProcess &operator=(const BoardSimProcess &) = delete;

    static QString program();

    // Launches the simulator and waits for its "device:" line; false on any
    // failure or after about five seconds.
    bool start(const QStringList &extraArgs = {});
    bool isRunning() const;
    // The pseudo-terminal to open as the serial port.
    QString devicePath() const { return device; }

    // Sends one control line and returns its answer ("ok...", "error ..."),
    // skipping traffic lines; an empty string on time-out.
    QString command(const QString &line, int timeoutMs = 3000);
    // "ok" answers only: the value after "ok ", or a null string.
    QString value(const QString &line, int timeoutMs = 3000);
    // Frames received with that code so far, -1 when it cannot be asked.
    int count(int code);

    // Traffic lines ("rx ...", "tx ...") seen since the last call, in order.
    QStringList takeTraffic();

    qint64 processId() const { return proc.processId(); }
    // Exit code once ended; a sanitizer report makes it non-zero.
    int exitCode() const { return proc.exitCode(); }
    bool crashed() const { return proc.exitStatus() == QProcess::CrashExit; }
    // Waits for the simulator to end by itself (after a signal, say).
    bool waitForFinished(int timeoutMs = 5000);

    // "quit", then terminate, then kill; waits for the process to end.
    void stop();

private:
    bool readLine(QByteArray &line, int timeoutMs);

    QProcess proc;
    QByteArray pending;
    QString device;
    QStringList traffic;
};
