// vlmidi live [FILE | --replay MIDI]: builds a session the way a host does while recording,
// event by event through the live-input exports, then transcribes it and prints the notation
// like `vlmidi import` does.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "import_result.h"
#include "item_printer.h"
#include "live_events.h"
#include "musician_view.h"
#include "open_session.h"
#include "repair_options.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

struct LiveOptions {
    std::optional<std::string> textPath;  // nothing or "-": standard input
    std::optional<std::string> replayPath;
    bool items = false;
    RepairOptions repairs;
};

std::optional<std::string> parseOptions(const Arguments& args, LiveOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--replay") {
            if (i + 1 >= args.size()) return std::string("live: --replay needs a MIDI file");
            options.replayPath = args[++i];
        } else if (arg == "--items") {
            options.items = true;
        } else if (parseRepairOption(arg, options.repairs)) {
            continue;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "live: unknown option '" + arg + "'";
        } else if (options.textPath) {
            return std::string("live: only one FILE may be given");
        } else {
            options.textPath = arg;
        }
    }
    if (options.textPath && options.replayPath) {
        return std::string("live: give either FILE or --replay MIDI, not both");
    }
    return std::nullopt;
}

std::optional<std::string> readScript(const LiveOptions& options, LiveScript& script) {
    if (options.replayPath) return readLiveFromMidiFile(*options.replayPath, script);
    if (!options.textPath || *options.textPath == "-") return readLiveText(std::cin, script);
    std::ifstream in(*options.textPath);
    if (!in) return "cannot open '" + *options.textPath + "'";
    return readLiveText(in, script);
}

bool append(ImportSession* session, const LiveEvent& e) {
    switch (e.kind) {
    case LiveEvent::Kind::KeySignature:
        return vlMidiImportKeySet(session, e.track, e.value, e.delta) != 0;
    case LiveEvent::Kind::TimeSignature:
        return vlMidiImportTimeSet(session, e.track, e.value, e.delta) != 0;
    case LiveEvent::Kind::Tempo:
        return vlMidiImportTempoSet(session, e.track, e.value, e.delta) != 0;
    case LiveEvent::Kind::Message:
        break;
    }
    return vlMidiImportAppend(session, e.track, e.value, e.delta) != 0;
}

// Appends every event; a refused one (a track that does not exist) is told on stderr.
long appendAll(ImportSession* session, const LiveScript& script, const char* where) {
    long refused = 0;
    for (const LiveEvent& e : script.events) {
        if (append(session, e)) continue;
        ++refused;
        std::fprintf(stderr, "vlmidi: live: %s %ld: track %d refused (%d tracks)\n", where,
                     e.line, static_cast<int>(e.track), static_cast<int>(script.tracks));
    }
    return refused;
}

int runLive(const LiveOptions& options) {
    LiveScript script;
    if (const auto mistake = readScript(options, script)) {
        std::fprintf(stderr, "vlmidi: live: %s\n", mistake->c_str());
        return options.replayPath ? kExitUnreadableFile : kExitUsageError;
    }
    OpenSession session(vlMidiImportNew(0, 0, static_cast<std::int32_t>(script.division),
                                        script.tracks));
    if (session.get() == nullptr) {
        std::fputs("vlmidi: live: the library refused to create the session\n", stderr);
        return kExitUnreadableFile;
    }
    const long refused = appendAll(session.get(), script, options.replayPath ? "event" : "line");
    std::printf("live input: %d %s, division %u\n", static_cast<int>(script.tracks),
                script.tracks == 1 ? "track" : "tracks", static_cast<unsigned>(script.division));
    std::printf("events: %zu appended, %ld refused\n", script.events.size() - refused, refused);
    applyRepairs(session.get(), options.repairs, stdout);
    const std::int32_t strands = vlImportInitialise(session.get());

    ImportResult result;
    result.path = options.replayPath ? *options.replayPath : options.textPath.value_or("-");
    result.cancelled = strands < 0;
    result.strandCount = result.cancelled ? 0 : strands;
    result.errorWord = vlImportError(session.get());
    if (result.cancelled) {
        std::printf("strands: cancelled\n");
        return kExitCancelled;
    }
    std::printf("strands: %d\n", static_cast<int>(result.strandCount));
    captureItemLists(session.get(), result);
    if (options.items) {
        printItemLines(result, stdout);
    } else {
        printMusicianView(result, stdout);
    }
    return kExitSuccess;
}

}  // namespace

int runLiveCommand(const Arguments& args) {
    const Command* self = findCommand("live");
    LiveOptions options;
    if (const auto mistake = parseOptions(args, options)) return usageError(*mistake, self);
    return runLive(options);
}

}  // namespace vl::cli
