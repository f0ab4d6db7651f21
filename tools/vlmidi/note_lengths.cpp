#include "note_lengths.h"

#include <algorithm>
#include <map>

#include "pitch_spelling.h"

namespace vl::cli {

namespace {

constexpr std::size_t kFewestNotes = 8;
// A note is held on into the rests after it when it sounds at least this share of what its
// player's articulation gives the span up to the next note; only for a player who holds notes
// at least kLegato of the time to the next one: a detached player's short notes are his style.
constexpr double kHeldOn = 0.85;
constexpr double kLegato = 0.75;
// A note is halved when the half still holds this share of the length its player meant.
constexpr double kHalfHolds = 0.9;
constexpr int kFinestHalvable = 3;  // a crotchet halves into a quaver; shorter notes stay

// One note or rest of the voice, with its place.
struct Slot {
    std::size_t segment = 0;
    std::size_t index = 0;
    std::int64_t position = 0;
    bool hasChord = false;  // chord members follow it
};

class PlayedLookup {
public:
    PlayedLookup(const PlayedChannel& played, std::uint32_t division) : division_(division) {
        for (const PlayedNote& n : played.notes) byKey_[n.key].push_back(n);
    }

    // The sounding length, in score units, of the played note of `key` nearest to `position`
    // within a demisemiquaver; nothing when there is none.
    std::optional<std::int64_t> lengthAt(int key, std::int64_t position) const {
        const auto notes = byKey_.find(key);
        if (notes == byKey_.end()) return std::nullopt;
        const std::int64_t tick = position * division_ / kUnitsPerQuarter;
        const std::int64_t tolerance = division_ / 8;
        const auto& list = notes->second;
        auto at = std::lower_bound(list.begin(), list.end(), tick - tolerance,
                                   [](const PlayedNote& n, std::int64_t t) {
                                       return static_cast<std::int64_t>(n.onset) < t;
                                   });
        if (at == list.end() || static_cast<std::int64_t>(at->onset) > tick + tolerance ||
            at->length == 0) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(at->length) * kUnitsPerQuarter / division_;
    }

private:
    std::uint32_t division_;
    std::map<int, std::vector<PlayedNote>> byKey_;
};

std::vector<Slot> slotsOf(const std::vector<MeasureElements>& segments) {
    std::vector<Slot> slots;
    std::int64_t position = 0;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        for (std::size_t i = 0; i < segments[s].size(); ++i) {
            const VoiceElement& e = segments[s][i];
            if (e.kind != VoiceElement::Kind::Note) continue;
            if (e.note.chord) {
                if (!slots.empty()) slots.back().hasChord = true;
                continue;
            }
            slots.push_back(Slot{s, i, position, false});
            position += e.note.duration;
        }
    }
    return slots;
}

// A plain note: one voice, no tuplet.
bool plainNote(const ScoreNote& n, const Slot& slot) {
    return !n.rest && !slot.hasChord && n.tuplet == Tuplet::None;
}

// The rests after the tied run that starts at slot j become the note, tied on, when the
// note sounds nearly to the next note. Answers whether it did.
bool holdOn(std::vector<MeasureElements>& segments, const std::vector<Slot>& slots,
            std::size_t j, const PlayedLookup& lookup, double articulation) {
    auto note = [&](std::size_t k) -> ScoreNote& {
        return segments[slots[k].segment][slots[k].index].note;
    };
    const ScoreNote& head = note(j);
    if (!plainNote(head, slots[j]) || head.tieStop) return false;
    std::size_t last = j;
    while (note(last).tieStart && last + 1 < slots.size()) ++last;
    std::size_t next = last + 1;
    while (next < slots.size() && note(next).rest) {
        if (note(next).wholeBar || note(next).tuplet != Tuplet::None) return false;
        ++next;
    }
    if (next == last + 1 || next == slots.size()) return false;
    const auto length = lookup.lengthAt(keyOf(head.pitch), slots[j].position);
    const double span = static_cast<double>(slots[next].position - slots[j].position);
    if (articulation < kLegato || !length ||
        static_cast<double>(*length) < kHeldOn * articulation * span) {
        return false;
    }
    const ScoreNote held = note(last);
    note(last).tieStart = true;
    for (std::size_t k = last + 1; k < next; ++k) {
        ScoreNote& rest = note(k);
        const ScoreNote value = rest;
        rest = held;
        rest.valueIndex = value.valueIndex;
        rest.dots = value.dots;
        rest.duration = value.duration;
        rest.tieStop = true;
        rest.tieStart = k + 1 < next;
    }
    return true;
}

// Whether the single note at slot j is written twice as long as its player meant it.
bool writtenTwiceAsLong(const ScoreNote& n, const Slot& slot, const PlayedLookup& lookup,
                        double articulation) {
    if (!plainNote(n, slot) || n.tieStart || n.tieStop || n.dots != 0 || n.valueIndex < 1 ||
        n.valueIndex > kFinestHalvable) {
        return false;
    }
    const auto length = lookup.lengthAt(keyOf(n.pitch), slot.position);
    if (!length) return false;
    const double meant = static_cast<double>(*length) / articulation;
    return static_cast<double>(n.duration) / 2 >= kHalfHolds * meant;
}

}  // namespace

