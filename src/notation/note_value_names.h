#pragma once
// The English names of note values and their dots, one constant table shared
// by every text that names a note value (item descriptions, the item viewer).

#include <array>
#include <cstdint>

namespace vl {

struct NoteValueNames {
    std::array<const char*, 8> values;  // by value index: "Breve" ... "Hemidemisemiquaver"
    const char* plain;                  // dot word of an undotted value: ""
    const char* dotted;                 // "Dotted"
    const char* doubleDotted;           // "Double dotted"
    const char* wholeBar;               // "Whole bar": the whole-bar flag 0x20
};

extern const NoteValueNames kNoteValueNames;

// Name of the value index (bits 0-2) of a NoteValueCode; the other bits are ignored.
const char* noteValueName(uint8_t code);

// Dot word of a NoteValueCode: "Dotted" for 0x08, "Double dotted" for 0x18,
// "" when no dot bits or only 0x10 are set.
const char* noteValueDotWord(uint8_t code);

}  // namespace vl
