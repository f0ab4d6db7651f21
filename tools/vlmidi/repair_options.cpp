// Parsing and applying vlmidi's repair options.

#include "repair_options.h"

namespace vl::cli {

bool parseRepairOption(const std::string& arg, RepairOptions& options) {
    if (arg == "--kill-baddies") {
        options.killBaddies = true;
    } else if (arg == "--remove-duplicates") {
        options.removeDuplicates = true;
    } else if (arg == "--fix-delay") {
        options.fixDelay = true;
    } else if (arg == "--equalise") {
        options.equalise = true;
    } else if (arg == "--repair") {
        options = RepairOptions{true, true, true, true};
    } else {
        return false;
    }
    return true;
}

namespace {

const char* plural(long n, const char* one, const char* many) { return n == 1 ? one : many; }

void reportDelay(std::int32_t delay, std::FILE* out) {
    if (delay > 0) {
        std::fprintf(out, "initial delay removed: %d %s\n", static_cast<int>(delay),
                     plural(delay, "tick", "ticks"));
    } else if (delay < 0) {
        // The grid puts the start of the music before the first note: nothing can move.
        std::fprintf(out, "initial delay: none (the music starts %d ticks before the file)\n",
                     static_cast<int>(-delay));
    } else {
        std::fputs("initial delay: none\n", out);
    }
}

}  // namespace

void applyRepairs(ImportSession* session, const RepairOptions& options, std::FILE* out) {
    if (session == nullptr) return;
    if (options.killBaddies) {
        const std::int32_t deleted = VlMidiKillBaddies(session);
        std::fprintf(out, "removed %d illegal %s\n", static_cast<int>(deleted),
                     plural(deleted, "event", "events"));
    }
    if (options.removeDuplicates) {
        const std::int32_t removed = VlMidiDuplicateTracksRemove(session);
        std::fprintf(out, "removed %d duplicate %s\n", static_cast<int>(removed),
                     plural(removed, "track", "tracks"));
    }
    if (options.fixDelay) reportDelay(VlMidiQuantiseFixDelay(session), out);
    if (options.equalise) {
        VlMidiTrackLengthsEqualise(session);
        std::fputs("track lengths equalised\n", out);
    }
}

}  // namespace vl::cli
