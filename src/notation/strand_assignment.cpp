#include "notation/strand_assignment.h"

#include <algorithm>
#include <numeric>

#include "analysis/track_step_driver.h"

namespace vl {

namespace {

constexpr std::string_view kTrackItemWord = "Track";

// Two's-complement reduction to 32 bits.
int32_t wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
int32_t abs32(int32_t v) { return v < 0 ? wrap32(-int64_t{v}) : v; }
int32_t times32(int32_t a, int32_t b) { return wrap32(int64_t{a} * b); }

bool placesBetter(const NoteSpan& candidate, const NoteSpan& best) {
    return candidate.next < best.next || (candidate.next == best.next && candidate.end < best.end);
}

void clearStrandSetFlags(MidiTrack& track) {
    for (MidiEvent& e : track.events) e.clearFlags(flag::StrandSet);
}

}  // namespace

bool isChordMate(const NoteSpan& best, const NoteSpan& candidate,
                 const ResolutionSettings& settings) {
    if (best.end > candidate.next) return false;
    if (candidate.end > best.next) return false;
    const int32_t longer =
        std::max(wrap32(best.end - best.start), wrap32(candidate.end - candidate.start));
    const int32_t endGap = abs32(wrap32(best.end - candidate.end));
    const int32_t startGap = abs32(wrap32(best.start - candidate.start));
    return times32(endGap, 100) < times32(settings.chordEndTolerance, longer) &&
           times32(startGap, 100) < times32(settings.chordStartTolerance, longer);
}

ChannelStrandBuilder::RemainingSet::RemainingSet(size_t n) : next_(n + 1) {
    std::iota(next_.begin(), next_.end(), size_t{0});
}

size_t ChannelStrandBuilder::RemainingSet::firstFrom(size_t i) {
    // Path halving; next_[n] == n ends every chain.
    while (next_[i] != i) {
        next_[i] = next_[next_[i]];
        i = next_[i];
    }
    return i;
}

ChannelStrandBuilder::ChannelStrandBuilder(StrandNoteIndex& index, uint8_t channel,
                                           const ResolutionSettings& settings)
    : index_(index),
      notes_(index.notesOf(channel)),
      settings_(settings),
      unplaced_(notes_.size()),
      unplacedReal_(notes_.size()),
      workLimit_(kStrandWorkPerNote * notes_.size() + kStrandWorkAllowance) {
    // Proprietary note-ons only ever start a walk; they are never a better
    // first note nor a chord mate.
    for (size_t i = 0; i < notes_.size(); ++i)
        if (!notes_[i].real) unplacedReal_.remove(i);
}

bool ChannelStrandBuilder::buildStrand(uint32_t number, ProgressReporter& progress) {
    if (number > kMaxStrandNumber) return false;
    EventProgress events(progress, index_.eventCount());
    const auto strand = static_cast<int16_t>(number);
    bool placed = false;
    for (size_t origin = unplaced_.firstFrom(0); origin < notes_.size();) {
        ++work_;
        if (events.cancelledAt(notes_[origin].eventIndex)) break;
        const size_t resume = placeNote(origin, strand);
        placed = true;
        origin = unplaced_.firstFrom(firstNoteAfter(resume));
    }
    return placed;
}

size_t ChannelStrandBuilder::placeNote(size_t origin, int16_t number) {
    const size_t best = betterFirstNote(origin);
    give(best, number, false);
    giveChordMates(origin, best, number);
    return notes_[best].resumeIndex;
}

size_t ChannelStrandBuilder::betterFirstNote(size_t origin) {
    size_t best = origin;
    for (size_t k = unplacedReal_.firstFrom(origin + 1); k < notes_.size();
         k = unplacedReal_.firstFrom(k + 1)) {
        ++work_;
        const NoteSpan& candidate = notes_[k].span;
        if (candidate.start >= notes_[best].span.end) break;
        if (placesBetter(candidate, notes_[best].span)) best = k;
    }
    return best;
}

// The notes from the origin on that start before the best note ends, up to
// the first bar marker, in list order. The first member of the chord (the
// best note or a mate) keeps flag 0x80 clear, every later one gets it.
void ChannelStrandBuilder::giveChordMates(size_t origin, size_t best, int16_t number) {
    const NoteSpan& bestSpan = notes_[best].span;
    const size_t barLimit = index_.barAfter(notes_[origin].eventIndex);
    // The best note takes part in the order only when the walk reaches it.
    bool bestPending =
        notes_[best].real && notes_[best].eventIndex < barLimit && bestSpan.start < bestSpan.end;
    bool seen = false;
    const auto passBest = [&] {
        if (seen) notes_[best].position->orFlags(flag::ChordMember);
        seen = true;
        bestPending = false;
    };
    for (size_t k = unplacedReal_.firstFrom(origin); k < notes_.size();
         k = unplacedReal_.firstFrom(k + 1)) {
        ++work_;
        const IndexedNote& candidate = notes_[k];
        if (candidate.eventIndex >= barLimit || candidate.span.start >= bestSpan.end) break;
        if (bestPending && best < k) passBest();
        if (isChordMate(bestSpan, candidate.span, settings_)) {
            give(k, number, seen);
            seen = true;
        }
    }
    if (bestPending) passBest();
}

void ChannelStrandBuilder::give(size_t note, int16_t number, bool chordMember) {
    notes_[note].position->setStrand(number, chordMember, true);
    unplaced_.remove(note);
    unplacedReal_.remove(note);
}

size_t ChannelStrandBuilder::firstNoteAfter(size_t eventIndex) const {
    const auto after =
        std::upper_bound(notes_.begin(), notes_.end(), eventIndex,
                         [](size_t i, const IndexedNote& note) { return i < note.eventIndex; });
    return static_cast<size_t>(after - notes_.begin());
}

StepResult assignStrands(TrackSet& tracks, std::vector<Strand>& strands,
                         ProgressReporter& progress, std::string_view caption,
                         const ResolutionSettings& settings) {
    strands.clear();
    uint32_t n = 0;
    progress.beginStep(caption, static_cast<int32_t>(tracks.size()), kTrackItemWord);
    for (size_t t = 0; t < tracks.size(); ++t) {
        if (progress.item(static_cast<uint32_t>(t)) != 0) return StepResult::cancelledAfter(n);
        MidiTrack& track = tracks.tracks[t];
        if (track.channelMask == 0) {
            clearStrandSetFlags(track);
            continue;
        }
        StrandNoteIndex index(track);
        for (uint8_t channel = 0; channel < 16; ++channel) {
            if (!track.usesChannel(channel)) continue;
            ChannelStrandBuilder builder(index, channel, settings);
            while (n <= kMaxStrandNumber && !builder.exhausted()) {
                progress.detailTextWithSuffix(kStrandDetailPattern, channel + 1,
                                              static_cast<int32_t>(n + 1));
                if (!builder.buildStrand(n, progress)) break;
                strands.push_back(Strand{n, static_cast<uint32_t>(t), channel, {}});
                ++n;
            }
        }
    }
    return StepResult::done(n);
}

}  // namespace vl
