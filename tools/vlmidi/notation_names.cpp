// Name tables for the notation view.

#include "notation_names.h"

#include <array>
#include <optional>

#include "score_items.h"

namespace vl::cli {

namespace {

constexpr std::array<const char*, 12> kSharpNames{"C",  "C#", "D",  "D#", "E",  "F",
                                                  "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<const char*, 12> kFlatNames{"C",  "Db", "D",  "Eb", "E",  "F",
                                                 "Gb", "G",  "Ab", "A",  "Bb", "B"};
constexpr std::array<const char*, 8> kValueNames{"bv", "w", "h", "q", "e", "s", "t", "x"};

// Major and minor keys from 7 flats (index 0) to 7 sharps (index 14).
constexpr int kMaxAccidentals = 7;
constexpr std::array<const char*, 15> kMajorKeys{"Cb", "Gb", "Db", "Ab", "Eb", "Bb", "F", "C",
                                                 "G",  "D",  "A",  "E",  "B",  "F#", "C#"};
constexpr std::array<const char*, 15> kMinorKeys{"Ab", "Eb", "Bb", "F",  "C",  "G",  "D", "A",
                                                 "E",  "B",  "F#", "C#", "G#", "D#", "A#"};

constexpr unsigned kMaxPrintableExponent = 16;

constexpr std::array<const char*, 128> kInstrumentNames{
    "Acoustic Grand Piano", "Bright Acoustic Piano", "Electric Grand Piano", "Honky-tonk Piano",
    "Electric Piano 1", "Electric Piano 2", "Harpsichord", "Clavi",
    "Celesta", "Glockenspiel", "Music Box", "Vibraphone",
    "Marimba", "Xylophone", "Tubular Bells", "Dulcimer",
    "Drawbar Organ", "Percussive Organ", "Rock Organ", "Church Organ",
    "Reed Organ", "Accordion", "Harmonica", "Tango Accordion",
    "Acoustic Guitar (nylon)", "Acoustic Guitar (steel)", "Electric Guitar (jazz)",
    "Electric Guitar (clean)", "Electric Guitar (muted)", "Overdriven Guitar",
    "Distortion Guitar", "Guitar Harmonics",
    "Acoustic Bass", "Electric Bass (finger)", "Electric Bass (pick)", "Fretless Bass",
    "Slap Bass 1", "Slap Bass 2", "Synth Bass 1", "Synth Bass 2",
    "Violin", "Viola", "Cello", "Contrabass",
    "Tremolo Strings", "Pizzicato Strings", "Orchestral Harp", "Timpani",
    "String Ensemble 1", "String Ensemble 2", "Synth Strings 1", "Synth Strings 2",
    "Choir Aahs", "Voice Oohs", "Synth Voice", "Orchestra Hit",
    "Trumpet", "Trombone", "Tuba", "Muted Trumpet",
    "French Horn", "Brass Section", "Synth Brass 1", "Synth Brass 2",
    "Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax",
    "Oboe", "English Horn", "Bassoon", "Clarinet",
    "Piccolo", "Flute", "Recorder", "Pan Flute",
    "Blown Bottle", "Shakuhachi", "Whistle", "Ocarina",
    "Lead 1 (square)", "Lead 2 (sawtooth)", "Lead 3 (calliope)", "Lead 4 (chiff)",
    "Lead 5 (charang)", "Lead 6 (voice)", "Lead 7 (fifths)", "Lead 8 (bass + lead)",
    "Pad 1 (new age)", "Pad 2 (warm)", "Pad 3 (polysynth)", "Pad 4 (choir)",
    "Pad 5 (bowed)", "Pad 6 (metallic)", "Pad 7 (halo)", "Pad 8 (sweep)",
    "FX 1 (rain)", "FX 2 (soundtrack)", "FX 3 (crystal)", "FX 4 (atmosphere)",
    "FX 5 (brightness)", "FX 6 (goblins)", "FX 7 (echoes)", "FX 8 (sci-fi)",
    "Sitar", "Banjo", "Shamisen", "Koto",
    "Kalimba", "Bag pipe", "Fiddle", "Shanai",
    "Tinkle Bell", "Agogo", "Steel Drums", "Woodblock",
    "Taiko Drum", "Melodic Tom", "Synth Drum", "Reverse Cymbal",
    "Guitar Fret Noise", "Breath Noise", "Seashore", "Bird Tweet",
    "Telephone Ring", "Helicopter", "Applause", "Gunshot",
};

}  // namespace

void appendPitchName(std::string& out, unsigned key, bool flats) {
    if (key > 127) {
        out += 'k';
        out += std::to_string(key);
        return;
    }
    out += (flats ? kFlatNames : kSharpNames)[key % 12];
    const int octave = static_cast<int>(key / 12) - 1;  // -1 to 9
    if (octave < 0) {
        out += "-1";
    } else {
        out += static_cast<char>('0' + octave);
    }
}

void appendNoteValueName(std::string& out, std::uint8_t code) {
    const std::optional<NoteValue> value = noteValueOf(code);
    if (!value) {
        out += '?';
        return;
    }
    out += kValueNames[static_cast<std::size_t>(value->index)];
    out.append(static_cast<std::size_t>(value->dots), '.');
}

std::string noteValueName(std::uint8_t code) {
    std::string name;
    appendNoteValueName(name, code);
    return name;
}

const char* tupletPrefix(std::uint8_t noteFlags) {
    switch (tupletOf(noteFlags)) {
    case Tuplet::Triplet: return "3:";
    case Tuplet::Quintuplet: return "5:";
    default: return "";
    }
}

std::string keySignatureName(int sharps, bool minor) {
    const char* mode = minor ? " minor" : " major";
    if (sharps < -kMaxAccidentals || sharps > kMaxAccidentals) {
        return accidentalCount(sharps) + mode;
    }
    const auto& keys = minor ? kMinorKeys : kMajorKeys;
    return std::string(keys[static_cast<std::size_t>(sharps + kMaxAccidentals)]) + mode;
}

std::string accidentalCount(int sharps) {
    if (sharps == 0) return "no sharps or flats";
    const int count = sharps < 0 ? -sharps : sharps;
    std::string text = std::to_string(count) + (sharps < 0 ? " flat" : " sharp");
    return count == 1 ? text : text + "s";
}

std::string timeSignatureName(unsigned numerator, unsigned denominatorExponent) {
    const std::string top = std::to_string(numerator) + "/";
    if (denominatorExponent > kMaxPrintableExponent) {
        return top + "2^" + std::to_string(denominatorExponent);
    }
    return top + std::to_string(1u << denominatorExponent);
}

const char* instrumentName(unsigned program) {
    return program < kInstrumentNames.size() ? kInstrumentNames[program] : "";
}

}  // namespace vl::cli
