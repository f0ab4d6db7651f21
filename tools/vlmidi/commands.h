#pragma once
// The command table of vlmidi: one entry per subcommand, so that usage text and dispatch stay
// in one place and a new command is one more entry plus its own source file.

#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace vl::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* synopsis;     // the argument pattern shown after "vlmidi"
    const char* summary;      // one line for the command list
    const char* description;  // the longer text of "vlmidi help COMMAND"
    int (*run)(const Arguments& args);  // arguments after the command name
    const char* sharedOptions = nullptr;  // options several commands take, shown after the rest
};

std::span<const Command> commandTable();
const Command* findCommand(const std::string& name);

void printUsage(std::FILE* out);
void printCommandHelp(const Command& command, std::FILE* out);

// Reports a usage mistake on stderr with a hint where to read more; returns kExitUsageError.
int usageError(const std::string& message, const Command* command = nullptr);

int runImportCommand(const Arguments& args);
int runListCommand(const Arguments& args);
int runStatsCommand(const Arguments& args);
int runViewCommand(const Arguments& args);
int runConfigCommand(const Arguments& args);
int runLiveCommand(const Arguments& args);
int runConvertCommand(const Arguments& args);

}  // namespace vl::cli
