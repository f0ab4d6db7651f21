// vlmidi import FILE: open, transcribe, and print what the library hands out, as notation for a
// musician (the default), as raw items (--items), as JSON (--format json) or as a MusicXML score
// (--format musicxml); -o FILE writes it to a file instead of stdout.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "import_result.h"
#include "import_settings.h"
#include "item_printer.h"
#include "json_report.h"
#include "musician_view.h"
#include "musicxml_writer.h"
#include "open_session.h"
#include "progress_channel.h"
#include "repair_options.h"
#include "signature_gather.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

enum class OutputForm { Notation, Items, Json, MusicXml };

struct ImportOptions {
    std::string path;
    bool quiet = false;
    bool items = false;
    std::optional<std::string> format;  // as given; checked once all options are read
    std::optional<std::string> output;  // -o FILE; stdout when not given
    RepairOptions repairs;              // run before the transcription
    bool askForFile = false;            // no FILE given on a terminal: the file dialog asks
    bool gatherSignatures = true;       // later tracks' signatures copied into the first
    bool revise = true;                 // the score's voices revised against the file's notes
    std::optional<std::string> settings;  // --settings: auto, or the settings to run with
    bool simplicity = false;            // print the simplicity figures (a candidate's run)
};

constexpr const char* kPathFromDialog = "(chosen in the file dialog)";

bool endsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// Without --format, the output file's extension chooses: .musicxml and .xml a score, .json JSON.
std::string formatName(const ImportOptions& options) {
    if (options.format) return *options.format;
    if (options.output) {
        if (endsWith(*options.output, ".musicxml") || endsWith(*options.output, ".xml")) {
            return "musicxml";
        }
        if (endsWith(*options.output, ".json")) return "json";
    }
    return "text";
}

std::optional<std::string> checkFormat(const ImportOptions& options, OutputForm& form) {
    const std::string format = formatName(options);
    if (format == "json" || format == "musicxml") {
        if (options.items) {
            return "import: --items and --format " + format + " exclude each other";
        }
        form = format == "json" ? OutputForm::Json : OutputForm::MusicXml;
    } else if (format == "text") {
        form = options.items ? OutputForm::Items : OutputForm::Notation;
    } else {
        return "import: unknown format '" + format + "' (text, json, musicxml)";
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
        if (!optionsEnded && arg == "--settings") {
            if (i + 1 >= args.size()) return std::string("import: --settings needs a value");
            options.settings = args[++i];
            continue;
        }
        if (!optionsEnded && arg.rfind("--settings=", 0) == 0) {
            options.settings = arg.substr(arg.find('=') + 1);
            continue;
        }
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
        } else if (!optionsEnded && (arg == "-o" || arg == "--output")) {
            if (i + 1 >= args.size()) return "import: " + arg + " needs a FILE";
            options.output = args[++i];
        } else if (!optionsEnded && arg.rfind("--output=", 0) == 0) {
            options.output = arg.substr(arg.find('=') + 1);
        } else if (!optionsEnded && arg == "--gather-signatures") {
            options.gatherSignatures = true;
        } else if (!optionsEnded && arg == "--no-gather-signatures") {
            options.gatherSignatures = false;
        } else if (!optionsEnded && arg == "--as-written") {
            options.revise = false;
        } else if (!optionsEnded && arg == kSimplicityOption) {
            options.simplicity = true;
        } else if (!optionsEnded && parseRepairOption(arg, options.repairs)) {
            continue;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return "import: unknown option '" + arg + "'";
        } else if (havePath) {
            return "import: only one FILE may be given ('" + options.path + "' and '" + arg + "')";
        } else {
            options.path = arg;
            havePath = true;
        }
    }
    if (!havePath && isatty(STDIN_FILENO) != 0) {
        // With a person at the keyboard the library's file dialog asks for the file.
        options.askForFile = true;
        options.path = kPathFromDialog;
    } else if (!havePath || options.path.empty()) {
        return std::string("import: no FILE given");
    }
    if (options.output && options.output->empty()) return std::string("import: empty output FILE");
    if (options.settings) {
        if (options.askForFile) return std::string("import: --settings needs a FILE");
        if (auto mistake = checkSettingsChoice(*options.settings)) return mistake;
    }
    return checkFormat(options, form);
}

// The arguments without --settings and its value: what the run under the settings gets.
Arguments withoutSettingsOption(const Arguments& args) {
    Arguments kept;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!optionsEnded && args[i] == "--settings") {
            ++i;
        } else if (optionsEnded || args[i].rfind("--settings=", 0) != 0) {
            optionsEnded = optionsEnded || args[i] == "--";
            kept.push_back(args[i]);
        }
    }
    return kept;
}

