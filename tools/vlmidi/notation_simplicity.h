#pragma once
// How simple a transcription reads: what the choice between settings weighs. A rhythm that a
// setting failed to capture shows as more pieces (tied pieces among them), values finer than
// a quaver outside tuplets and tuplet runs that do not fill their span; a setting that merged
// notes shows as fewer notes than another setting wrote for the same file.

#include <cstdint>
#include <istream>
#include <string>

#include "import_result.h"

namespace vl::cli {

struct NotationSimplicity {
    std::int64_t notes = 0;        // note heads that start a sound (tie continuations not counted)
    std::int64_t pieces = 0;       // written notes and rests, chord members counted once
    std::int64_t sixteenths = 0;   // pieces of a sixteenth up to a quaver, not in a tuplet
    std::int64_t fineValues = 0;   // pieces shorter than a sixteenth that are not in a tuplet
    std::int64_t openTuplets = 0;  // tuplet runs that end part-way through their span

    // The weighted sum the choice compares; lower is simpler. `mostNotes` is the largest note
    // count any candidate wrote for the same file: each note fewer counts as a lost note.
    std::int64_t cost(std::int64_t mostNotes) const;
};

// Of the voices as the score writes them (revised against result.playedNotes when read).
NotationSimplicity measureSimplicity(const ImportResult& result);

// The figures as text, space-separated in the order above, and read back from a stream: how a
// candidate's run hands them over.
std::string formatSimplicity(const NotationSimplicity& simplicity);
bool readSimplicity(std::istream& in, NotationSimplicity& simplicity);

}  // namespace vl::cli
