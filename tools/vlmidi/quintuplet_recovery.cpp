#include "quintuplet_recovery.h"

#include <cstdlib>
#include <map>

#include "pitch_spelling.h"
#include "voice_builder.h"

namespace vl::cli {

namespace {

constexpr std::size_t kGroup = 5;
constexpr std::int64_t kQuintupletPiece = kUnitsPerQuarter / 5;
constexpr int kSemiquaver = 5;  // value index

// Whether the five onsets of crotchet k sit each within a twentieth of a crotchet of a fifth.
bool evenFifths(const std::vector<PlayedNote>& onsets, std::uint64_t k, std::uint64_t division) {
    if (onsets.size() != kGroup) return false;
    for (std::size_t j = 0; j < kGroup; ++j) {
        const auto at = static_cast<std::int64_t>(5 * onsets[j].onset);
        const auto even = static_cast<std::int64_t>(5 * k * division + j * division);
        if (std::llabs(at - even) > static_cast<std::int64_t>(division / 4)) return false;
    }
    return true;
}

// Where a crotchet of the voice starts: its first note, the notes up to the crotchet's end.
struct CrotchetSpan {
    std::size_t segment = 0;
    std::size_t first = 0;
    std::size_t end = 0;
};

// Whether the library's notes of the crotchet can be the quintuplet's: it starts with the first
// key, has no chord and no tie in or out, fills the crotchet exactly, and its notes have the
// quintuplet's keys in order. Rests are the gaps of notes played short.
bool writtenAsQuintuplet(const MeasureElements& elements, const CrotchetSpan& span,
                         const PlayedQuintuplet& played) {
    std::size_t next = 0;
    std::int64_t length = 0;
    for (std::size_t i = span.first; i < span.end; ++i) {
        const VoiceElement& e = elements[i];
        if (e.kind != VoiceElement::Kind::Note) return false;
        const ScoreNote& n = e.note;
        if (n.chord || n.tieStart || n.tieStop || (n.rest && i == span.first)) return false;
        length += n.duration;
        if (n.rest) continue;
        while (next < kGroup && played.keys[next] != keyOf(n.pitch)) ++next;
        if (next == kGroup || (i == span.first && next != 0)) return false;
        ++next;
    }
    return span.end > span.first && length == kUnitsPerQuarter;
}

// The elements from the note at `first` (at `start`) up to the end of its crotchet.
CrotchetSpan crotchetAt(const MeasureElements& elements, std::size_t segment, std::size_t first,
                        std::int64_t start) {
    CrotchetSpan span{segment, first, first};
    std::int64_t end = start;
    while (span.end < elements.size() && end < start + kUnitsPerQuarter) {
        const VoiceElement& e = elements[span.end];
        if (e.kind == VoiceElement::Kind::Note && !e.note.chord) end += e.note.duration;
        ++span.end;
    }
    while (span.end < elements.size() && elements[span.end].kind == VoiceElement::Kind::Note &&
           elements[span.end].note.chord) {
        ++span.end;  // members of the last note's chord: they keep the crotchet as it is
    }
    return span;
}

MeasureElements quintupletElements(const MeasureElements& written, const CrotchetSpan& span,
                                   const PlayedQuintuplet& played, const KeySignature& key) {
    MeasureElements five;
    for (int k : played.keys) {
        VoiceElement e = written[span.first];
        ScoreNote& n = e.note;
        n.pitch = spellPitch(k, key.fifths, key.minor);
        for (std::size_t i = span.first; i < span.end; ++i) {
            if (keyOf(written[i].note.pitch) == k) n.pitch = written[i].note.pitch;
        }
        n.valueIndex = kSemiquaver;
        n.dots = 0;
        n.duration = kQuintupletPiece;
        n.tuplet = Tuplet::Quintuplet;
        n.tupletStart = n.tupletStop = false;
        five.push_back(e);
    }
    return five;
}

}  // namespace

std::vector<PlayedQuintuplet> findPlayedQuintuplets(const PlayedChannel& played,
                                                    std::uint32_t division) {
    // A note played a little early belongs to the crotchet it anticipates.
    const std::uint64_t early = division / 10;
    const std::vector<PlayedNote>& notes = played.notes;
    std::vector<PlayedQuintuplet> found;
    std::size_t first = 0;
    while (first < notes.size()) {
        const std::uint64_t k = (notes[first].onset + early) / division;
        std::size_t end = first;
        bool single = true;
        while (end < notes.size() && (notes[end].onset + early) / division == k) {
            if (end > first && notes[end].onset == notes[end - 1].onset) single = false;
            ++end;
        }
        const std::vector<PlayedNote> crotchet(notes.begin() + static_cast<std::ptrdiff_t>(first),
                                               notes.begin() + static_cast<std::ptrdiff_t>(end));
        if (single && evenFifths(crotchet, k, division)) {
            PlayedQuintuplet q{static_cast<std::int64_t>(k), {}};
            for (std::size_t j = 0; j < kGroup; ++j) q.keys[j] = crotchet[j].key;
            found.push_back(q);
        }
        first = end;
    }
    return found;
}

int rewritePlayedQuintuplets(std::vector<MeasureElements>& segments,
                             const std::vector<PlayedQuintuplet>& played, const KeySignature& key) {
    std::map<std::int64_t, const PlayedQuintuplet*> byStart;
    for (const PlayedQuintuplet& q : played) byStart[q.crotchet * kUnitsPerQuarter] = &q;
    if (byStart.empty()) return 0;
    int rewritten = 0;
    std::int64_t position = 0;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const MeasureElements& elements = segments[s];
        MeasureElements out;
        out.reserve(elements.size());
        std::size_t i = 0;
        while (i < elements.size()) {
            const VoiceElement& e = elements[i];
            const bool starts = e.kind == VoiceElement::Kind::Note && !e.note.chord;
            const auto found = starts ? byStart.find(position) : byStart.end();
            if (found != byStart.end()) {
                const CrotchetSpan span = crotchetAt(elements, s, i, position);
                if (writtenAsQuintuplet(elements, span, *found->second)) {
                    const MeasureElements five =
                        quintupletElements(elements, span, *found->second, key);
                    out.insert(out.end(), five.begin(), five.end());
                    position += kUnitsPerQuarter;
                    i = span.end;
                    ++rewritten;
                    continue;
                }
            }
            if (starts) position += e.note.duration;
            out.push_back(e);
            ++i;
        }
        segments[s] = std::move(out);
    }
    if (rewritten > 0) bracketTuplets(segments);
    return rewritten;
}

}  // namespace vl::cli
