#pragma once
// A MIDI message with its delta time and the annotations the analysis
// steps write into it.

#include <cstdint>
#include <string_view>

#include "midi/midi_message.h"

namespace vl {

// Annotation flag bits tested by name.
namespace flag {
constexpr uint16_t Output = 0x8000;        // item building has taken this event
constexpr uint16_t StrandSet = 0x4000;     // a strand was assigned
constexpr uint16_t ChordMember = 0x0080;   // a further note of a chord in its strand
constexpr uint16_t Quintuplet = 0x0040;
constexpr uint16_t Triplet = 0x0020;
constexpr uint16_t RhythmMarks = 0x006F;
}  // namespace flag

class MidiEvent {
public:
    MidiMessage message;
    uint32_t time = 0;  // delta from the previous event of the same track
    uint16_t flags = 0;
    int16_t strand = -1;
    uint16_t duration1 = 0;
    uint16_t duration2 = 0;

    MidiEvent() = default;
    MidiEvent(uint32_t delta, MidiMessage m) : message(std::move(m)), time(delta) {}
    MidiEvent(uint32_t delta, uint32_t packedMessage)
        : message(MidiMessage::packed(packedMessage)), time(delta) {}
    MidiEvent(uint32_t delta, std::string_view markerText)
        : message(MidiMessage::markerText(markerText)), time(delta) {}
    MidiEvent(uint32_t delta, uint8_t metaType, int32_t length, const uint8_t* bytes)
        : message(MidiMessage::metaEvent(metaType, length, bytes)), time(delta) {}

    // Flags 0, strand -1, both durations 0.
    void resetAnnotations();
    // Notes and bar markers only; a bar marker keeps duration2 at 0.
    // isNoteCombined says whether the event is a note in real or marker form.
    bool setDurations(uint16_t d1, uint16_t d2, bool isNoteCombined);
    // Note-ons (real or marker) only.
    bool setStrand(int16_t s, bool chordMember, bool isNoteOnCombined);
    void clearDurations();
    void clearStrandAndDurations();
    void clearStrand();
    void setRhythmMarks(uint16_t marks);
    void orFlags(uint16_t m) { flags = static_cast<uint16_t>(flags | m); }
    void clearFlags(uint16_t m) { flags = static_cast<uint16_t>(flags & ~m); }
    bool testFlags(uint16_t m) const { return (flags & m) == m; }
    // Becomes a deleted-event marker in place; the delta stays so later
    // events keep their absolute times.
    void neutralise();
};

}  // namespace vl
