// Matching written notes by track, onset and pitch.

#include "compare.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <utility>

namespace vl::fidelity {

namespace {

double ratio(std::int64_t part, std::int64_t whole) {
    return whole == 0 ? 1.0 : static_cast<double>(part) / static_cast<double>(whole);
}

// Crotchets as a reduced fraction: "3/2", "1/3", "2".
std::string crotchets(std::int64_t units) {
    const std::int64_t divisor = std::gcd(units, kUnitsPerQuarter);
    const std::int64_t whole = units / divisor, part = kUnitsPerQuarter / divisor;
    return std::to_string(whole) + (part == 1 ? "" : "/" + std::to_string(part));
}

// "E4@3/2:1/2": pitch, onset in crotchets after the bar line, written value in crotchets.
std::string describe(int pitch, std::int64_t inBar, std::int64_t value) {
    static constexpr const char* kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                             "F#", "G",  "G#", "A",  "A#", "B"};
    return std::string(kNames[pitch % 12]) + std::to_string(pitch / 12 - 1) + "@" +
           crotchets(inBar) + ":" + crotchets(value);
}

struct BarNotes {
    int faults = 0;
    std::string expected;
    std::string got;
};

void addTo(std::string& list, const std::string& note) {
    list += list.empty() ? note : ", " + note;
}

}  // namespace

Score& Score::operator+=(const Score& other) {
    expected += other.expected;
    got += other.got;
    matched += other.matched;
    rightValue += other.rightValue;
    barLines += other.barLines;
    rightBarLines += other.rightBarLines;
    return *this;
}

double Score::precision() const { return ratio(matched, got); }
double Score::recall() const { return ratio(matched, expected); }
double Score::f1() const {
    const double p = precision(), r = recall();
    return p + r == 0 ? 0 : 2 * p * r / (p + r);
}
double Score::valueAccuracy() const { return ratio(rightValue, matched); }
double Score::barAccuracy() const { return ratio(rightBarLines, barLines); }

PieceResult comparePiece(const Piece& piece, const Transcription& transcription) {
    PieceResult result;
    Score& score = result.score;
    std::map<std::size_t, BarNotes> bars;
    auto barOf = [&](std::int64_t onset) { return piece.barAt(onset); };
    auto inBar = [&](std::int64_t onset) { return onset - piece.bars[barOf(onset)].start; };

    for (std::size_t t = 0; t < piece.tracks.size(); ++t) {
        // The conductor track comes first in the file.
        const auto found = transcription.notesOfTrack.find(static_cast<int>(t) + 1);
        const std::vector<WrittenNote> none;
        const std::vector<WrittenNote>& got =
            found == transcription.notesOfTrack.end() ? none : found->second;
        std::multimap<std::pair<std::int64_t, int>, const WrittenNote*> unmatched;
        for (const WrittenNote& note : got) {
            unmatched.emplace(std::pair{note.onset, note.pitch}, &note);
        }
        score.expected += static_cast<std::int64_t>(piece.tracks[t].notes.size());
        score.got += static_cast<std::int64_t>(got.size());
        for (const Note& note : piece.tracks[t].notes) {
            BarNotes& bar = bars[barOf(note.onset)];
            const std::string expected = describe(note.pitch, inBar(note.onset), note.value);
            const auto match = unmatched.find(std::pair{note.onset, note.pitch});
            if (match == unmatched.end()) {
                ++bar.faults;
                addTo(bar.expected, expected);
                continue;
            }
            ++score.matched;
            const std::int64_t value = match->second->value;
            unmatched.erase(match);
            if (value == note.value) {
                ++score.rightValue;
                continue;
            }
            ++bar.faults;
            addTo(bar.expected, expected);
            addTo(bar.got, describe(note.pitch, inBar(note.onset), value));
        }
        for (const auto& [key, note] : unmatched) {
            const std::int64_t onset = std::max<std::int64_t>(0, note->onset);
            BarNotes& bar = bars[barOf(onset)];
            ++bar.faults;
            addTo(bar.got, describe(note->pitch, inBar(onset), note->value));
        }
    }

    // The bar lines inside the piece: the one at its start is always there, and the last one
    // depends on where the final note ends, which a played-in rendering cuts short.
    std::set<std::int64_t> barStarts;
    for (std::size_t b = 1; b < piece.bars.size(); ++b) barStarts.insert(piece.bars[b].start);
    for (const std::vector<std::int64_t>& lines : transcription.barLinesOfStrand) {
        std::int64_t inside = 0, right = 0;
        for (std::int64_t line : lines) {
            if (line <= 0 || line >= piece.end) continue;
            ++inside;
            right += barStarts.count(line) != 0 ? 1 : 0;
        }
        // Wrong lines count against it as much as missing ones.
        score.barLines += std::max(static_cast<std::int64_t>(barStarts.size()), inside);
        score.rightBarLines += right;
    }

    const std::size_t firstNumber = piece.musicStart > 0 ? 0 : 1;
    for (auto& [bar, notes] : bars) {
        if (notes.faults == 0) continue;
        result.faults.push_back(BarFault{bar + firstNumber, notes.faults, std::move(notes.expected),
                                         std::move(notes.got)});
    }
    return result;
}

}  // namespace vl::fidelity
