// Re-barring disagreeing parts onto one grid of measures.

#include "measure_grid.h"

#include <algorithm>
#include <array>
#include <utility>

#include "voice_builder.h"

namespace vl::cli {

namespace {

// A measure of a part or of the grid: the time signature in force and its length in units.
struct Bar {
    TimeSignature time;
    std::int64_t length = 0;
    bool filled = false;  // holds notes or rests
};

// A time signature taking effect at a position counted from the first full measure.
struct Change {
    std::int64_t position = 0;
    TimeSignature time;
    bool fromGuide = false;
};

bool isTimed(const VoiceElement& element) {
    return element.kind == VoiceElement::Kind::Note && !element.note.chord;
}

std::int64_t timedLength(const MeasureElements& elements) {
    std::int64_t length = 0;
    for (const VoiceElement& element : elements) {
        if (isTimed(element)) length += element.note.duration;
    }
    return length;
}

// A part's measures from `first` on: the time its first voice has in force and the length of
// its time signature, or of its longest voice where that overfills it.
std::vector<Bar> partBars(const ScorePart& part, std::size_t first, std::size_t count) {
    std::vector<Bar> bars;
    TimeSignature time = part.initialTime;
    for (std::size_t m = 0; m < count; ++m) {
        for (const VoiceElement& element : part.voices.front().measures[m]) {
            if (element.kind == VoiceElement::Kind::Time) time = element.time;
        }
        if (m < first) continue;
        std::int64_t length = 0;
        for (const ScoreVoice& voice : part.voices) {
            length = std::max(length, timedLength(voice.measures[m]));
        }
        bars.push_back(Bar{time, std::max(length, time.barLength()), length > 0});
    }
    return bars;
}

bool sameTimes(const std::vector<Bar>& a, const std::vector<Bar>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Bar& x, const Bar& y) { return x.time == y.time; });
}

// Where the last bar holding notes or rests ends.
std::int64_t musicEnd(const std::vector<Bar>& bars) {
    std::int64_t position = 0;
    std::int64_t end = 0;
    for (const Bar& bar : bars) {
        position += bar.length;
        if (bar.filled) end = position;
    }
    return end;
}

// The guide's bars, as long as its time signature or its rests, whichever is longer; and the
// signatures it carries as changes.
std::vector<Bar> guideBars(const std::vector<GuideBar>& guide, TimeSignature time,
                           std::vector<Change>* changes) {
    std::vector<Bar> bars;
    std::int64_t position = 0;
    for (const GuideBar& bar : guide) {
        if (bar.time) {
            time = *bar.time;
            if (changes) changes->push_back(Change{position, time, true});
        }
        bars.push_back(Bar{time, std::max(bar.length, time.barLength()), bar.length > 0});
        position += bars.back().length;
    }
    return bars;
}

// Sweeps the changes in time order; each takes effect at the grid's first bar line at or after
// it. The first track's signature wins a bar; among the others the first part's does.
std::vector<Change> gridChanges(std::vector<Change> candidates) {
    std::stable_sort(candidates.begin(), candidates.end(), [](const Change& a, const Change& b) {
        return a.position != b.position ? a.position < b.position : a.fromGuide > b.fromGuide;
    });
    std::vector<Change> grid;
    std::int64_t barStart = 0;
    for (const Change& candidate : candidates) {
        if (grid.empty()) {
            grid.push_back(Change{0, candidate.time, candidate.fromGuide});
            continue;
        }
        while (barStart < candidate.position) barStart += grid.back().time.barLength();
        Change& last = grid.back();
        if (last.position == barStart) {
            if (!last.fromGuide && candidate.fromGuide) {
                last = Change{barStart, candidate.time, true};
            }
        } else if (candidate.time != last.time) {
            grid.push_back(Change{barStart, candidate.time, candidate.fromGuide});
        }
    }
    return grid;
}

std::vector<Bar> gridBars(const std::vector<Change>& changes, std::int64_t end) {
    std::vector<Bar> bars;
    std::int64_t position = 0;
    std::size_t next = 0;
    TimeSignature time = changes.front().time;
    do {
        while (next < changes.size() && changes[next].position <= position) {
            time = changes[next++].time;
        }
        bars.push_back(Bar{time, time.barLength()});
        position += time.barLength();
    } while (position < end);
    return bars;
}

