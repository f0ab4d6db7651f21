// vlmidi view: the item viewer command. Not built yet.

#include <cstdio>

#include "commands.h"
#include "exit_codes.h"

namespace vl::cli {

int runViewCommand(const Arguments&) {
    std::fputs("vlmidi: view: not built yet\n", stderr);
    return kExitUsageError;
}

}  // namespace vl::cli
