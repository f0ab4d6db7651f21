// vlmidi import FILE: open, transcribe, and print every item list the library hands out.

#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "item_printer.h"
#include "midi_header_probe.h"
#include "open_session.h"
#include "progress_channel.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

constexpr std::int32_t kCancelled = -1;

struct ImportOptions {
    std::string path;
    bool quiet = false;
};

// Fills `options`; on a mistake returns the message to show.
std::optional<std::string> parseOptions(const Arguments& args, ImportOptions& options) {
    bool optionsEnded = false;
    bool havePath = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--quiet" || arg == "-q")) {
            options.quiet = true;
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
    return std::nullopt;
}

void printItemList(ImportSession* session) {
    ImportItem item{};
    for (bool more = vlImportGetFirstItem(session, &item) != 0; more;
         more = vlImportGetNextItem(session, &item) != 0) {
        std::printf("  %s\n", formatItemLine(item, vlImportItemText(session, &item)).c_str());
    }
}

void printStartItems(ImportSession* session) {
    if (vlImportGetStartItems(session) == 0) return;
    std::printf("\nstart items\n");
    printItemList(session);
}

void printGuideStrand(ImportSession* session) {
    if (vlImportGetGuideStrand(session) == 0) return;
    std::printf("\nguide strand\n");
    printItemList(session);
}

void printStrands(ImportSession* session) {
    const std::int32_t strandCount = vlImportStrandCount(session);
    int number = 1;
    for (bool more = vlImportGetFirstStrand(session) != 0; more;
         more = vlImportGetNextStrand(session) != 0, ++number) {
        std::printf("\nstrand %d of %d\n", number, static_cast<int>(strandCount));
        ImportItem voicing{};
        if (vlImportGetStartVoicing(session, &voicing) != 0) {
            std::printf("  voicing: %s\n", formatItemLine(voicing, nullptr).c_str());
        }
        printItemList(session);
    }
}

void printSummary(ImportSession* session, const std::string& path, std::int32_t strands) {
    std::printf("file: %s\n", path.c_str());
    if (const auto facts = findHeaderFacts(session, path)) {
        std::printf("%s\n", describeHeader(*facts).c_str());
    } else {
        std::printf("header: unknown\n");
    }
    if (strands == kCancelled) {
        std::printf("strands: cancelled\n");
    } else {
        std::printf("strands: %d\n", static_cast<int>(strands));
    }
    std::printf("error word: 0x%x\n", static_cast<unsigned>(vlImportError(session)));
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

int importFile(const ImportOptions& options) {
    std::optional<ProgressChannel> progress;
    if (!options.quiet) progress.emplace(true);

    OpenSession session(openFile(options, progress ? &*progress : nullptr));
    if (session.get() == nullptr) return reportUnreadableFile(options.path);

    const std::int32_t strands = vlImportInitialise(session.get());
    if (progress) progress->finish();
    printSummary(session.get(), options.path, strands);
    if (strands == kCancelled) {
        std::fflush(stdout);
        std::fprintf(stderr, "vlmidi: import of '%s' cancelled\n", options.path.c_str());
        return kExitCancelled;
    }

    printStartItems(session.get());
    printGuideStrand(session.get());
    printStrands(session.get());
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
    if (const auto mistake = parseOptions(args, options)) return usageError(*mistake, self);
    return importFile(options);
}

}  // namespace vl::cli
