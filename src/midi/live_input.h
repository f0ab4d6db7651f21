#pragma once
// Events a host appends to a live-input session, and the meta events built
// from its packed key signature, time signature and tempo arguments.

#include <cstdint>

#include "midi/track_set.h"

namespace vl {

// Appends e (annotations reset) to track trackIndex; false for an index out
// of range.
bool appendLiveEvent(TrackSet& tracks, int32_t trackIndex, MidiEvent e);

// Meta 0x59 from the two lowest bytes, lowest first (sharps/flats, minor).
MidiEvent keySignatureEvent(uint32_t keySignature, uint32_t delta);
// Meta 0x58 from the four bytes, lowest first (nn, dd, cc, bb).
MidiEvent timeSignatureEvent(uint32_t timeSignature, uint32_t delta);
// Meta 0x51 with the microseconds per quarter big-endian.
MidiEvent tempoEvent(uint32_t microsecondsPerQuarter, uint32_t delta);

}  // namespace vl
