#pragma once
// Spelling a MIDI key as a written pitch (letter, alteration, octave) in a key signature, the
// way a musician reads it: the notes of the key's scale as the signature gives them, other
// white keys as naturals, other black keys sharp in sharp keys and flat in flat keys, and in
// minor the raised seventh (C# in D minor) as a sharpened scale note.

namespace vl::cli {

struct SpelledPitch {
    char step = 'C';  // 'A' to 'G'
    int alter = 0;    // -1 flat, 0 natural, +1 sharp
    int octave = 4;   // middle C (key 60) is C4; B#3 is key 60 too

    bool operator==(const SpelledPitch&) const = default;
};

// `fifths` counts sharps (positive) or flats (negative); values beyond 7 are read as 7.
SpelledPitch spellPitch(int key, int fifths, bool minor);

// The MIDI key a written pitch sounds: B#3 and C4 are both 60.
int keyOf(const SpelledPitch& pitch);

}  // namespace vl::cli
