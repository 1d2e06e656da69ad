// Bytes as a client might send them: split into frames like the TCP server
// does, each frame opened and interpreted against a sandboxed store.

#include "remote/ProtocolTCP.h"
#include "remote/RemoteState.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/WorkSettings.h"

#include "platform/clock.h"
#include "platform/log.h"
#include "platform/report.h"

#include <QDir>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string sandbox;
// Remote starts repoint `actual`; the program never frees what it pointed at.
WorkSettings *initialProgram = nullptr;

void removeSandbox()
{
    if (!sandbox.empty())
        QDir(QString::fromStdString(sandbox)).removeRecursively();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char pattern[] = "/tmp/frostpanel-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    sandbox = pattern;
    std::atexit(removeSandbox);
    setenv("FROSTPANEL_ROOT", sandbox.c_str(), 1);
    for (const char *folder : {"/home/root/recipes/milling", "/home/root/recipes/cutting", "/home/root/recipes/whipping",
                               "/mnt/mmc-memory/recipes/milling", "/mnt/mmc-memory/recipes/cutting",
                               "/mnt/mmc-memory/recipes/whipping", "/home/root/glasses"})
        QDir().mkpath(QString::fromStdString(sandbox + folder));

    platform::setLogSink([](const std::string &) {});
    platform::setOperatorReporter([](const std::string &) {});
    // A fixed clock: inputs replay the same way.
    platform::setFixedNow(1700000000);
    initialProgram = actual;
    createRecipeLists();
    glassList->Load();
    canStartRemoteRecipe = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Opening the raw buffer as a whole must be safe too.
    ProtocolTCP::ByteUnstuffing(ByteVector(data, data + size));

    FrameAssembler frames;
    frames.append(data, size);
    ByteVector frame;
    for (;;) {
        const FrameAssembler::Result r = frames.next(&frame);
        if (r == FrameAssembler::Incomplete)
            break;
        if (r == FrameAssembler::Frame)
            ProtocolTCP::InterpretCommand(frame, true);
    }
    platform::advanceFixedNow(1);
    return 0;
}
