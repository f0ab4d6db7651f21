// vlmidi config: the settings command. Not built yet.

#include <cstdio>

#include "commands.h"
#include "exit_codes.h"

namespace vl::cli {

int runConfigCommand(const Arguments&) {
    std::fputs("vlmidi: config: not built yet\n", stderr);
    return kExitUsageError;
}

}  // namespace vl::cli
