// vlmidi list FILE [--after STEP]: the raw listing of a file, one line per
// header and event, its chunks aligned as columns.

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "open_session.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

constexpr int kHeaderLine = 1;
constexpr int kTrackHeaderLine = 2;
constexpr uint16_t kHeaderChunk = 2;
constexpr size_t kEventChunks = 7;  // time, delta, bytes, description, length, text, annotation

struct ListOptions {
    std::string path;
    bool afterInitialise = false;
};

std::optional<std::string> parseOptions(const Arguments& args, ListOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--after") {
            if (auto mistake = readAfterStep("list", args, i, options.afterInitialise))
                return mistake;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "list: unknown option '" + arg + "'";
        } else if (!options.path.empty()) {
            return "list: only one FILE may be given";
        } else {
            options.path = arg;
        }
    }
    if (options.path.empty()) return std::string("list: no FILE given");
    return std::nullopt;
}

std::string chunkText(ImportSession* session, uint16_t chunk) {
    const char* text = VlMidiTextLineTextChunk(session, chunk);
    return text != nullptr ? std::string(text) : std::string();
}

// One listing line: a header text, or the chunks of an event line.
struct Line {
    int type = 0;
    std::array<std::string, kEventChunks> chunks;
};

std::vector<Line> readListing(ImportSession* session) {
    std::vector<Line> lines;
    for (bool on = VlMidiTextLineSetFirst(session) != 0; on;
         on = VlMidiTextLineSetNext(session) != 0) {
        Line line;
        line.type = VlMidiTextLineType(session);
        if (line.type == kHeaderLine || line.type == kTrackHeaderLine) {
            line.chunks[0] = chunkText(session, kHeaderChunk);
        } else {
            for (uint16_t c = 0; c < kEventChunks; ++c) line.chunks[c] = chunkText(session, c);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// Columns in display order: the short ones first, then the meta description
// or text payload (an event has at most one of them) as the free-width last.
constexpr std::array<size_t, 5> kAlignedChunks{0, 1, 2, 4, 6};

void printListing(const std::vector<Line>& lines) {
    std::array<size_t, kEventChunks> widths{};
    for (const Line& line : lines) {
        if (line.type == kHeaderLine || line.type == kTrackHeaderLine) continue;
        for (size_t c : kAlignedChunks) widths[c] = std::max(widths[c], line.chunks[c].size());
    }
    for (const Line& line : lines) {
        if (line.type == kHeaderLine || line.type == kTrackHeaderLine) {
            std::printf("%s\n", line.chunks[0].c_str());
            continue;
        }
        std::string row;
        for (size_t c : kAlignedChunks) {
            if (widths[c] == 0) continue;
            std::string cell = line.chunks[c];
            cell.resize(widths[c], ' ');
            row += cell;
            row += "  ";
        }
        row += line.chunks[3];
        if (!line.chunks[3].empty() && !line.chunks[5].empty()) row += "  ";
        row += line.chunks[5];
        while (!row.empty() && row.back() == ' ') row.pop_back();
        std::printf("%s\n", row.c_str());
    }
}

}  // namespace

int runListCommand(const Arguments& args) {
    const Command* self = findCommand("list");
    ListOptions options;
    if (const auto mistake = parseOptions(args, options)) return usageError(*mistake, self);

    OpenSession session(vlImportOpenFromName(options.path.c_str()));
    if (session.get() == nullptr) return reportUnreadableFile(options.path);
    if (options.afterInitialise && vlImportInitialise(session.get()) < 0) return kExitCancelled;
    printListing(readListing(session.get()));
    return kExitSuccess;
}

}  // namespace vl::cli
