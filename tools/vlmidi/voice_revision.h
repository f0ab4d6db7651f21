#pragma once
// What the host revises in a voice the library wrote, against the notes its file plays:
// quintuplets first, then written lengths.

#include <vector>

#include "played_notes.h"
#include "score_model.h"

namespace vl::cli {

// `segments` are a voice of `track` and `channel` as built from the library's items;
// `key` is the key signature it starts in.
void reviseVoice(std::vector<MeasureElements>& segments, const PlayedFile& file, int track,
                 int channel, const KeySignature& key);

}  // namespace vl::cli
