// Fuzz target: the marker payload parser and the combined predicates on
// arbitrary payload bytes. The first byte picks the message's meta type
// (0x7F markers most of the time, the real 0x51/0x58/0x59 otherwise); the
// rest is the payload. Reader results are checked against each other so a
// disagreement between the predicates and the value readers is a finding.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "markers/marker_events.h"
#include "markers/marker_text.h"
#include "midi/midi_message.h"

namespace {

uint8_t metaTypeFor(uint8_t choice) {
    switch (choice & 0x07) {
    case 5: return 0x51;
    case 6: return 0x58;
    case 7: return 0x59;
    default: return 0x7F;
    }
}

void check(bool condition) {
    if (!condition) std::abort();
}

void exerciseReaders(const vl::MidiMessage& m) {
    const auto note = vl::readProprietaryNote(m);
    check(note.has_value() == vl::isProprietaryNote(m));
    if (note) {
        check(vl::keyOf(m) == note->key);
        check(vl::channelOf(m) == note->channel());
        (void)vl::decodeProprietaryNote(m);
    }
    (void)vl::isNoteOnCombined(m);
    (void)vl::isNoteOffCombined(m);
    (void)vl::isNoteOnOf(m, 0, vl::kAnyKey);
    (void)vl::isNoteOffOf(m, 0, vl::kAnyKey);
    (void)vl::isBarOrNoteOnOf(m, 0, 60);
    (void)vl::metaMarkerType(m);
    for (const uint8_t type : {uint8_t{0x51}, uint8_t{0x58}, uint8_t{0x59}}) {
        (void)vl::readMetaMarker(m, type);
    }
    uint8_t a = 0, b = 0, c = 0, d = 0;
    check(vl::keySignature(m, a, b) == vl::isKeySignatureCombined(m));
    check(vl::timeSignature(m, a, b, c, d) == vl::isTimeSignatureCombined(m));
    check(vl::tempo(m, a, b, c) == vl::isTempoCombined(m));
    (void)vl::isBarKeyOrTime(m);
    (void)vl::isBarKeyTimeOrTempo(m);
    (void)vl::isMetaMarker(m);
    (void)vl::tempoMicroseconds(m);
    (void)vl::quartersPerMinute(m);
    for (const uint32_t division : {0u, 1u, 96u, 0x7FFFu, 0xFFFFFFFFu}) {
        (void)vl::barLength(m, division);
    }
    (void)m.isBarMarker();
    (void)m.isDeletedMarker();
    (void)m.textKind();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t* payload = data + 1;
    const size_t length = size - 1;
    const auto message =
        vl::MidiMessage::metaEvent(metaTypeFor(data[0]), static_cast<int32_t>(length), payload);
    exerciseReaders(message);
    exerciseReaders(vl::MidiMessage::markerText(
        std::string_view(reinterpret_cast<const char*>(payload), length)));

    std::array<uint32_t, 6> numbers{};
    const size_t count = vl::scanHexNumbers(
        std::string_view(reinterpret_cast<const char*>(payload), length), numbers);
    check(count <= numbers.size());
    for (size_t i = count; i < numbers.size(); ++i) check(numbers[i] == 0);
    return 0;
}
