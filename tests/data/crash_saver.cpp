// Saves every kind of stored file over and over, alternating two versions,
// under the sandbox root given as the first argument; the crash-safety test
// kills it at random moments.
//
//   crash_saver ROOT loop      print "ready", then save rounds until killed
//   crash_saver ROOT rounds N  the same for N rounds, then exit (for timing)
//
// The root comes as an argument and is set here, after the program's static
// objects exist, so that none of them sees a root they were not built for.

#include "crash_writes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    const bool loop = argc == 3 && std::strcmp(argv[2], "loop") == 0;
    const bool rounds = argc == 4 && std::strcmp(argv[2], "rounds") == 0;
    if (!loop && !rounds) {
        std::fprintf(stderr, "usage: %s ROOT loop | ROOT rounds N\n", argv[0]);
        return 2;
    }
    setenv("FROSTPANEL_ROOT", argv[1], 1);
    crashwrites::quietAndWithoutSync();
    crashwrites::makeFolders();
    std::printf("ready\n");
    std::fflush(stdout);

    const long count = rounds ? std::atol(argv[3]) : -1;
    for (long i = 0; count < 0 || i < count; ++i)
        crashwrites::saveAll(int((i + 1) % 2));
    return 0;
}
