// vlmidi live: the live input command. Not built yet.

#include <cstdio>

#include "commands.h"
#include "exit_codes.h"

namespace vl::cli {

int runLiveCommand(const Arguments&) {
    std::fputs("vlmidi: live: not built yet\n", stderr);
    return kExitUsageError;
}

}  // namespace vl::cli
