// vlmidi stats: the statistics command. Not built yet.

#include <cstdio>

#include "commands.h"
#include "exit_codes.h"

namespace vl::cli {

int runStatsCommand(const Arguments&) {
    std::fputs("vlmidi: stats: not built yet\n", stderr);
    return kExitUsageError;
}

}  // namespace vl::cli
