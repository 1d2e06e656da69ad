#pragma once
// What the run monitor and run summary tests share: the simulated board on a
// pty with the real link thread in front of it, a program to run, starting a
// run the way the start screens do, and the program's log.

#include "support_work.h"

#include "data/GlassElement.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "errors/ErrorManager.h"
#include "link/LinkHooks.h"
#include "platform/log.h"
#include "work/RunningSummary.h"
#include "work/WorkRun.h"
#include "work/running.h"

#include <QDateTime>
#include <QMutex>

// The board, the link and the program of a run.
class RunBench : public BoardBench
{
public:
    WorkSettings program;

    // Once per test executable.
    bool begin()
    {
        if (!startBoard())
            return false;
        syscmd::setSyncRunnerForTests([] {});
        platform::setLogSink([this](const std::string &line) {
            QMutexLocker l(&logMutex);
            logLines << QString::fromStdString(line);
        });
        errorSystem.fillErrorTable();
        errorSystem.loadData();
        machineLife.load();
        resetStateVar(); // as start-up does before the link runs
        // What start-up wires: the board's error codes reach the error manager.
        LinkHooks::errorCodeRead = [](uint8_t code) { errorSystem.setErrorCode(code); };
        startLink();
        return true;
    }
    void end()
    {
        link.reset();
        platform::setLogSink({});
    }

    // Before each test: a board at power-on, idle and ready, and a frostizing
    // program of one portion in four milling steps, stored so that it reloads.
    bool reset()
    {
        closeWindows();
        // One second a step: the monitor's 400 ms poll sees every step,
        // and a one-portion run lasts five seconds.
        if (!board("reset all") || !board("pace 1"))
            return false;
        platform::clearFixedNowForTests();
        ErrorWindowFlag = reworkSet = usbMount = serviceEnable = false;
        errorSystem.resetState();
        reset_errori();
        if (actualSelectedGlass)
            actualSelectedGlass->reset();
        program = WorkSettings();
        program.filename = "testrun";
        program.setPortionDimension(8);
        program.setPortion(1);
        for (int i = 0; i < 4; ++i)
            program.setMillingSteps(uint8_t(3 + i), uint8_t(4 + i), i);
        program.setMillingPressionType(WorkingTimer::PRESSION_PUMP);
        program.setMillingPressionIntensity(10);
        actual = &program;
        if (!program.Save(QString()))
            return false;
        takeLog();
        // The link has polled the reset board: idle, lid down, ready.
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            if (!working && machineReady && machineOpen && glassPresence && oringPresence && checkWaitStateVar())
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    int sent(int code) { return sim.value(QString("count %1").arg(code)).toInt(); }
    QString lastFrame(int code) { return sim.value(QString("last %1").arg(code)); }

    // Queues the program's work sequence as the start screens do and waits
    // for the board's three answers; true when all accepted.
    bool startRun()
    {
        if (!queueWorkSequence())
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 8000 && !checkWaitStateVar())
            QTest::qWait(20);
        return setMillingFlag == 1 && setEmulsionFlag == 1 && startRunningFlag == 1;
    }

    // The run monitor as a start screen opens it.
    QPointer<running> openMonitor(int glassDimension = 80)
    {
        auto *monitor = new running();
        monitor->setAttribute(Qt::WA_DeleteOnClose);
        monitor->setGlassDimension(glassDimension);
        return monitor;
    }

    QStringList takeLog()
    {
        QMutexLocker l(&logMutex);
        QStringList out;
        out.swap(logLines);
        return out;
    }
    bool logged(const QString &text)
    {
        QMutexLocker l(&logMutex);
        for (const QString &line : logLines)
            if (line.contains(text))
                return true;
        return false;
    }

private:
    QMutex logMutex;
    QStringList logLines;
};
