// vlmidi view FILE [--script COMMANDS]: transcribes a file and opens the
// library's "Import lists" dialog on it, in the terminal or on commands given
// by a script or standard input.

#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "dialog_input.h"
#include "exit_codes.h"
#include "open_session.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

constexpr int32_t kTerminalDialogs = 1;

struct ViewOptions {
    std::string path;
    std::optional<std::string> script;
};

std::optional<std::string> parseOptions(const Arguments& args, ViewOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--script") {
            if (i + 1 >= args.size()) return std::string("view: --script needs COMMANDS");
            options.script = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "view: unknown option '" + arg + "'";
        } else if (!options.path.empty()) {
            return std::string("view: only one FILE may be given");
        } else {
            options.path = arg;
        }
    }
    if (options.path.empty()) return std::string("view: no FILE given");
    return std::nullopt;
}

}  // namespace

int runViewCommand(const Arguments& args) {
    const Command* self = findCommand("view");
    ViewOptions options;
    if (const auto mistake = parseOptions(args, options)) return usageError(*mistake, self);

    OpenSession session(vlImportOpenFromName(options.path.c_str()));
    if (session.get() == nullptr) return reportUnreadableFile(options.path);
    if (vlImportInitialise(session.get()) < 0) return kExitCancelled;

    // The viewer is the point of the command, so its dialog is shown even
    // when no person sits at the terminal: it then reads its commands.
    vlImportSetDialogMode(kTerminalDialogs);
    const auto show = [&] { VlMidiImportListShow(session.get(), nullptr); };
    if (!options.script) {
        show();
        return kExitSuccess;
    }
    if (!runWithDialogInput(commandLines(*options.script), nullptr, show)) {
        std::fputs("vlmidi: view: cannot pass the script to the dialog\n", stderr);
        return kExitUsageError;
    }
    return kExitSuccess;
}

}  // namespace vl::cli
