#include "voice_revision.h"

#include "note_lengths.h"
#include "quintuplet_recovery.h"

namespace vl::cli {

void reviseVoice(std::vector<MeasureElements>& segments, const PlayedFile& file, int track,
                 int channel, const KeySignature& key) {
    const PlayedChannel* played = file.find(track, channel);
    if (played == nullptr) return;
    rewritePlayedQuintuplets(segments, findPlayedQuintuplets(*played, file.division), key);
    reviseNoteLengths(segments, *played, file.division);
}

BuiltVoice buildScoreVoice(const CapturedStrand& strand, const VoiceStart& start,
                           const std::optional<PlayedFile>& played) {
    BuiltVoice voice = buildVoice(strand.items, start);
    const std::optional<int> channel = channelOf(strand);
    if (played && strand.trackIndex && channel) {
        reviseVoice(voice.segments, *played, *strand.trackIndex, *channel, voice.initialKey);
    }
    return voice;
}

}  // namespace vl::cli
