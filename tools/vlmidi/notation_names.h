#pragma once
// The short names a musician reads in vlmidi's notation view: pitches ("C4", "Bb3"), note
// values ("q", "e.", "bv"), key signatures ("G major") and General MIDI instruments.

#include <cstdint>
#include <string>

namespace vl::cli {

// Appends the pitch of a MIDI key with its octave (middle C, key 60, is "C4"), spelled with
// flats when `flats` is true, else with sharps. Keys above 127 come out as "k200".
void appendPitchName(std::string& out, unsigned key, bool flats);

// The value of a NoteValueCode: "bv" breve, "w" "h" "q" "e" "s" "t" "x" semibreve to
// hemidemisemiquaver, "." for dotted, ".." for double dotted; "?" for the code "no value".
std::string noteValueName(std::uint8_t code);
void appendNoteValueName(std::string& out, std::uint8_t code);

// "3:" for a triplet, "5:" for a quintuplet (NoteFlags of notes and rests), else "".
const char* tupletPrefix(std::uint8_t noteFlags);

constexpr std::uint8_t kTieFlag = 0x40;
constexpr std::uint8_t kWholeBarRestCode = 0x21;

// "C major", "F# minor", "Bb major"; for counts beyond 7 sharps or flats: "9 sharps major".
std::string keySignatureName(int sharps, bool minor);

// "2 flats", "1 sharp", "no sharps or flats".
std::string accidentalCount(int sharps);

// "4/4"; a denominator exponent too large to print as a number gives "3/2^20".
std::string timeSignatureName(unsigned numerator, unsigned denominatorExponent);

// The General MIDI name of a program 0 to 127 ("Acoustic Grand Piano"), or "".
const char* instrumentName(unsigned program);

// The MIDI channel numbering musicians use: 1 to 16.
inline int channelNumber(unsigned channelIndex) { return static_cast<int>(channelIndex) + 1; }

// Channel index 9 (channel 10) plays percussion in General MIDI.
constexpr unsigned kPercussionChannel = 9;

}  // namespace vl::cli
