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

// Help lines for the options, to go into a command's description.
extern const char* const kRepairOptionsHelp;

// When arg is one of the repair options (or --repair, meaning all of them) sets it in options
// and returns true; false for any other argument.
bool parseRepairOption(const std::string& arg, RepairOptions& options);

// Runs the chosen repairs on a freshly opened session, before vlImportInitialise, and prints one
// line per repair to out. The order: illegal events first (they are no music), then duplicate
// tracks (fewer tracks to shift), then the delay (which only runs while nothing else has been
// done to the session), then the track lengths (measured after the shift).
void applyRepairs(ImportSession* session, const RepairOptions& options, std::FILE* out);

}  // namespace vl::cli
