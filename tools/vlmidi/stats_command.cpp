// vlmidi stats FILE [--after STEP] [--json | --dialog]: the statistics record of a file, printed
// group by group with the labels and texts of the "MIDI Statistics" dialog, as JSON, or shown
// as the library's own dialog on the terminal.

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "json_writer.h"
#include "open_session.h"
#include "statistics_fields.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

using Record = StatisticsRecord;

constexpr int32_t kNoFit = -1;

// The dialog's labels: the note value of each grid with the crotchet as 1.
constexpr std::array<const char*, 8> kStraightLabels{"2",   "1",    "1/2",  "1/4",
                                                     "1/8", "1/16", "1/32", "1/64"};
constexpr std::array<const char*, 8> kTripletLabels{"1",    "1/2",  "1/4",  "1/8",
                                                    "1/16", "1/32", "1/64", "1/128"};

struct PresenceBox {
    const char* label;
    const char* jsonName;
    int32_t atStartBit;
    int32_t laterBit;
};
constexpr std::array<PresenceBox, 3> kPresenceBoxes{{
    {"Time sig.", "timeSignature", 0x1, 0x2},
    {"Key sig.", "keySignature", 0x4, 0x8},
    {"Tempo", "tempo", 0x10, 0x20},
}};

enum class OutputForm { Text, Json, Dialog };

struct StatsOptions {
    std::string path;
    bool afterInitialise = false;
    OutputForm form = OutputForm::Text;
};

std::optional<std::string> chooseForm(StatsOptions& options, OutputForm form) {
    if (options.form != OutputForm::Text && options.form != form)
        return std::string("stats: --json and --dialog exclude each other");
    options.form = form;
    return std::nullopt;
}

std::optional<std::string> parseOptions(const Arguments& args, StatsOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--after") {
            if (auto mistake = readAfterStep("stats", args, i, options.afterInitialise))
                return mistake;
        } else if (arg == "--json") {
            if (auto mistake = chooseForm(options, OutputForm::Json)) return mistake;
        } else if (arg == "--dialog") {
            if (auto mistake = chooseForm(options, OutputForm::Dialog)) return mistake;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "stats: unknown option '" + arg + "'";
        } else if (!options.path.empty()) {
            return "stats: only one FILE may be given";
        } else {
            options.path = arg;
        }
    }
    if (options.path.empty()) return std::string("stats: no FILE given");
    return std::nullopt;
}

// The dialog's text of a fit in tenths of a percent: "%d.%d%%", empty for -1.
std::string fitText(int32_t value) {
    if (value < 0) return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d%%", value / 10, value % 10);
    return text;
}

const char* stepName(const StatsOptions& options) {
    return options.afterInitialise ? "initialise" : "read";
}

void printPresenceGroup(const char* title, int32_t bits, bool atStart) {
    std::printf("%s\n", title);
    for (const PresenceBox& box : kPresenceBoxes) {
        const int32_t bit = atStart ? box.atStartBit : box.laterBit;
        std::printf("  [%c] %s\n", (bits & bit) != 0 ? 'x' : ' ', box.label);
    }
}

void printFitGroup(const char* title, const Record& record, size_t first,
                   const std::array<const char*, 8>& labels) {
    std::printf("%s\n", title);
    for (size_t i = 0; i < labels.size(); ++i) {
        const std::string text = fitText(record[first + i]);
        if (text.empty()) {
            std::printf("  %s\n", labels[i]);
        } else {
            std::printf("  %-6s %s\n", labels[i], text.c_str());
        }
    }
}

void printText(const StatsOptions& options, const Record& record, bool hasTrack) {
    std::printf("MIDI Statistics: %s%s\n", options.path.c_str(),
                options.afterInitialise ? " (after initialise)" : "");
    if (!hasTrack) {
        std::printf("The file has no track: there are no statistics to show.\n");
        return;
    }
    printPresenceGroup("At start", record[0], true);
    printPresenceGroup("Changes?", record[0], false);
    printFitGroup("Quantisation:", record, kStraightFits, kStraightLabels);
    printFitGroup("Triplet:", record, kTripletFits, kTripletLabels);
    std::printf("Swing\n");
    for (size_t c = 0; c < 4; ++c) {
        std::printf("  %zu)  %d  +/-  %d\n", c, record[kSwingMeans + c],
                    record[kSwingDeviations + c]);
    }
}

