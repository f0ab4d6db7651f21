#pragma once
// The import as a score-partwise MusicXML 4.0 document, written from the items the library hands
// out: title, parts with their MIDI instrument, key, time, clefs, tempo marks, notes with spelled
// pitches, values, dots, ties, chords and tuplets, rests and whole-bar rests, voices separated
// by <backup>. The divisions are the smallest that make every duration a whole number.

#include <string>

#include "import_result.h"
#include "score_model.h"

namespace vl::cli {

std::string formatMusicXml(const Score& score);

// buildScore and formatMusicXml in one.
std::string formatMusicXml(const ImportResult& result);

}  // namespace vl::cli
