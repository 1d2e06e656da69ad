#pragma once
// What the work-screen tests share: the simulated board on a real pty with
// the link thread talking to it, the board frames it received, the screens'
// keys, and the test program's main.

#include "../app/support_app.h"

#include "BoardSimProcess.h"
#include "app/DialogMessage.h"
#include "app/Utils.h"
#include "app/ErrorMessage.h"
#include "app/WaitResponseCmd.h"
#include "data/SequenceMsg.h"
#include "link/ProtocolConversion.h"

#include "work/WorkResources.h"

#include <QMovie>

#define WORK_TEST_MAIN(TestClass)                                                                                      \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        initAppResources();                                                                                            \
        initWorkResources();                                                                                           \
        TestClass t;                                                                                                   \
        return QTest::qExec(&t, argc, argv);                                                                           \
    }

// The picture of the one error dialog on screen ("" without one).
inline QString shownErrorPicture()
{
    ErrorMessage *e = shownWindow<ErrorMessage>();
    QLabel *picture = e ? e->findChild<QLabel *>("picture") : nullptr;
    return picture && picture->movie() ? picture->movie()->fileName() : QString();
}

// The simulated board on a pty and the link thread talking to it, for a
// whole test executable: startBoard() first, startLink() once the program's
// state is set up. The link stops before the board goes.
struct BoardBench
{
    TempRoot root; // one for the whole run: the link thread reads paths under it
    BoardSimProcess sim;
    std::unique_ptr<RunningLink> link;

    bool startBoard()
    {
        if (!sim.start())
            return false;
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
        return true;
    }
    void startLink() { link = std::make_unique<RunningLink>(); }
    bool board(const QString &command) { return sim.command(command) == "ok"; }
};

// The key named `name` of a screen, and pressing it.
inline QPushButton *key(QWidget *screen, const char *name)
{
    QPushButton *k = screen->findChild<QPushButton *>(name);
    if (!k)
        qWarning("no key %s", name);
    return k;
}

inline void press(QWidget *screen, const char *name, int times = 1)
{
    for (int i = 0; i < times; ++i)
        key(screen, name)->click();
}

// The frames of a work sequence as a list.
inline std::vector<ByteVector> sequenceOf(const WorkSettings &program)
{
    std::queue<ByteVector> q = BuildSequenceMsg(program);
    std::vector<ByteVector> out;
    for (; !q.empty(); q.pop())
        out.push_back(q.front());
    return out;
}

// The command frames the board received (its "rx" traffic lines), without
// the status and telemetry requests the link sends on its own.
inline std::vector<ByteVector> commandsReceived(BoardSimProcess &sim)
{
    std::vector<ByteVector> out;
    for (const QString &line : sim.takeTraffic()) {
        if (!line.startsWith("rx "))
            continue;
        const QByteArray raw = QByteArray::fromHex(line.mid(3).toLatin1());
        const ByteVector frame(raw.begin(), raw.end());
        if (frame.size() > 1 && frame[1] < BoardCmd::Status)
            out.push_back(frame);
    }
    return out;
}

// How often the board received frames of this code.
inline int boardCount(BoardSimProcess &sim, int code)
{
    return sim.value(QString("count %1").arg(code)).toInt();
}

// The machine flags the start checks read, as the link last saw them.
inline QString machineFlags()
{
    return QString("gasket=%1 lid=%2 glass=%3 closeok=%4")
        .arg(int(oringPresence.load()))
        .arg(int(machineOpen.load()))
        .arg(int(glassPresence.load()))
        .arg(int(machineCloseOk.load()));
}