struct NoteValueEntry {
    int index;
    int dots;
    Tuplet tuplet;
    std::int64_t duration;
};

// Every value a note can be written with, longest first, plain before tuplets at equal length.
std::vector<NoteValueEntry> noteValues() {
    std::vector<NoteValueEntry> values;
    for (Tuplet tuplet : {Tuplet::None, Tuplet::Triplet, Tuplet::Quintuplet}) {
        for (int index = 0; index < 8; ++index) {
            for (int dots = 0; dots < 3; ++dots) {
                values.push_back({index, dots, tuplet, noteValueDuration(index, dots, tuplet)});
            }
        }
    }
    std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) {
        return a.duration > b.duration;
    });
    return values;
}

// Splits a length into written values, longest first, choosing each so that what is left can
// still be written: plain values, then triplets, then quintuplets. A remainder below every value
// is left out: the next onset keeps its place, after a gap that short.
std::vector<NoteValueEntry> decompose(std::int64_t length) {
    static const std::vector<NoteValueEntry> values = noteValues();
    constexpr std::array<std::int64_t, 3> kSmallest{60, 40, 48};
    std::vector<NoteValueEntry> pieces;
    while (length > 0) {
        const NoteValueEntry* chosen = nullptr;
        for (std::int64_t step : kSmallest) {
            for (const NoteValueEntry& value : values) {
                if (value.duration <= length && (length - value.duration) % step == 0) {
                    chosen = &value;
                    break;
                }
            }
            if (chosen) break;
        }
        if (!chosen) {
            for (const NoteValueEntry& value : values) {
                if (value.duration <= length) {
                    chosen = &value;
                    break;
                }
            }
        }
        if (!chosen) break;
        pieces.push_back(*chosen);
        length -= chosen->duration;
    }
    return pieces;
}

// A voice's elements after the pickup at their positions from the first full measure.
struct Placed {
    std::int64_t position;
    VoiceElement element;
};

std::vector<Placed> flatten(const ScoreVoice& voice, std::size_t first,
                            const std::vector<Bar>& bars) {
    std::vector<Placed> placed;
    std::int64_t start = 0;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        std::int64_t position = start;
        std::int64_t onset = start;
        for (const VoiceElement& element : voice.measures[first + i]) {
            if (element.kind == VoiceElement::Kind::Time) continue;
            const bool chordMate = element.kind == VoiceElement::Kind::Note && element.note.chord;
            if (isTimed(element)) onset = position;
            placed.push_back(Placed{chordMate ? onset : position, element});
            if (isTimed(element)) position += element.note.duration;
        }
        start += bars[i].length;
    }
    return placed;
}

// Lays one voice's elements into the grid's measures.
class Placer {
public:
    Placer(const std::vector<Bar>& grid, std::vector<MeasureElements>& out)
        : grid_(grid), out_(out) {
        starts_.push_back(0);
        for (const Bar& bar : grid) starts_.push_back(starts_.back() + bar.length);
    }

    void place(const std::vector<Placed>& elements) {
        for (std::size_t i = 0; i < elements.size();) {
            const Placed& lead = elements[i];
            fillGap(lead.position);
            if (!isTimed(lead.element)) {
                out_[measureAt(lead.position)].push_back(lead.element);
                ++i;
                continue;
            }
            std::vector<ScoreNote> group{lead.element.note};
            for (++i; i < elements.size() && elements[i].element.kind == VoiceElement::Kind::Note &&
                      elements[i].element.note.chord;
                 ++i) {
                group.push_back(elements[i].element.note);
            }
            lay(group, lead.position, lead.element.note.duration);
        }
        // A voice that stops inside a measure other than the last is filled to its end.
        const std::size_t m = measureAt(cursor_);
        if (cursor_ > starts_[m] && m + 1 < grid_.size()) fillGap(starts_[m + 1]);
    }

private:
    std::size_t measureAt(std::int64_t position) {
        while (measure_ + 1 < grid_.size() && starts_[measure_ + 1] <= position) ++measure_;
        return measure_;
    }

