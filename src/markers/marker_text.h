#pragma once
// Payload texts of the library's own marker events (meta type 0x7F): how they
// are written, and how their numbers are read back.
//
// Tags: "KQVLBAR" bar marker, "KQVLZZZ" deleted-event marker, "KQVLEVT" a
// proprietary note-on or note-off, "KQVLMTA" a copied key signature, time
// signature or tempo. The numbers after the tag are lower-case hex bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "midi/midi_message.h"

namespace vl {

inline constexpr std::string_view kNoteMarkerTag = "KQVLEVT";
inline constexpr std::string_view kMetaMarkerTag = "KQVLMTA";
inline constexpr size_t kMarkerTagLength = 7;

// ---- Text builders -------------------------------------------------------

std::string barMarkerText();
std::string deletedMarkerText();
// "KQVLEVT 8c 3c": the channel is taken modulo 16, so the status is always
// two hex digits.
std::string proprietaryNoteOffText(uint8_t channel, uint8_t key);
std::string proprietaryNoteOnText(uint8_t channel, uint8_t key);
// "KQVLMTA 59 sf mi"; sf is the signed sharps/flats count as its byte.
std::string keySignatureMarkerText(uint8_t sf, uint8_t mi);
// "KQVLMTA 58 nn dd cc bb".
std::string timeSignatureMarkerText(uint8_t nn, uint8_t dd, uint8_t cc, uint8_t bb);
// "KQVLMTA 51 t1 t2 t3". The import never writes one; it reads them.
std::string tempoMarkerText(uint8_t t1, uint8_t t2, uint8_t t3);

// The same texts as ready marker messages.
MidiMessage barMarkerMessage();
MidiMessage proprietaryNoteMessage(bool noteOn, uint8_t channel, uint8_t key);
MidiMessage keySignatureMarkerMessage(uint8_t sf, uint8_t mi);
MidiMessage timeSignatureMarkerMessage(uint8_t nn, uint8_t dd, uint8_t cc, uint8_t bb);

// ---- Payload readers -----------------------------------------------------

// Reads hex numbers from text the way sscanf reads " %x %x ...": whitespace
// skipped, an optional sign, an optional "0x"/"0X", then hex digits up to the
// first other character; digits beyond 32 bits keep the low 32 bits (and a
// value above 64 bits saturates), a minus sign negates modulo 2^32. The scan
// stops at the first failed conversion, at the end of the text, or at a NUL
// byte (the text ends there for a C-string scan). Every slot of out that was
// not converted is set to 0. Returns the number of conversions.
size_t scanHexNumbers(std::string_view text, std::span<uint32_t> out);

// True when the message is a marker event (0xFF 0x7F) whose payload is at
// least seven characters long and begins with the tag.
bool hasMarkerTag(const MidiMessage& m, std::string_view tag);

// A "KQVLEVT" payload read back. Status is 0x8n or 0x9n.
struct ProprietaryNote {
    uint8_t status = 0;
    uint8_t key = 0;
    bool isOn() const { return (status & 0xF0) == 0x90; }
    uint8_t channel() const { return status & 0x0F; }
};

// Scans a marker message's text as a note marker: what readProprietaryNote
// answers for a text no writer noted the note of.
std::optional<ProprietaryNote> decodeNoteMarker(const MidiMessage& m);

// The note a "KQVLEVT" marker stands for; nothing when the message is no such
// marker or its first number is not 0x80..0x9F. The key is the low byte of
// the second number (keys above 127 are allowed: placeholder rests use 0xFE).
// Asked at nearly every step of every walk, so the note the marker's writer
// noted in the payload is read inline.
inline std::optional<ProprietaryNote> readProprietaryNote(const MidiMessage& m) {
    if (!m.isMarkerText()) return std::nullopt;
    const MidiDataBlock::NoteMemo memo = m.payload.noteMemo();
    if (memo.state == MidiDataBlock::NoteMemo::Note) return ProprietaryNote{memo.status, memo.key};
    if (memo.state == MidiDataBlock::NoteMemo::NoNote) return std::nullopt;
    return decodeNoteMarker(m);
}

// First number of a "KQVLMTA" marker (its meta type), 0 when it has none;
// nothing when the message is no such marker.
std::optional<uint32_t> metaMarkerType(const MidiMessage& m);

// Values of a "KQVLMTA" marker whose first number equals type (0x59, 0x58 or
// 0x51), each as its low byte, missing numbers 0; nothing for any other text.
std::optional<std::array<uint8_t, 4>> readMetaMarker(const MidiMessage& m, uint8_t type);

// A proprietary note as a channel message (velocity 127 on, 0 off); any other
// message is returned as a copy.
MidiMessage decodeProprietaryNote(const MidiMessage& m);

}  // namespace vl
