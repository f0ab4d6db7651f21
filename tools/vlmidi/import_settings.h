#pragma once
// `vlmidi import --settings auto|LIST`: the import runs again in a process of its own under the
// settings given, or under the candidate whose notation reads simplest.

#include <optional>
#include <string>

#include "commands.h"
#include "notation_simplicity.h"

namespace vl::cli {

// The hidden option a candidate's run gets: print the simplicity figures instead of the result.
inline constexpr const char* kSimplicityOption = "--simplicity";

// Checks "auto" or a settings list; the usage mistake when it is neither.
std::optional<std::string> checkSettingsChoice(const std::string& choice);

// Runs `import` with `forwarded` (the import's arguments without --settings) under the choice
// and answers its exit code. Unless quiet, says on stderr which settings an `auto` chose.
int importWithSettings(const std::string& choice, const std::string& path,
                       const Arguments& forwarded, bool quiet);

}  // namespace vl::cli
