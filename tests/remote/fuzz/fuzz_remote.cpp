// Bytes as a client might send them: split into frames like the TCP server
// does, each frame opened and interpreted against the stores.
//
// Speed decides how deep the fuzzer gets, so the stores keep their files in
// memory (platform/filestore.h): a change costs no system call. Every input
// starts from the same empty stores and the same clock, so an input replays
// exactly (one input may still build on its own earlier frames: create a
// recipe, then change it).

#include "remote/ProtocolTCP.h"
#include "remote/RemoteState.h"

#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include "platform/clock.h"
#include "platform/filestore.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>

namespace {

constexpr int64_t kStartTime = 1700000000;
// The folders a machine that stores nothing has.
const char *const kFolders[] = {"/home/root/recipes/milling",      "/home/root/recipes/cutting",
                                "/home/root/recipes/whipping",     "/mnt/mmc-memory/recipes/milling",
                                "/mnt/mmc-memory/recipes/cutting", "/mnt/mmc-memory/recipes/whipping",
                                "/home/root/glasses"};

// The registry the interpreter sees.
std::unique_ptr<GlassElementsList> registry;
RecipeElementList **const lists[] = {&recipesMillingList, &recipesCuttingList, &recipesWhippingList};
// The lists and the registry as a machine that stores nothing loads them.
RecipeElementList::State emptyLists[std::size(lists)];
GlassElementsList::State emptyRegistry;
// The memory store's change count when it held nothing but the folders.
std::uint64_t emptyStore = 0;

// kFolders under the root.
std::string rootedFolders[std::size(kFolders)];

void emptyTheStore()
{
    platform::clearMemoryFilesForTests();
    for (const std::string &folder : rootedFolders)
        platform::makeFolder(folder);
    emptyStore = platform::memoryFileChanges();
}

// Back to the empty lists and registry (in place: cheaper than new ones).
void freshStores()
{
    for (std::size_t i = 0; i < std::size(lists); ++i)
        (*lists[i])->restore(emptyLists[i]);
    registry->restore(emptyRegistry);
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
    // A root that is not on the disk: an access that missed the store in
    // memory fails there instead of touching real files.
    setenv("FROSTPANEL_ROOT", "/frostpanel-fuzz-in-memory", 1);
    platform::useMemoryFilesForTests();
    platform::setLogSink([](const std::string &) {});
    platform::setOperatorReporter([](const std::string &) {});
    platform::setFixedNowForTests(kStartTime);
    for (std::size_t i = 0; i < std::size(kFolders); ++i)
        rootedFolders[i] = platform::path(kFolders[i]);
    emptyTheStore();
    createRecipeLists();
    for (std::size_t i = 0; i < std::size(lists); ++i)
        emptyLists[i] = (*lists[i])->snapshot();
    registry = std::make_unique<GlassElementsList>();
    emptyRegistry = registry->snapshot();
    glassList = registry.get();
    canStartRemoteRecipe = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Opening the raw buffer as a whole must be safe too.
    ProtocolTCP::ByteUnstuffing(ByteVector(data, data + size));

    platform::setFixedNowForTests(kStartTime);
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
            platform::advanceFixedNowForTests(1);
        }
    }
    consumeRemoteStart();

    if (platform::memoryFileChanges() != emptyStore || getLastUpdateDB() != 0) {
        emptyTheStore();
        freshStores();
    }
    return 0;
}
