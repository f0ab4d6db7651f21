#include "notation_simplicity.h"

#include "score_model.h"
#include "voice_revision.h"

namespace vl::cli {

namespace {

constexpr std::int64_t kSixteenth = kUnitsPerQuarter / 4;
// Three tuplet pieces of the finest kind the library writes fill a quaver.
constexpr std::int64_t kTupletSpan = kUnitsPerQuarter / 2;

// Weights of the cost, fitted on the fidelity benchmark: a lost note outweighs any rhythm it
// would have needed; a semiquaver costs one piece more, a finer value three, a tuplet left
// open two.
constexpr std::int64_t kLostNoteWeight = 8;
constexpr std::int64_t kSixteenthWeight = 1;
constexpr std::int64_t kFineValueWeight = 3;
constexpr std::int64_t kOpenTupletWeight = 2;

struct TupletRun {
    Tuplet kind = Tuplet::None;
    std::int64_t length = 0;

    // Ends the run; counts it when it stopped part-way through a span.
    void close(NotationSimplicity& simplicity) {
        if (kind != Tuplet::None && length % kTupletSpan != 0) ++simplicity.openTuplets;
        kind = Tuplet::None;
        length = 0;
    }
};

void measureNote(const ScoreNote& note, TupletRun& run, NotationSimplicity& simplicity) {
    if (!note.rest && !note.tieStop) ++simplicity.notes;
    if (note.chord) return;
    ++simplicity.pieces;
    if (note.tuplet == Tuplet::None && note.duration < kSixteenth) ++simplicity.fineValues;
    if (note.tuplet == Tuplet::None && note.duration >= kSixteenth &&
        note.duration < 2 * kSixteenth) {
        ++simplicity.sixteenths;
    }
    if (note.tuplet != run.kind) run.close(simplicity);
    run.kind = note.tuplet;
    run.length += note.duration;
}

}  // namespace

std::int64_t NotationSimplicity::cost(std::int64_t mostNotes) const {
    const std::int64_t lost = mostNotes > notes ? mostNotes - notes : 0;
    return kLostNoteWeight * lost + pieces + kSixteenthWeight * sixteenths +
           kFineValueWeight * fineValues + kOpenTupletWeight * openTuplets;
}

NotationSimplicity measureSimplicity(const ImportResult& result) {
    NotationSimplicity simplicity;
    for (const CapturedStrand& strand : result.strands) {
        const BuiltVoice voice = buildScoreVoice(strand, VoiceStart{}, result.playedNotes);
        for (const MeasureElements& segment : voice.segments) {
            TupletRun run;
            for (const VoiceElement& element : segment) {
                if (element.kind == VoiceElement::Kind::Note) {
                    measureNote(element.note, run, simplicity);
                }
            }
            run.close(simplicity);
        }
    }
    return simplicity;
}

std::string formatSimplicity(const NotationSimplicity& s) {
    return std::to_string(s.notes) + " " + std::to_string(s.pieces) + " " +
           std::to_string(s.sixteenths) + " " + std::to_string(s.fineValues) + " " +
           std::to_string(s.openTuplets);
}

bool readSimplicity(std::istream& in, NotationSimplicity& s) {
    in >> s.notes >> s.pieces >> s.sixteenths >> s.fineValues >> s.openTuplets;
    return static_cast<bool>(in);
}

}  // namespace vl::cli
