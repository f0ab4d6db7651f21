// The constant table of note-value names and dot words.

#include "notation/note_value_names.h"

#include "notation/note_value.h"

namespace vl {

constinit const NoteValueNames kNoteValueNames = {
    {"Breve", "Semibreve", "Minim", "Crotchet", "Quaver", "Semiquaver", "Demisemiquaver",
     "Hemidemisemiquaver"},
    "",
    "Dotted",
    "Double dotted",
    "Whole bar",
};

const char* noteValueName(uint8_t code) {
    return kNoteValueNames.values[code & notecode::IndexMask];
}

const char* noteValueDotWord(uint8_t code) {
    switch (code & notecode::DotMask) {
        case notecode::Dotted: return kNoteValueNames.dotted;
        case notecode::DoubleDotted: return kNoteValueNames.doubleDotted;
        default: return kNoteValueNames.plain;
    }
}

}  // namespace vl