    // Rests from the cursor to the end of its measure and from the start of the measure of
    // `position` to it; measures wholly between stay empty, as they were.
    void fillGap(std::int64_t position) {
        if (cursor_ >= position) return;
        ScoreNote rest;
        rest.rest = true;
        const std::size_t m = measureAt(cursor_);
        if (cursor_ > starts_[m]) {
            const std::int64_t end = std::min(position, starts_[m + 1]);
            lay({rest}, cursor_, end - cursor_);
        }
        if (cursor_ < position) {
            const std::int64_t from = std::max(cursor_, starts_[measureAt(position)]);
            if (from < position) lay({rest}, from, position - from);
        }
        cursor_ = position;
    }

    // The notes of one onset from `position` for `duration`, split at the grid's bar lines.
    void lay(const std::vector<ScoreNote>& group, std::int64_t position, std::int64_t duration) {
        std::int64_t remaining = duration;
        bool first = true;
        while (remaining > 0) {
            const std::size_t m = measureAt(position);
            const std::int64_t end = m + 1 < grid_.size()
                                         ? starts_[m + 1]
                                         : std::max(starts_.back(), position + remaining);
            const std::int64_t piece = std::min(remaining, end - position);
            const bool last = piece == remaining;
            MeasureElements& target = out_[m];
            if (group.front().rest && position == starts_[m] && piece == grid_[m].length) {
                ScoreNote rest;
                rest.rest = true;
                rest.wholeBar = true;
                rest.valueIndex = 1;
                rest.duration = piece;
                target.push_back(noteElement(rest));
            } else if (first && last && piece == group.front().duration &&
                       !group.front().wholeBar) {
                for (const ScoreNote& note : group) target.push_back(noteElement(note));
            } else {
                layPieces(group, decompose(piece), first, last, target);
            }
            position += piece;
            remaining -= piece;
            first = false;
        }
        cursor_ = std::max(cursor_, position);
    }

    static void layPieces(const std::vector<ScoreNote>& group,
                          const std::vector<NoteValueEntry>& values, bool first, bool last,
                          MeasureElements& target) {
        for (std::size_t k = 0; k < values.size(); ++k) {
            const bool opens = first && k == 0;
            const bool closes = last && k + 1 == values.size();
            for (const ScoreNote& original : group) {
                ScoreNote note = original;
                note.wholeBar = false;
                note.valueIndex = values[k].index;
                note.dots = values[k].dots;
                note.tuplet = values[k].tuplet;
                note.duration = values[k].duration;
                if (!note.rest) {
                    note.tieStop = opens ? original.tieStop : true;
                    note.tieStart = closes ? original.tieStart : true;
                }
                target.push_back(noteElement(note));
            }
        }
    }

    static VoiceElement noteElement(const ScoreNote& note) {
        VoiceElement element;
        element.note = note;
        return element;
    }

    const std::vector<Bar>& grid_;
    std::vector<MeasureElements>& out_;
    std::vector<std::int64_t> starts_;
    std::size_t measure_ = 0;
    std::int64_t cursor_ = 0;
};

bool tiedTo(const std::vector<ScoreNote*>& onset, const ScoreNote& note, bool ScoreNote::*flag) {
    return std::any_of(onset.begin(), onset.end(), [&](const ScoreNote* other) {
        return other->*flag && other->pitch == note.pitch;
    });
}

// Keeps only the ties that join a note to the same pitch in the very next onset: a rest laid
// into a gap the voice had between two measures, or an empty measure, parts them.
void settleTies(std::vector<ScoreNote*>& previous, std::vector<ScoreNote*>& current) {
    for (ScoreNote* note : current) {
        if (note->tieStop && !tiedTo(previous, *note, &ScoreNote::tieStart)) note->tieStop = false;
    }
    for (ScoreNote* note : previous) {
        if (note->tieStart && !tiedTo(current, *note, &ScoreNote::tieStop)) note->tieStart = false;
    }
    previous = std::move(current);
    current.clear();
}

void repairTies(std::vector<MeasureElements>& measures) {
    std::vector<ScoreNote*> previous;
    std::vector<ScoreNote*> current;
    for (MeasureElements& elements : measures) {
        if (timedLength(elements) == 0) {
            // An empty measure is written as a rest, or left out: no tie crosses it.
            settleTies(previous, current);
            settleTies(previous, current);
        }
        for (VoiceElement& element : elements) {
            if (element.kind != VoiceElement::Kind::Note) continue;
            ScoreNote& note = element.note;
            if (!note.chord) settleTies(previous, current);
            if (!note.rest) current.push_back(&note);
        }
    }
    settleTies(previous, current);
    settleTies(previous, current);
}