void printSummary(const ImportResult& result, std::FILE* out) {
    std::fprintf(out, "file: %s\n", result.path.c_str());
    if (result.header) {
        std::fprintf(out, "%s\n", describeHeader(*result.header).c_str());
    } else {
        std::fprintf(out, "header: unknown\n");
    }
    if (result.cancelled) {
        std::fprintf(out, "strands: cancelled\n");
    } else {
        std::fprintf(out, "strands: %d\n", static_cast<int>(result.strandCount));
    }
    std::fprintf(out, "error word: 0x%x\n", static_cast<unsigned>(result.errorWord));
}

void printResult(const ImportResult& result, OutputForm form, std::FILE* out) {
    if (form == OutputForm::Json) {
        std::fputs(formatJsonReport(result).c_str(), out);
        return;
    }
    if (form == OutputForm::MusicXml) {
        // A cancelled import has no score to write.
        if (!result.cancelled) std::fputs(formatMusicXml(result).c_str(), out);
        return;
    }
    printSummary(result, out);
    if (result.cancelled) return;
    if (form == OutputForm::Items) {
        printItemLines(result, out);
    } else {
        printMusicianView(result, out);
    }
}

// Writes the result to stdout, or to the -o file (replaced only once the import is done).
bool writeResult(const ImportResult& result, OutputForm form, const ImportOptions& options) {
    if (!options.output) {
        printResult(result, form, stdout);
        return true;
    }
    std::FILE* out = std::fopen(options.output->c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "vlmidi: cannot write '%s' (%s)\n", options.output->c_str(),
                     std::strerror(errno));
        return false;
    }
    printResult(result, form, out);
    const bool failed = std::ferror(out) != 0;
    if (std::fclose(out) != 0 || failed) {
        std::fprintf(stderr, "vlmidi: writing '%s' failed\n", options.output->c_str());
        return false;
    }
    return true;
}

// Opens through vlImportOpen when progress is wanted: only that call gives the library a window
// to send reports to. A non-empty path never shows a file dialog.
ImportSession* openFile(const ImportOptions& options, const PreparedFile& file,
                        ProgressChannel* progress) {
    // An empty path makes vlImportOpen show the file dialog.
    const char* path = options.askForFile ? "" : file.path().c_str();
    if (progress != nullptr) {
        return vlImportOpen(progress->windowToken(), ProgressChannel::kProgressMessage, path);
    }
    if (options.askForFile) return vlImportOpen(nullptr, 0, path);
    return vlImportOpenFromName(path);
}

int importFile(const ImportOptions& options, OutputForm form) {
    std::optional<ProgressChannel> progress;
    if (!options.quiet) progress.emplace(true);

    // Declared before the session, so that a prepared copy outlives it.
    const PreparedFile file(options.path, options.gatherSignatures && !options.askForFile);
    OpenSession session(openFile(options, file, progress ? &*progress : nullptr));
    if (session.get() == nullptr) {
        if (!options.askForFile) return reportUnreadableFile(options.path);
        std::fputs("vlmidi: import: no MIDI file opened\n", stderr);
        return kExitCancelled;
    }

    // The repair lines go with the notation text; beside a document on stdout they go to stderr.
    const bool textOnStdout =
        !options.output && (form == OutputForm::Notation || form == OutputForm::Items);
    applyRepairs(session.get(), options.repairs, textOnStdout ? stdout : stderr);
    const std::int32_t strands = vlImportInitialise(session.get());
    if (progress) progress->finish();
    ImportResult result = captureSummary(session.get(), options.path, strands);
    if (!result.cancelled) captureItemLists(session.get(), result);
    // The score goes by how the file plays its notes, unless it is to be as written.
    if (options.revise && (form == OutputForm::MusicXml || options.simplicity)) {
        result.playedNotes = readPlayedNotesInFile(options.path);
    }
    if (options.simplicity) {
        if (result.cancelled) return kExitCancelled;
        std::printf("%s\n", formatSimplicity(measureSimplicity(result)).c_str());
        return kExitSuccess;
    }
    // A cancelled import leaves an output file as it was; on stdout the summary still tells.
    const bool leaveOutputFile = result.cancelled && options.output;
    if (!leaveOutputFile && !writeResult(result, form, options)) return kExitUnreadableFile;
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
    ImportOptions options;
    OutputForm form = OutputForm::Notation;
    if (const auto mistake = parseOptions(args, options, form)) return usageError(*mistake, self);
    if (options.settings) {
        return importWithSettings(*options.settings, options.path, withoutSettingsOption(args),
                                  options.quiet);
    }
    return importFile(options, form);
}

}  // namespace vl::cli
