#pragma once
// Which track each strand belongs to. The import interface does not say; the library's listing
// does, since after the transcription every note-on line carries its strand number.

#include <string>
#include <vector>

#include "vlmidiin.h"

namespace vl::cli {

// The strand number at the start of a listing annotation ("[3] 90 + 6 ..." gives 3); -1 for
// any other text (bar markers, "[-]" for notes without a strand, empty annotations).
int strandNumberInAnnotation(const char* annotation);

// For strand numbers 0, 1, ... below the session's strand count: the zero-based index of the
// track whose notes carry it first, or -1 when no note of the listing names the strand (or the
// vector ends before it). Walks the listing once, and stops as soon as every strand below the
// count has its track.
std::vector<int> findStrandTracks(ImportSession* session);

}  // namespace vl::cli
