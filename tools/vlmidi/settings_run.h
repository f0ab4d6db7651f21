#pragma once
// Running vlmidi once more with settings of its own. The library reads its settings file once,
// when it is loaded, so other settings need another process: it starts with XDG_CONFIG_HOME
// pointing at a folder of its own that holds only the chosen settings, and the user's
// settings file is neither read nor written.

#include <optional>
#include <string>
#include <vector>

#include "settings_choice.h"

namespace vl::cli {

struct ChildRun {
    bool started = false;
    int exitStatus = -1;  // the child's exit status; -1 when it did not exit normally
    std::string output;   // its standard output, when captured
};

// Runs this program with `args` (without the program name) under `settings`. With
// captureOutput the child's standard output is returned; otherwise it writes to ours.
ChildRun runWithSettings(const TranscriptionSettings& settings,
                         const std::vector<std::string>& args, bool captureOutput);

}  // namespace vl::cli
