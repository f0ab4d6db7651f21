#pragma once
// Exit codes of vlmidi, the same for every command so scripts can tell the cases apart.

namespace vl::cli {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitUnreadableFile = 1,
    kExitUsageError = 2,
    kExitCancelled = 3,
    kExitNotSaved = 4,  // the settings file could not be written
};

}  // namespace vl::cli