void writePresence(JsonWriter& json, const char* name, int32_t bits, bool atStart) {
    json.key(name);
    json.beginObject(JsonWriter::Layout::Inline);
    for (const PresenceBox& box : kPresenceBoxes) {
        json.key(box.jsonName);
        json.boolean((bits & (atStart ? box.atStartBit : box.laterBit)) != 0);
    }
    json.endObject();
}

void writeFits(JsonWriter& json, const char* name, const Record& record, size_t first,
               const std::array<const char*, 8>& labels) {
    json.key(name);
    json.beginArray();
    for (size_t i = 0; i < labels.size(); ++i) {
        const int32_t value = record[first + i];
        json.beginObject(JsonWriter::Layout::Inline);
        json.key("grid");
        json.string(labels[i]);
        json.key("fit");
        if (value == kNoFit) {
            json.null();
        } else {
            json.number(value);
        }
        json.key("text");
        json.string(fitText(value));
        json.endObject();
    }
    json.endArray();
}

std::string formatJson(const StatsOptions& options, const Record& record, bool hasTrack) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.key("file");
    json.string(options.path);
    json.key("after");
    json.string(stepName(options));
    json.key("hasTrack");
    json.boolean(hasTrack);
    json.key("record");
    json.beginArray(JsonWriter::Layout::Inline);
    for (int32_t value : record) json.number(value);
    json.endArray();
    writePresence(json, "atStart", record[0], true);
    writePresence(json, "changes", record[0], false);
    writeFits(json, "quantisation", record, kStraightFits, kStraightLabels);
    writeFits(json, "triplet", record, kTripletFits, kTripletLabels);
    json.key("swing");
    json.beginArray();
    for (size_t c = 0; c < 4; ++c) {
        json.beginObject(JsonWriter::Layout::Inline);
        json.key("class");
        json.number(static_cast<int64_t>(c));
        json.key("count");
        json.number(record[kSwingCounts + c]);
        json.key("mean");
        json.number(record[kSwingMeans + c]);
        json.key("deviation");
        json.number(record[kSwingDeviations + c]);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return out;
}

int showDialog(const StatsOptions& options, ImportSession* session) {
    if (VlMidiStatisticsShow(session) == 0) {
        std::printf("MIDI Statistics: %s\nThe file has no track: there are no statistics to "
                    "show.\n",
                    options.path.c_str());
    }
    return kExitSuccess;
}

}  // namespace

int runStatsCommand(const Arguments& args) {
    const Command* self = findCommand("stats");
    StatsOptions options;
    if (const auto mistake = parseOptions(args, options)) return usageError(*mistake, self);
    if (options.form == OutputForm::Dialog && isatty(STDIN_FILENO) == 0) {
        std::fputs("vlmidi: stats: --dialog needs a terminal on stdin; printing instead\n",
                   stderr);
        options.form = OutputForm::Text;
    }

    OpenSession session(vlImportOpenFromName(options.path.c_str()));
    if (session.get() == nullptr) return reportUnreadableFile(options.path);
    if (options.afterInitialise && vlImportInitialise(session.get()) < 0) return kExitCancelled;
    if (options.form == OutputForm::Dialog) return showDialog(options, session.get());

    Record record{};
    const bool hasTrack = VlMidiStatisticsCompute(session.get(), record.data()) != 0;
    if (options.form == OutputForm::Json) {
        std::fputs(formatJson(options, record, hasTrack).c_str(), stdout);
    } else {
        printText(options, record, hasTrack);
    }
    return kExitSuccess;
}

}  // namespace vl::cli
