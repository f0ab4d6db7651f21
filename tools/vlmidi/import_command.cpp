// vlmidi import FILE: open, transcribe, and print what the library hands out, as notation for a
// musician (the default), as raw items (--items), or as JSON (--format json).

#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "import_result.h"
#include "item_printer.h"
#include "json_report.h"
#include "musician_view.h"
#include "open_session.h"
#include "progress_channel.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

enum class OutputForm { Notation, Items, Json };

struct ImportOptions {
    std::string path;
    bool quiet = false;
    bool items = false;
    std::optional<std::string> format;  // as given; checked once all options are read
};

std::optional<std::string> checkFormat(const ImportOptions& options, OutputForm& form) {
    const std::string format = options.format.value_or("text");
    if (format == "json") {
        if (options.items) {
            return std::string("import: --items and --format json exclude each other");
        }
        form = OutputForm::Json;
    } else if (format == "text") {
        form = options.items ? OutputForm::Items : OutputForm::Notation;
    } else {
        return "import: unknown format '" + format + "' (text, json)";
    }
    return std::nullopt;
}

// Fills `options` and `form`; on a mistake returns the message to show.
std::optional<std::string> parseOptions(const Arguments& args, ImportOptions& options,
                                        OutputForm& form) {
    bool optionsEnded = false;
    bool havePath = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--quiet" || arg == "-q")) {
            options.quiet = true;
        } else if (!optionsEnded && arg == "--items") {
            options.items = true;
        } else if (!optionsEnded && arg == "--format") {
            if (i + 1 >= args.size()) return std::string("import: --format needs a FORMAT");
            options.format = args[++i];
        } else if (!optionsEnded && arg.rfind("--format=", 0) == 0) {
            options.format = arg.substr(arg.find('=') + 1);
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return "import: unknown option '" + arg + "'";
        } else if (havePath) {
            return "import: only one FILE may be given ('" + options.path + "' and '" + arg + "')";
        } else {
            options.path = arg;
            havePath = true;
        }
    }
    if (!havePath || options.path.empty()) return std::string("import: no FILE given");
    return checkFormat(options, form);
}

void printSummary(const ImportResult& result) {
    std::printf("file: %s\n", result.path.c_str());
    if (result.header) {
        std::printf("%s\n", describeHeader(*result.header).c_str());
    } else {
        std::printf("header: unknown\n");
    }
    if (result.cancelled) {
        std::printf("strands: cancelled\n");
    } else {
        std::printf("strands: %d\n", static_cast<int>(result.strandCount));
    }
    std::printf("error word: 0x%x\n", static_cast<unsigned>(result.errorWord));
}

void printResult(const ImportResult& result, OutputForm form) {
    if (form == OutputForm::Json) {
        std::fputs(formatJsonReport(result).c_str(), stdout);
        return;
    }
    printSummary(result);
    if (result.cancelled) return;
    if (form == OutputForm::Items) {
        printItemLines(result, stdout);
    } else {
        printMusicianView(result, stdout);
    }
}

// Opens through vlImportOpen when progress is wanted: only that call gives the library a window
// to send reports to. A non-empty path never shows a file dialog.
ImportSession* openFile(const ImportOptions& options, ProgressChannel* progress) {
    if (progress != nullptr) {
        return vlImportOpen(progress->windowToken(), ProgressChannel::kProgressMessage,
                            options.path.c_str());
    }
    return vlImportOpenFromName(options.path.c_str());
}

int importFile(const ImportOptions& options, OutputForm form) {
    std::optional<ProgressChannel> progress;
    if (!options.quiet) progress.emplace(true);

    OpenSession session(openFile(options, progress ? &*progress : nullptr));
    if (session.get() == nullptr) return reportUnreadableFile(options.path);

    const std::int32_t strands = vlImportInitialise(session.get());
    if (progress) progress->finish();
    ImportResult result = captureSummary(session.get(), options.path, strands);
    if (!result.cancelled) captureItemLists(session.get(), result);
    printResult(result, form);
    if (result.cancelled) {
        std::fflush(stdout);
        std::fprintf(stderr, "vlmidi: import of '%s' cancelled\n", options.path.c_str());
        return kExitCancelled;
    }
    return kExitSuccess;
}

}  // namespace

int runImportCommand(const Arguments& args) {
    const Command* self = findCommand("import");
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            printCommandHelp(*self, stdout);
            return kExitSuccess;
        }
    }
    ImportOptions options;
    OutputForm form = OutputForm::Notation;
    if (const auto mistake = parseOptions(args, options, form)) return usageError(*mistake, self);
    return importFile(options, form);
}

}  // namespace vl::cli
