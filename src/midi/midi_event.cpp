#include "midi/midi_event.h"

namespace vl {

void MidiEvent::resetAnnotations() {
    flags = 0;
    strand = -1;
    duration1 = 0;
    duration2 = 0;
}

bool MidiEvent::setDurations(uint16_t d1, uint16_t d2, bool isNoteCombined) {
    const bool bar = message.isBarMarker();
    if (!isNoteCombined && !bar) return false;
    clearFlags(flag::Output);
    duration1 = d1;
    duration2 = bar ? 0 : d2;
    return true;
}

bool MidiEvent::setStrand(int16_t s, bool chordMember, bool isNoteOnCombined) {
    if (!isNoteOnCombined) return false;
    strand = s;
    orFlags(flag::StrandSet);
    if (chordMember)
        orFlags(flag::ChordMember);
    else
        clearFlags(flag::ChordMember);
    return true;
}

void MidiEvent::clearDurations() {
    clearFlags(flag::Output);
    duration1 = 0;
    duration2 = 0;
}

void MidiEvent::clearStrandAndDurations() {
    clearFlags(flag::Output | flag::StrandSet);
    strand = -1;
    duration1 = 0;
    duration2 = 0;
}

void MidiEvent::clearStrand() {
    strand = -1;
    clearFlags(flag::StrandSet);
}

void MidiEvent::setRhythmMarks(uint16_t marks) {
    flags = static_cast<uint16_t>((flags & ~flag::RhythmMarks) | marks);
}

void MidiEvent::neutralise() {
    message = MidiMessage::markerText(kDeletedMarkerText);
    message.payload.rememberNote({MidiDataBlock::NoteMemo::NoNote});
    resetAnnotations();
}

}  // namespace vl
