#include "app/ToolRun.h"

#include "platform/log.h"

#include <QProcess>
#include <QTimer>

#include <algorithm>

namespace {

int limitForRuns = ToolRun::kDefaultLimitMs;

} // namespace

void ToolRun::setLimitMsForTests(int ms)
{
    limitForRuns = ms > 0 ? ms : kDefaultLimitMs;
}

int ToolRun::limitMs()
{
    return limitForRuns;
}

ToolRun::ToolRun(const QString &name, QObject *context, Done then)
    : QObject(context), program(name), process(new QProcess(this)), limit(new QTimer(this)), done(std::move(then))
{
}

ToolRun *ToolRun::start(const QString &program, const QStringList &args, QObject *context, Done done)
{
    auto *run = new ToolRun(program, context, std::move(done));
    QProcess *p = run->process;
    p->setProcessChannelMode(QProcess::SeparateChannels);
    p->setStandardErrorFile(QProcess::nullDevice());
    p->setStandardInputFile(QProcess::nullDevice());

    connect(p, &QProcess::errorOccurred, run, [run](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        platform::debugLine("tool " + run->program.toStdString() + " not started");
        run->report();
    });
    connect(p, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), run,
            [run](int code, QProcess::ExitStatus status) {
                run->takeOutput();
                if (!run->reported) {
                    run->result.finished = status == QProcess::NormalExit;
                    run->result.exitCode = run->result.finished ? code : -1;
                }
                run->report();
            });
    connect(p, &QProcess::started, run, [run] { run->result.started = true; });
    // What a tool prints is kept up to a bound: a runaway one cannot fill
    // the memory in the time it is given.
    connect(p, &QProcess::readyReadStandardOutput, run, [run] { run->takeOutput(); });

    run->limit->setSingleShot(true);
    connect(run->limit, &QTimer::timeout, run, [run] {
        platform::debugLine("tool " + run->program.toStdString() + " did not end in " +
                            std::to_string(limitForRuns) + " ms, killed");
        run->takeOutput();
        // Killed, it fails now; its end is only waited for to reap it.
        run->report();
        run->process->kill();
    });
    run->limit->start(limitForRuns);
    run->starting = true;
    p->start(program, args);
    run->starting = false;
    return run;
}

void ToolRun::takeOutput()
{
    const QByteArray chunk = process->readAllStandardOutput();
    if (!reported)
        result.output.append(chunk.left(std::max(0, kMaxOutputBytes - int(result.output.size()))));
}

void ToolRun::report()
{
    if (reported)
        return;
    if (starting) {
        // A tool that is missing may fail inside start(): tell the caller
        // from the event loop all the same.
        QMetaObject::invokeMethod(this, [this] { report(); }, Qt::QueuedConnection);
        return;
    }
    reported = true;
    limit->stop();
    // Called from a signal of the process or the timer: the caller learns of
    // it from the event loop, never from inside start().
    Done then = std::move(done);
    const Result r = result;
    if (process->state() == QProcess::NotRunning)
        deleteLater();
    else
        connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &QObject::deleteLater);
    if (then)
        then(r);
}

ToolRun::~ToolRun()
{
    // Nothing may call back into a context that is going away; the process
    // is killed and reaped by its own destructor.
    process->disconnect(this);
    limit->stop();
    if (process->state() != QProcess::NotRunning)
        process->kill();
}
