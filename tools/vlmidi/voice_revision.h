#pragma once
// What the host revises in a voice the library wrote, against the notes its file plays:
// quintuplets first, then written lengths.

#include <optional>
#include <vector>

#include "import_result.h"
#include "played_notes.h"
#include "score_model.h"
#include "voice_builder.h"

namespace vl::cli {

// `segments` are a voice of `track` and `channel` as built from the library's items;
// `key` is the key signature it starts in.
void reviseVoice(std::vector<MeasureElements>& segments, const PlayedFile& file, int track,
                 int channel, const KeySignature& key);

// A strand's voice as the score writes it: built from its items and, when the file's notes
// were read and the strand's track and channel are known, revised against them.
BuiltVoice buildScoreVoice(const CapturedStrand& strand, const VoiceStart& start,
                           const std::optional<PlayedFile>& played);

}  // namespace vl::cli