void rebar(ScorePart& part, std::size_t first, const std::vector<Bar>& oldBars,
           const std::vector<Bar>& grid) {
    part.initialTime = grid.front().time;
    for (ScoreVoice& voice : part.voices) {
        std::vector<MeasureElements> measures(first + grid.size());
        for (std::size_t m = 0; m < first; ++m) {
            for (VoiceElement& element : voice.measures[m]) {
                if (element.kind != VoiceElement::Kind::Time) measures[m].push_back(element);
            }
        }
        if (voice.number == part.voices.front().number) {
            for (std::size_t i = 1; i < grid.size(); ++i) {
                if (grid[i].time == grid[i - 1].time) continue;
                VoiceElement element;
                element.kind = VoiceElement::Kind::Time;
                element.time = grid[i].time;
                measures[first + i].push_back(element);
            }
        }
        std::vector<MeasureElements> body(grid.size());
        for (std::size_t i = 0; i < grid.size(); ++i) body[i] = std::move(measures[first + i]);
        Placer(grid, body).place(flatten(voice, first, oldBars));
        repairTies(body);
        bracketTuplets(body);
        for (std::size_t i = 0; i < grid.size(); ++i) measures[first + i] = std::move(body[i]);
        voice.measures = std::move(measures);
    }
}

// Moves the tempo marks, placed by the guide's bars, to the grid's.
void moveTempos(Score& score, std::size_t first, const std::vector<Bar>& guide,
                const std::vector<Bar>& grid, std::size_t measureCount) {
    std::vector<TempoMark> moved;
    std::size_t g = 0;
    std::int64_t guideStart = 0;
    std::size_t n = 0;
    std::int64_t gridStart = 0;
    for (TempoMark tempo : score.tempos) {
        if (tempo.measure >= first) {
            const std::size_t i = tempo.measure - first;
            for (; g < i; ++g) {
                guideStart += g < guide.size() ? guide[g].length
                                               : (guide.empty() ? grid.back() : guide.back())
                                                     .time.barLength();
            }
            const std::int64_t position = guideStart + tempo.offset;
            while (n + 1 < grid.size() && gridStart + grid[n].length <= position) {
                gridStart += grid[n++].length;
            }
            tempo.measure = first + n;
            tempo.offset = position - gridStart;
        }
        if (tempo.measure < measureCount) moved.push_back(tempo);
    }
    score.tempos = std::move(moved);
}

}  // namespace

void alignMeasures(Score& score, const TimeSignature& startTime,
                   const std::vector<GuideBar>& guide) {
    const std::size_t first = score.pickup ? 1 : 0;
    if (score.parts.size() < 2 || score.measureCount <= first) return;
    std::vector<std::vector<Bar>> bars;
    for (const ScorePart& part : score.parts) {
        bars.push_back(partBars(part, first, score.measureCount));
    }
    if (std::all_of(bars.begin(), bars.end(),
                    [&](const std::vector<Bar>& b) { return sameTimes(b, bars.front()); })) {
        return;
    }
    std::vector<Change> candidates;
    const std::vector<Bar> guideFrame = guideBars(guide, startTime, &candidates);
    std::int64_t end = musicEnd(guideFrame);
    for (const std::vector<Bar>& partFrame : bars) {
        end = std::max(end, musicEnd(partFrame));
        std::int64_t position = 0;
        for (std::size_t i = 0; i < partFrame.size(); ++i) {
            if (i == 0 || partFrame[i].time != partFrame[i - 1].time) {
                candidates.push_back(Change{position, partFrame[i].time, false});
            }
            position += partFrame[i].length;
        }
    }
    const std::vector<Bar> grid = gridBars(gridChanges(std::move(candidates)), end);
    const std::size_t measureCount = first + grid.size();
    for (std::size_t p = 0; p < score.parts.size(); ++p) {
        ScorePart& part = score.parts[p];
        std::vector<Bar> extended = bars[p];
        extended.resize(grid.size(), extended.back());
        if (bars[p].size() <= grid.size() && sameTimes(extended, grid)) {
            for (ScoreVoice& voice : part.voices) voice.measures.resize(measureCount);
        } else {
            rebar(part, first, bars[p], grid);
        }
    }
    moveTempos(score, first, guideFrame, grid, measureCount);
    score.measureCount = measureCount;
}

}  // namespace vl::cli
