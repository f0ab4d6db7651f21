#pragma once
// Driving the library's terminal dialogs from a command line: the dialogs read
// their commands from standard input and draw themselves on standard error, so
// prepared commands are put in place of standard input while a dialog runs,
// and what it draws can be caught instead of reaching the screen.

#include <functional>
#include <string>

namespace vl::cli {

// "press 1001; press 1001;cancel" -> one command per line, blanks trimmed.
std::string commandLines(const std::string& script);

// Runs show with standard input reading commands. With shown not null, what
// is written to standard error meanwhile goes into *shown instead. False
// (and show not run) when the streams could not be redirected.
bool runWithDialogInput(const std::string& commands, std::string* shown,
                        const std::function<void()>& show);

}  // namespace vl::cli
