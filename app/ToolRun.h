#pragma once
// Runs one of the system's tools (the wireless tools above all) as a child
// process without blocking the graphical thread: the caller hands over what
// to do with the result and returns to the event loop at once.
//
// Standard output is read whole, up to 1 MiB (standard error is dropped). A tool that
// cannot be started fails at once; one that has not ended within the limit
// is killed and fails. A tool's exit status is reported, not judged: the
// wireless tools' callers decide from what the tool printed.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;
class QTimer;

class ToolRun : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultLimitMs = 30000;
    // Output past this is dropped.
    static constexpr int kMaxOutputBytes = 1 << 20;

    struct Result
    {
        bool started = false;  // the program was found and ran
        bool finished = false; // it ended by itself within the limit
        int exitCode = -1;     // its exit status when it ended normally
        QByteArray output;     // its standard output
        bool ok() const { return started && finished; }
    };
    using Done = std::function<void(const Result &)>;

    // Starts `program` (looked up in PATH) with `args`. `done` runs once, on
    // the graphical thread, from the event loop (never inside this call). The
    // run belongs to `context`: when that object goes first, the tool is
    // killed and `done` never runs.
    static ToolRun *start(const QString &program, const QStringList &args, QObject *context, Done done);

    // The time limit of every run started from now on; tests shorten it
    // (0 restores kDefaultLimitMs).
    static void setLimitMsForTests(int ms);
    static int limitMs();

    ~ToolRun() override;

    bool running() const { return !reported; }

private:
    ToolRun(const QString &program, QObject *context, Done done);
    void report();
    void takeOutput();

    QString program;
    QProcess *process;
    QTimer *limit;
    Done done;
    Result result;
    bool reported = false;
    bool starting = false;
};
