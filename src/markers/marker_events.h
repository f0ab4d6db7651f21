#pragma once
// Predicates and accessors that treat a real MIDI message and the marker event
// standing for the same thing alike ("combined" forms): a "KQVLEVT" marker
// counts as a note, a "KQVLMTA" marker as a key signature, time signature or
// tempo. Real forms are checked first; a marker's text is only scanned once its
// status, meta type and tag match. Nothing here allocates.

#include <cstdint>
#include <optional>

#include "midi/midi_event.h"
#include "midi/midi_message.h"

namespace vl {

// Key argument that matches any key.
inline constexpr uint8_t kAnyKey = 255;
// keyOf result for an event that is no note in either form.
inline constexpr int kNoKey = -2;

// ---- Notes ---------------------------------------------------------------

bool isProprietaryNote(const MidiMessage& m);
bool isProprietaryNoteOn(const MidiMessage& m);
bool isProprietaryNoteOff(const MidiMessage& m);

// Real: status 0x8n or 0x9n. Marker: a proprietary note-on or note-off.
bool isNoteCombined(const MidiMessage& m);
// Real: 0x9n with velocity above 0.
bool isNoteOnCombined(const MidiMessage& m);
// Real: 0x8n, or 0x9n with velocity 0.
bool isNoteOffCombined(const MidiMessage& m);
// Note-on (either form) of this channel and key (kAnyKey for any key).
bool isNoteOnOf(const MidiMessage& m, uint8_t channel, uint8_t key);
bool isNoteOffOf(const MidiMessage& m, uint8_t channel, uint8_t key);
// A bar marker, or a note-on (either form) of this channel and key.
bool isBarOrNoteOnOf(const MidiMessage& m, uint8_t channel, uint8_t key);

// Low nibble of a status below 0xF0; for a proprietary note its channel unless
// realOnly; -1 for every other event.
int channelOf(const MidiMessage& m, bool realOnly = false);
// data1 of a real note, the key of a proprietary note, kNoKey otherwise.
int keyOf(const MidiMessage& m);

// ---- Signatures and tempo ------------------------------------------------

bool isKeySignatureMarker(const MidiMessage& m);
bool isTimeSignatureMarker(const MidiMessage& m);
bool isTempoMarker(const MidiMessage& m);
// A tempo, key-signature or time-signature marker.
bool isMetaMarker(const MidiMessage& m);
// Real meta 0x59 or 0x58 (never a marker).
bool isRealKeyOrTime(const MidiMessage& m);

bool isKeySignatureCombined(const MidiMessage& m);
bool isTimeSignatureCombined(const MidiMessage& m);
bool isTempoCombined(const MidiMessage& m);
// Bar marker, or key or time signature in either form.
bool isBarKeyOrTime(const MidiMessage& m);
// The same, or a tempo in either form.
bool isBarKeyTimeOrTempo(const MidiMessage& m);

// Value readers: return whether the message is of that kind. A real meta event
// writes only the values whose payload bytes exist (the others keep the
// caller's values); a marker writes them all, missing numbers as 0.
bool keySignature(const MidiMessage& m, uint8_t& sf, uint8_t& mi);
bool timeSignature(const MidiMessage& m, uint8_t& nn, uint8_t& dd, uint8_t& cc, uint8_t& bb);
bool tempo(const MidiMessage& m, uint8_t& t1, uint8_t& t2, uint8_t& t3);

// t1 * 65536 + t2 * 256 + t3 of a tempo in either form (missing bytes 0).
std::optional<uint32_t> tempoMicroseconds(const MidiMessage& m);
// 60000000 / microseconds; only for a tempo whose microseconds are above 0.
std::optional<uint32_t> quartersPerMinute(const MidiMessage& m);

// Bar length in ticks of a time signature in either form:
// ((nn << (6 - dd)) * division) >> 4, that is nn * 4 * division / 2^dd.
// 0 for any other event and for a denominator power above 6 (a note value
// shorter than a sixty-fourth gives no whole-tick bar here). Computed in 64
// bits; a result beyond 32 bits is clamped to UINT32_MAX.
uint32_t barLength(const MidiMessage& m, uint32_t division);

// Bar marker; key, time signature or tempo in either form; program change;
// track name or instrument name text.
bool isStructuralEvent(const MidiMessage& m);

// ---- The same on events --------------------------------------------------

inline bool isProprietaryNote(const MidiEvent& e) { return isProprietaryNote(e.message); }
inline bool isProprietaryNoteOn(const MidiEvent& e) { return isProprietaryNoteOn(e.message); }
inline bool isProprietaryNoteOff(const MidiEvent& e) { return isProprietaryNoteOff(e.message); }
inline bool isNoteCombined(const MidiEvent& e) { return isNoteCombined(e.message); }
inline bool isNoteOnCombined(const MidiEvent& e) { return isNoteOnCombined(e.message); }
inline bool isNoteOffCombined(const MidiEvent& e) { return isNoteOffCombined(e.message); }
inline bool isNoteOnOf(const MidiEvent& e, uint8_t channel, uint8_t key) {
    return isNoteOnOf(e.message, channel, key);
}
inline bool isNoteOffOf(const MidiEvent& e, uint8_t channel, uint8_t key) {
    return isNoteOffOf(e.message, channel, key);
}
inline bool isBarOrNoteOnOf(const MidiEvent& e, uint8_t channel, uint8_t key) {
    return isBarOrNoteOnOf(e.message, channel, key);
}
inline int channelOf(const MidiEvent& e, bool realOnly = false) {
    return channelOf(e.message, realOnly);
}
inline int keyOf(const MidiEvent& e) { return keyOf(e.message); }
inline bool isMetaMarker(const MidiEvent& e) { return isMetaMarker(e.message); }
inline bool isRealKeyOrTime(const MidiEvent& e) { return isRealKeyOrTime(e.message); }
inline bool isKeySignatureCombined(const MidiEvent& e) { return isKeySignatureCombined(e.message); }
inline bool isTimeSignatureCombined(const MidiEvent& e) {
    return isTimeSignatureCombined(e.message);
}
inline bool isTempoCombined(const MidiEvent& e) { return isTempoCombined(e.message); }
inline bool isBarKeyOrTime(const MidiEvent& e) { return isBarKeyOrTime(e.message); }
inline bool isBarKeyTimeOrTempo(const MidiEvent& e) { return isBarKeyTimeOrTempo(e.message); }
inline bool keySignature(const MidiEvent& e, uint8_t& sf, uint8_t& mi) {
    return keySignature(e.message, sf, mi);
}
inline bool timeSignature(const MidiEvent& e, uint8_t& nn, uint8_t& dd, uint8_t& cc,
                          uint8_t& bb) {
    return timeSignature(e.message, nn, dd, cc, bb);
}
inline bool tempo(const MidiEvent& e, uint8_t& t1, uint8_t& t2, uint8_t& t3) {
    return tempo(e.message, t1, t2, t3);
}
inline std::optional<uint32_t> tempoMicroseconds(const MidiEvent& e) {
    return tempoMicroseconds(e.message);
}
inline std::optional<uint32_t> quartersPerMinute(const MidiEvent& e) {
    return quartersPerMinute(e.message);
}
inline uint32_t barLength(const MidiEvent& e, uint32_t division) {
    return barLength(e.message, division);
}
inline bool isStructuralEvent(const MidiEvent& e) { return isStructuralEvent(e.message); }

}  // namespace vl
