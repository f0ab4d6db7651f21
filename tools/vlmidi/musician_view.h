#pragma once
// The notation view of an import for a musician: the start items as named settings, then the
// guide strand and every strand one bar per line, e.g. "  bar 3  | C4 q  E4 q  G4 h |".
//
// Notes are "pitch value" ("C4 q", "F#5 e."), chords "[C4 E4 G4]q", rests "r q", a whole-bar
// rest "R"; "~" marks a piece tied to the one before, "3:" and "5:" triplets and quintuplets.
// Signatures, tempo, program changes and texts appear in brackets where they occur.

#include <cstdio>
#include <string>
#include <vector>

#include "import_result.h"

namespace vl::cli {

// One line per bar of `items`, each indented by two spaces and ended by a newline (bar lines
// separate them; what precedes the first bar line gets a "start" line). `keySharps` is the key
// in force before the list's first key signature; it chooses between sharps and flats for the
// pitch names. A `skip` item (the clef shown in a strand's heading) is left out.
std::string formatBars(const CapturedItems& items, int keySharps,
                       const CapturedItem* skip = nullptr);

// One item in the inline form the bar view uses for anything that is not a note or rest:
// "[4/4]", "[key G]", "[q=100]", "[prog 73 ch2]", "[name \"Melody\"]".
std::string formatInlineItem(const CapturedItem& item);

// The start items, the guide strand and the strands, after the summary lines.
void printMusicianView(const ImportResult& result, std::FILE* out);

}  // namespace vl::cli
