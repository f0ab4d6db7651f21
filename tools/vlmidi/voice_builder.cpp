// Voices from strand items.

#include "voice_builder.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "notation_names.h"
#include "pitch_spelling.h"
#include "score_items.h"

namespace vl::cli {

namespace {

struct ElementPosition {
    std::size_t segment = 0;
    std::size_t index = 0;
};

// Walks the items of one strand once, appending to the segment of the latest bar line.
class VoiceBuilder {
public:
    explicit VoiceBuilder(const VoiceStart& start)
        : key_(start.key), time_(start.time), shownKey_(start.key), shownTime_(start.time),
          leadsPart_(start.leadsPart), channel_(start.channel), program_(start.program) {}

    void add(const CapturedItem& captured) {
        const ImportItem& item = captured.item;
        const bool chordMate = isNoteItem(item) && item.action == kClusterAction && lastWasNote_;
        lastWasNote_ = false;
        if (isNoteItem(item) && item.arg1 <= kHighestKey) {
            addNote(item, chordMate);
        } else if (isNoteItem(item) || item.type == kRestItem) {
            addRest(item);
        } else if (item.type == kBarlineItem) {
            segments_.emplace_back();
        } else if (item.type == kKeySignatureItem) {
            changeKey(keyFromItem(item));
        } else if (item.type == kTimeSignatureItem) {
            if (const auto time = timeFromItem(item)) changeTime(*time);
        } else if (item.type == kProgramChangeItem) {
            changeProgram(item);
        }
    }

    BuiltVoice finish() {
        bracketTuplets(segments_);
        return BuiltVoice{std::move(segments_), shownKeyAtStart_, shownTimeAtStart_,
                          programAtStart_};
    }

private:
    struct OnsetNote {
        int key;
        ElementPosition position;
    };

    ScoreNote& noteAt(const ElementPosition& p) { return segments_[p.segment][p.index].note; }

    ElementPosition append(VoiceElement element) {
        segments_.back().push_back(std::move(element));
        return ElementPosition{segments_.size() - 1, segments_.back().size() - 1};
    }

    void addNote(const ImportItem& item, bool chordMate) {
        const auto value = noteValueOf(item.arg2);
        if (!value) return;
        VoiceElement element;
        ScoreNote& note = element.note;
        note.chord = chordMate;
        note.pitch = spellPitch(item.arg1, key_.fifths, key_.minor);
        // Staff notation has no octave below 0; the lowest MIDI octave is written one up.
        note.pitch.octave = std::max(note.pitch.octave, 0);
        note.valueIndex = value->index;
        note.dots = value->dots;
        note.tuplet = tupletOf(item.arg3);
        note.duration = noteValueDuration(value->index, value->dots, note.tuplet);
        if (!chordMate) {
            previousOnset_ = std::move(currentOnset_);
            currentOnset_.clear();
        }
        const bool tiedFromPrevious = (item.arg3 & kTieFlag) != 0;
        const ElementPosition position = append(std::move(element));
        if (tiedFromPrevious) tieToPreviousOnset(item.arg1, position);
        currentOnset_.push_back(OnsetNote{item.arg1, position});
        lastWasNote_ = true;
        musicStarted_ = true;
    }

    // The tie flag names the previous note of the same key; it must sound just before this one.
    void tieToPreviousOnset(int key, const ElementPosition& position) {
        for (const OnsetNote& previous : previousOnset_) {
            if (previous.key != key) continue;
            noteAt(previous.position).tieStart = true;
            noteAt(position).tieStop = true;
            return;
        }
    }

    void addRest(const ImportItem& item) {
        VoiceElement element;
        ScoreNote& note = element.note;
        note.rest = true;
        if (item.arg2 == kWholeBarRestCode) {
            note.wholeBar = true;
            note.valueIndex = 1;
            note.duration = time_.barLength();
        } else {
            const auto value = noteValueOf(item.arg2);
            if (!value) return;
            note.valueIndex = value->index;
            note.dots = value->dots;
            note.tuplet = tupletOf(item.arg3);
            note.duration = noteValueDuration(value->index, value->dots, note.tuplet);
        }
        previousOnset_.clear();
        currentOnset_.clear();
        append(std::move(element));
        musicStarted_ = true;
    }

    void changeKey(const KeySignature& key) {
        changeSignature(key, key_, shownKey_, shownKeyAtStart_, VoiceElement::Kind::Key,
                        &VoiceElement::key);
    }

    void changeTime(const TimeSignature& time) {
        changeSignature(time, time_, shownTime_, shownTimeAtStart_, VoiceElement::Kind::Time,
                        &VoiceElement::time);
    }

    // A key or time signature becomes the current one. A part's leading voice shows it: at the
    // part's start while no music has been written, else as an element when it differs from the
    // one shown.
    template <typename Signature>
    void changeSignature(const Signature& value, Signature& current, Signature& shown,
                         Signature& shownAtStart, VoiceElement::Kind kind,
                         Signature VoiceElement::*field) {
        current = value;
        if (!leadsPart_) return;
        if (!musicStarted_) {
            shownAtStart = value;
        } else if (value != shown) {
            VoiceElement element;
            element.kind = kind;
            element.*field = value;
            append(element);
        }
        shown = value;
    }

    // Program changes of other channels reach every strand of the track; only the part's own
    // channel changes its sound.
    void changeProgram(const ImportItem& item) {
        if (!leadsPart_ || !channel_ || item.arg1 != *channel_ || item.arg2 > kHighestKey) return;
        const int program = item.arg2;
        if (!musicStarted_) {
            programAtStart_ = program;
        } else if (program != program_) {
            VoiceElement element;
            element.kind = VoiceElement::Kind::Program;
            element.program = program;
            append(element);
        }
        program_ = program;
    }

    std::vector<MeasureElements> segments_{MeasureElements{}};
    KeySignature key_;
    TimeSignature time_;
    KeySignature shownKey_;
    TimeSignature shownTime_;
    KeySignature shownKeyAtStart_ = shownKey_;
    TimeSignature shownTimeAtStart_ = shownTime_;
    bool leadsPart_;
    std::optional<int> channel_;
    std::optional<int> program_;
    std::optional<int> programAtStart_ = program_;
    bool musicStarted_ = false;
    bool lastWasNote_ = false;
    std::vector<OnsetNote> previousOnset_;
    std::vector<OnsetNote> currentOnset_;
};

}  // namespace

void bracketTuplets(std::vector<MeasureElements>& measures) {
    for (MeasureElements& elements : measures) {
        ScoreNote* last = nullptr;
        Tuplet kind = Tuplet::None;
        std::int64_t length = 0;
        auto close = [&] {
            if (kind != Tuplet::None) last->tupletStop = true;
            kind = Tuplet::None;
        };
        for (VoiceElement& element : elements) {
            if (element.kind != VoiceElement::Kind::Note) continue;
            ScoreNote& note = element.note;
            note.tupletStart = note.tupletStop = false;
            if (note.chord) continue;
            if (kind != note.tuplet) close();
            if (note.tuplet == Tuplet::None) continue;
            if (kind == Tuplet::None) {
                kind = note.tuplet;
                length = 0;
                note.tupletStart = true;
            }
            length += note.duration;
            last = &note;
            if (length % kUnitsPerQuarter == 0) close();
        }
        close();
    }
}

BuiltVoice buildVoice(const CapturedItems& items, const VoiceStart& start) {
    VoiceBuilder builder(start);
    for (const CapturedItem& captured : items) builder.add(captured);
    return builder.finish();
}

}  // namespace vl::cli
