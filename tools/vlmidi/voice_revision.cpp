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

}  // namespace vl::cli
