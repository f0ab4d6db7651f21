#pragma once
// Small makers shared by the item builders: plain items, and the signature and
// tempo items read from an event in either form (real meta event or marker).

#include <cstdint>

#include "midi/midi_message.h"
#include "notation/item_list.h"

namespace vl {

// An item with action Append.
ImportItem makeItem(uint16_t type, uint8_t arg1 = 0, uint8_t arg2 = 0, uint8_t arg3 = 0);
// A note item; a key above 128 (the placeholder key 0xFE) makes a rest instead.
ImportItem makeNoteItem(int key, uint8_t code, uint8_t flags);

// Tempo written when an event gives none (or 0 microseconds).
inline constexpr uint32_t kDefaultQuartersPerMinute = 120;

// {7, 1, 3, beats per minute low byte, high byte}.
ImportItem tempoItem(uint32_t quartersPerMinute);
// Beats per minute of a tempo event in either form, the default when it has no value.
uint32_t quartersPerMinuteOf(const MidiMessage& m);

// Numerator and denominator exponent of a time signature in either form;
// bytes a short real event lacks keep the values given.
void readTimeSignature(const MidiMessage& m, uint8_t& numerator, uint8_t& denominatorExponent);

// {6, 1, sharps or flats, minor} of a key signature in either form; missing
// bytes of a short event count as C major.
ImportItem keySignatureItem(const MidiMessage& m);

}  // namespace vl
