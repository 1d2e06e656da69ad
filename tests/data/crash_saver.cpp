// Saves every kind of stored file over and over, alternating the two versions,
// under the sandbox root ROOT until killed. The root is set here, after the
// static objects exist, so that none of them sees a root it was not built for.

#include "crash_writes.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ROOT\n", argv[0]);
        return 2;
    }
    setenv("FROSTPANEL_ROOT", argv[1], 1);
    crashwrites::prepare();
    std::printf("ready\n");
    std::fflush(stdout);
    for (int version = 1;; version = 1 - version)
        crashwrites::saveAll(version);
}
