// Bytes as a client might send them: split into frames like the TCP server
// does, each frame opened and interpreted against a sandboxed store.
//
// Speed decides how deep the fuzzer gets, so the store lives in a memory-backed
// folder and its writes are not forced to storage. Every input starts from the
// same empty store and the same clock, so an input replays exactly (one input
// may still build on its own earlier frames: create a recipe, then change it).

#include "remote/ProtocolTCP.h"
#include "remote/RemoteState.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/report.h"

#include <QDir>
#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <iterator>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int64_t kStartTime = 1700000000;
const char *const kFolders[] = {"/home/root/recipes/milling",      "/home/root/recipes/cutting",
                                "/home/root/recipes/whipping",     "/mnt/mmc-memory/recipes/milling",
                                "/mnt/mmc-memory/recipes/cutting", "/mnt/mmc-memory/recipes/whipping",
                                "/home/root/glasses",              "/home/root/recipes",
                                "/mnt/mmc-memory/recipes"};

std::string sandbox;
// The registry the interpreter sees; a fresh one for every input.
std::unique_ptr<GlassElementsList> registry;

void removeSandbox()
{
    if (!sandbox.empty())
        QDir(QString::fromStdString(sandbox)).removeRecursively();
}

// The store's folders, open, and their change times after the last reset: a
// file created, renamed or removed changes its folder's, so most inputs
// (which store nothing) cost one fstat per folder instead of a walk.
int folderFds[std::size(kFolders)];
struct timespec folderTimes[std::size(kFolders)];

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool foldersChanged()
{
    for (std::size_t i = 0; i < std::size(kFolders); ++i) {
        struct stat st {};
        if (::fstat(folderFds[i], &st) != 0 || !sameTime(st.st_mtim, folderTimes[i]))
            return true;
    }
    return false;
}

// Removes the files the last input stored and notes the folders' times.
void removeStoredFiles()
{
    for (std::size_t i = 0; i < std::size(kFolders); ++i) {
        const std::string path = sandbox + kFolders[i];
        if (DIR *dir = ::opendir(path.c_str())) {
            while (dirent *e = ::readdir(dir)) {
                if (e->d_type != DT_DIR)
                    ::unlink((path + "/" + e->d_name).c_str());
            }
            ::closedir(dir);
        }
        struct stat st {};
        ::fstat(folderFds[i], &st);
        folderTimes[i] = st.st_mtim;
    }
}

// Empty recipe lists and beaker registry, as on a machine that stores nothing.
void freshStores()
{
    for (RecipeElementList **list : {&recipesMillingList, &recipesCuttingList, &recipesWhippingList}) {
        delete *list;
        *list = nullptr;
    }
    createRecipeLists();
    registry = std::make_unique<GlassElementsList>();
    glassList = registry.get();
}

// What the home screen does with a remote start: take it over, so the next
// input starts with nothing pending.
void consumeRemoteStart()
{
    PendingRemoteStart start = takePendingRemoteStart();
    if (start.program)
        adoptRemoteStart(std::move(start));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // /dev/shm is memory-backed on Linux; elsewhere the temporary folder.
    struct stat st {};
    const bool shm = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0;
    std::string pattern = std::string(shm ? "/dev/shm" : (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp"))
                          + "/frostpanel-fuzz-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        std::abort();
    sandbox = pattern;
    std::atexit(removeSandbox);
    setenv("FROSTPANEL_ROOT", sandbox.c_str(), 1);
    for (std::size_t i = 0; i < std::size(kFolders); ++i) {
        QDir().mkpath(QString::fromStdString(sandbox + kFolders[i]));
        folderFds[i] = ::open((sandbox + kFolders[i]).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFds[i] < 0)
            std::abort();
    }

    platform::setDurableWritesForTests(false);
    platform::setLogSink([](const std::string &) {});
    platform::setOperatorReporter([](const std::string &) {});
    platform::setFixedNow(kStartTime);
    connectLinkHooks();
    removeStoredFiles();
    freshStores();
    canStartRemoteRecipe = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Opening the raw buffer as a whole must be safe too.
    ProtocolTCP::ByteUnstuffing(ByteVector(data, data + size));

    platform::setFixedNow(kStartTime);
    FrameAssembler frames;
    frames.append(data, size);
    ByteVector frame;
    for (;;) {
        const FrameAssembler::Result r = frames.next(&frame);
        if (r == FrameAssembler::Incomplete)
            break;
        if (r == FrameAssembler::Frame) {
            ProtocolTCP::InterpretCommand(frame, true);
            // Each request a second later: changes get distinct times.
            platform::advanceFixedNow(1);
        }
    }
    consumeRemoteStart();

    if (getLastUpdateDB() != 0 || foldersChanged()) {
        removeStoredFiles();
        freshStores();
    }
    return 0;
}
