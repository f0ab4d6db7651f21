#include "midi/live_input.h"

namespace vl {

bool appendLiveEvent(TrackSet& tracks, int32_t trackIndex, MidiEvent e) {
    if (trackIndex < 0 || static_cast<size_t>(trackIndex) >= tracks.size()) return false;
    MidiTrack& track = tracks.tracks[static_cast<size_t>(trackIndex)];
    e.resetAnnotations();
    track.append(std::move(e));
    return true;
}

MidiEvent keySignatureEvent(uint32_t keySignature, uint32_t delta) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(keySignature & 0xFF),
                              static_cast<uint8_t>((keySignature >> 8) & 0xFF)};
    return MidiEvent(delta, meta::KeySignature, 2, bytes);
}

MidiEvent timeSignatureEvent(uint32_t timeSignature, uint32_t delta) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(timeSignature & 0xFF),
                              static_cast<uint8_t>((timeSignature >> 8) & 0xFF),
                              static_cast<uint8_t>((timeSignature >> 16) & 0xFF),
                              static_cast<uint8_t>((timeSignature >> 24) & 0xFF)};
    return MidiEvent(delta, meta::TimeSignature, 4, bytes);
}

MidiEvent tempoEvent(uint32_t microsecondsPerQuarter, uint32_t delta) {
    const uint8_t bytes[3] = {static_cast<uint8_t>((microsecondsPerQuarter >> 16) & 0xFF),
                              static_cast<uint8_t>((microsecondsPerQuarter >> 8) & 0xFF),
                              static_cast<uint8_t>(microsecondsPerQuarter & 0xFF)};
    return MidiEvent(delta, meta::Tempo, 3, bytes);
}

}  // namespace vl
