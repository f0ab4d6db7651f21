// Live input: the host builds a session from events it captured itself.
#include "analysis/track_operations.h"
#include "interface/export_guard.h"
#include "midi/live_input.h"

using vl::guarded;
using vl::withSession;
using vl::handleOf;

namespace {

// Appends the event that make builds (inside the guard, as it may allocate);
// a track's end fixes the track's channel mask, which the host may ask about
// before the transcription runs.
template <typename MakeEvent>
vlBool appendToTrack(ImportSession* h, int32_t track, MakeEvent make) {
    return withSession(h, vlBool{0}, [&](vl::ImportSession& s) {
        vl::MidiEvent e = make();
        const bool endOfTrack = e.message.isEndOfTrack();
        vl::TrackSet& tracks = s.analysis().tracks();
        if (!vl::appendLiveEvent(tracks, track, std::move(e))) return vlBool{0};
        if (endOfTrack) vl::computeChannelMask(tracks.tracks[static_cast<size_t>(track)]);
        return vlBool{1};
    });
}

}  // namespace

extern "C" {

VLMIDIIN_API ImportSession* vlMidiImportNew(int32_t /*ignored1*/, int32_t /*ignored2*/,
                                            int32_t division, int32_t trackCount) {
    return guarded<::ImportSession*>(nullptr, [&] {
        return handleOf(vl::ImportSession::fromLiveInput(static_cast<uint32_t>(division),
                                                         trackCount)
                            .release());
    });
}

VLMIDIIN_API vlBool vlMidiImportAppend(ImportSession* h, int32_t track, uint32_t packedMessage,
                                       uint32_t delta) {
    return appendToTrack(h, track, [&] { return vl::MidiEvent(delta, packedMessage); });
}

VLMIDIIN_API vlBool vlMidiImportKeySet(ImportSession* h, int32_t track, uint32_t keySignature,
                                       uint32_t delta) {
    return appendToTrack(h, track, [&] { return vl::keySignatureEvent(keySignature, delta); });
}

VLMIDIIN_API vlBool vlMidiImportTimeSet(ImportSession* h, int32_t track, uint32_t timeSignature,
                                        uint32_t delta) {
    return appendToTrack(h, track, [&] { return vl::timeSignatureEvent(timeSignature, delta); });
}

VLMIDIIN_API vlBool vlMidiImportTempoSet(ImportSession* h, int32_t track, uint32_t tempo,
                                         uint32_t delta) {
    return appendToTrack(h, track, [&] { return vl::tempoEvent(tempo, delta); });
}

VLMIDIIN_API int32_t vlMidiImportVersion(void) { return 1; }

}  // extern "C"
