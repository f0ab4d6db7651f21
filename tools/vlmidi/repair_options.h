#pragma once
// The repairs vlmidi can run on a MIDI file before transcribing it: illegal events removed,
// duplicate tracks removed, the initial delay removed and track lengths equalised. Parsed from
// the command line and applied to an open session through the library's editing commands.

#include <cstdio>
#include <string>

#include "vlmidiin.h"

namespace vl::cli {

struct RepairOptions {
    bool killBaddies = false;       // --kill-baddies
    bool removeDuplicates = false;  // --remove-duplicates
    bool fixDelay = false;          // --fix-delay
    bool equalise = false;          // --equalise

    bool any() const { return killBaddies || removeDuplicates || fixDelay || equalise; }
};

// Help lines for the options, shown after the description of the commands that take them.
inline constexpr const char* kRepairOptionsHelp =
    "  --kill-baddies       remove illegal events first: note-ons of keys already sounding,\n"
    "                       note-offs of keys not sounding\n"
    "  --remove-duplicates  remove every track whose notes (times, keys, on/off) repeat an\n"
    "                       earlier track's, whatever their channel and velocity\n"
    "  --fix-delay          remove the delay before the music starts (found from the first\n"
    "                       note and the time-signature grid); everything before it moves to\n"
    "                       tick 0, the rest that many ticks earlier\n"
    "  --equalise           make every track end where the longest one ends\n"
    "  --repair             all four, in the order above\n"
    "                       The repairs run in that order before the transcription, one line\n"
    "                       each on stdout (on stderr when a JSON or MusicXML document goes\n"
    "                       to stdout). --fix-delay only acts on a file nothing has been done\n"
    "                       to yet, which is why it runs before --equalise; the transcription\n"
    "                       removes a delay itself only when no repair ran but --kill-baddies\n"
    "                       or --remove-duplicates.\n";

// When arg is one of the repair options (or --repair, meaning all of them) sets it in options
// and returns true; false for any other argument.
bool parseRepairOption(const std::string& arg, RepairOptions& options);

// Runs the chosen repairs on a freshly opened session, before vlImportInitialise, and prints one
// line per repair to out. The order: illegal events first (they are no music), then duplicate
// tracks (fewer tracks to shift), then the delay (which only runs while nothing else has been
// done to the session), then the track lengths (measured after the shift).
void applyRepairs(ImportSession* session, const RepairOptions& options, std::FILE* out);

}  // namespace vl::cli