std::optional<double> articulationOf(const PlayedChannel& played) {
    const std::vector<PlayedNote>& notes = played.notes;
    std::vector<double> shares;
    std::size_t next = 0;  // the first note with a later onset
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (next <= i) next = i + 1;
        while (next < notes.size() && notes[next].onset == notes[i].onset) ++next;
        if (next == notes.size() || notes[i].length == 0) continue;
        const double gap = static_cast<double>(notes[next].onset - notes[i].onset);
        shares.push_back(std::min(1.0, static_cast<double>(notes[i].length) / gap));
    }
    if (shares.size() < kFewestNotes) return std::nullopt;
    const auto quartile = shares.begin() + static_cast<std::ptrdiff_t>(shares.size() * 3 / 4);
    std::nth_element(shares.begin(), quartile, shares.end());
    return *quartile;
}

int reviseNoteLengths(std::vector<MeasureElements>& segments, const PlayedChannel& played,
                      std::uint32_t division) {
    const std::optional<double> articulation = articulationOf(played);
    if (!articulation || *articulation <= 0) return 0;
    const PlayedLookup lookup(played, division);
    int revised = 0;
    std::vector<Slot> slots = slotsOf(segments);
    for (std::size_t j = 0; j < slots.size(); ++j) {
        if (holdOn(segments, slots, j, lookup, *articulation)) ++revised;
    }
    // Halving adds rests, so each segment is rebuilt once.
    slots = slotsOf(segments);
    std::vector<bool> halve(slots.size(), false);
    for (std::size_t j = 0; j < slots.size(); ++j) {
        const ScoreNote& n = segments[slots[j].segment][slots[j].index].note;
        halve[j] = writtenTwiceAsLong(n, slots[j], lookup, *articulation);
    }
    std::size_t j = 0;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        MeasureElements out;
        out.reserve(segments[s].size());
        for (std::size_t i = 0; i < segments[s].size(); ++i) {
            out.push_back(segments[s][i]);
            while (j < slots.size() && (slots[j].segment < s ||
                                        (slots[j].segment == s && slots[j].index < i))) {
                ++j;
            }
            if (j == slots.size() || slots[j].segment != s || slots[j].index != i || !halve[j]) {
                continue;
            }
            ScoreNote& half = out.back().note;
            half.valueIndex += 1;
            half.duration /= 2;
            VoiceElement rest = out.back();
            rest.note.rest = true;
            out.push_back(rest);
            ++revised;
        }
        segments[s] = std::move(out);
    }
    return revised;
}

}  // namespace vl::cli
