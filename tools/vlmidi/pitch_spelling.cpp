// Pitch spelling from the key signature.

#include "pitch_spelling.h"

#include <algorithm>
#include <array>

namespace vl::cli {

namespace {

constexpr std::array<char, 7> kSteps{'C', 'D', 'E', 'F', 'G', 'A', 'B'};
constexpr std::array<int, 7> kStepPitchClass{0, 2, 4, 5, 7, 9, 11};
// The letters in the order sharps, and reversed flats, enter a key signature.
constexpr std::array<int, 7> kSharpOrder{3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
constexpr int kMaxFifths = 7;

struct Spelling {
    int step = 0;   // index into kSteps
    int alter = 0;
};

// The alteration the key signature gives to each letter.
std::array<int, 7> signatureAlterations(int fifths) {
    std::array<int, 7> alter{};
    for (int i = 0; i < fifths; ++i) alter[kSharpOrder[i]] = 1;
    for (int i = 0; i < -fifths; ++i) alter[kSharpOrder[6 - i]] = -1;
    return alter;
}

int pitchClassOf(const Spelling& s) { return (kStepPitchClass[s.step] + s.alter + 12) % 12; }

// Index of the tonic's letter: major tonics go round the circle of fifths from C, minor ones
// from A.
int tonicStep(int fifths, bool minor) {
    const int start = minor ? 5 : 0;  // A or C
    return ((start + 4 * fifths) % 7 + 7) % 7;
}

std::array<Spelling, 12> spellingTable(int fifths, bool minor) {
    const std::array<int, 7> alter = signatureAlterations(fifths);
    std::array<Spelling, 12> table{};
    std::array<bool, 12> spelled{};
    // The scale of the key as the signature writes it.
    for (int step = 0; step < 7; ++step) {
        const Spelling s{step, alter[step]};
        table[pitchClassOf(s)] = s;
        spelled[pitchClassOf(s)] = true;
    }
    // In minor, the leading note is the seventh degree raised.
    if (minor) {
        const int seventh = (tonicStep(fifths, true) + 6) % 7;
        const Spelling raised{seventh, alter[seventh] + 1};
        if (raised.alter <= 1 && !spelled[pitchClassOf(raised)]) {
            table[pitchClassOf(raised)] = raised;
            spelled[pitchClassOf(raised)] = true;
        }
    }
    for (int pc = 0; pc < 12; ++pc) {
        if (spelled[pc]) continue;
        const auto natural = std::find(kStepPitchClass.begin(), kStepPitchClass.end(), pc);
        if (natural != kStepPitchClass.end()) {
            table[pc] = Spelling{static_cast<int>(natural - kStepPitchClass.begin()), 0};
        } else if (fifths >= 0) {
            const auto below = std::find(kStepPitchClass.begin(), kStepPitchClass.end(), pc - 1);
            table[pc] = Spelling{static_cast<int>(below - kStepPitchClass.begin()), 1};
        } else {
            const auto above = std::find(kStepPitchClass.begin(), kStepPitchClass.end(), pc + 1);
            table[pc] = Spelling{static_cast<int>(above - kStepPitchClass.begin()), -1};
        }
    }
    return table;
}

}  // namespace

SpelledPitch spellPitch(int key, int fifths, bool minor) {
    fifths = std::clamp(fifths, -kMaxFifths, kMaxFifths);
    const int pitchClass = ((key % 12) + 12) % 12;
    const Spelling s = spellingTable(fifths, minor)[pitchClass];
    // The octave is the letter's: B#3 and Cb4 sound as keys 60 and 59.
    const int naturalKey = key - s.alter;
    const int octave = (naturalKey - kStepPitchClass[s.step]) / 12 - 1;
    return SpelledPitch{kSteps[s.step], s.alter, octave};
}

int keyOf(const SpelledPitch& pitch) {
    static constexpr int kStepKeys[] = {9, 11, 0, 2, 4, 5, 7};  // A to G
    return (pitch.octave + 1) * 12 + kStepKeys[std::clamp(pitch.step - 'A', 0, 6)] + pitch.alter;
}

}  // namespace vl::cli
