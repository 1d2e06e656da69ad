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
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// Told of every file created, changed, renamed or removed in the store's
// folders: most inputs store nothing and then cost one read here instead of
// a walk through the folders.
int storeWatch = -1;
int watches[std::size(kFolders)];
bool touched[std::size(kFolders)];

// Notes which folders changed; true when any did.
bool storeChanged()
{
    bool changed = false;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(storeWatch, events, sizeof(events))) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(events + at);
            // An overflowed queue names no folder: all may have changed.
            const bool all = (e->mask & IN_Q_OVERFLOW) != 0;
            for (std::size_t i = 0; i < std::size(kFolders); ++i)
                touched[i] = touched[i] || all || watches[i] == e->wd;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
        changed = true;
    }
    return changed;
}

// Removes the files the last input stored.
void removeStoredFiles()
{
    for (std::size_t i = 0; i < std::size(kFolders); ++i) {
        if (!touched[i])
            continue;
        touched[i] = false;
        const std::string path = sandbox + kFolders[i];
        if (DIR *dir = ::opendir(path.c_str())) {
            while (dirent *e = ::readdir(dir)) {
                if (e->d_type != DT_DIR)
                    ::unlink((path + "/" + e->d_name).c_str());
            }
            ::closedir(dir);
        }
    }
    // The removals themselves.
    storeChanged();
    std::fill(std::begin(touched), std::end(touched), false);
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
    storeWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (storeWatch < 0)
        std::abort();
    for (std::size_t i = 0; i < std::size(kFolders); ++i) {
        const std::string path = sandbox + kFolders[i];
        QDir().mkpath(QString::fromStdString(path));
        watches[i] = ::inotify_add_watch(storeWatch, path.c_str(), IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_DELETE);
        if (watches[i] < 0)
            std::abort();
        touched[i] = true;
    }

    platform::setDurableWritesForTests(false);
    platform::setLogSink([](const std::string &) {});
    platform::setOperatorReporter([](const std::string &) {});
    platform::setFixedNow(kStartTime);
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

    if (storeChanged() || getLastUpdateDB() != 0) {
        removeStoredFiles();
        freshStores();
    }
    return 0;
}
