// Pieces of known notation, one small set per category. Every choice comes from a seeded
// generator of our own, so the pieces are the same on every platform.

#include <algorithm>
#include <functional>

#include "piece.h"

namespace vl::fidelity {

namespace {

constexpr std::int64_t Q = kUnitsPerQuarter;  // crotchet
constexpr std::int64_t E = Q / 2;             // quaver
constexpr std::int64_t S = Q / 4;             // semiquaver
constexpr std::int64_t T3 = Q / 3;            // triplet quaver
constexpr std::int64_t T5 = Q / 5;            // quintuplet semiquaver
constexpr int kDrumChannel = 9;
constexpr int kPiecesPerCategory = 3;

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    int below(int n) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<int>(state_ % static_cast<std::uint64_t>(n));
    }

private:
    std::uint64_t state_;
};

// A beat's rhythm: positive values are notes, negative ones rests.
using Pattern = std::vector<std::int64_t>;

// Pitches walking over the C major scale within a register.
class Melody {
public:
    Melody(Random& random, int low) : random_(random), low_(low) {}
    int next() {
        static constexpr int kScale[] = {0, 2, 4, 5, 7, 9, 11};
        degree_ = std::clamp(degree_ + random_.below(5) - 2, 0, 13);
        return low_ + 12 * (degree_ / 7) + kScale[degree_ % 7];
    }

private:
    Random& random_;
    int low_;
    int degree_ = 4;
};

void setBars(Piece& piece, const std::vector<Metre>& metres) {
    std::int64_t start = 0;
    for (const Metre& metre : metres) {
        piece.bars.push_back(Bar{start, metre});
        start += metre.barLength();
    }
    piece.end = start;
}

std::vector<Metre> repeated(Metre metre, int bars) { return std::vector<Metre>(bars, metre); }

std::int64_t beatLength(const Metre& metre) {
    const bool compound = metre.beatType == 8 && metre.beats % 3 == 0 && metre.beats > 3;
    return compound ? 3 * Q / 2 : 4 * Q / metre.beatType;
}

// Fills [from, to) beat by beat with patterns for that beat length; chordSize notes per onset.
void fillBeats(Track& track, Random& random, Melody& melody, std::int64_t from, std::int64_t to,
               std::int64_t beat, const std::vector<Pattern>& patterns, int chordSize = 1,
               bool swing = false) {
    for (std::int64_t at = from; at < to;) {
        std::vector<const Pattern*> fitting;
        for (const Pattern& p : patterns) {
            std::int64_t length = 0;
            for (std::int64_t v : p) length += v < 0 ? -v : v;
            if (length % beat == 0 && at + length <= to) fitting.push_back(&p);
        }
        if (fitting.empty()) return;
        for (std::int64_t v : *fitting[random.below(static_cast<int>(fitting.size()))]) {
            if (v > 0) {
                const int root = melody.next();
                static constexpr int kChordSteps[] = {0, 4, 7};
                for (int c = 0; c < chordSize; ++c) {
                    track.notes.push_back(Note{at, v, root + kChordSteps[c], swing && v == E});
                }
            }
            at += v < 0 ? -v : v;
        }
    }
}

using PatternsFor = std::function<std::vector<Pattern>(const Metre&)>;

// Every bar of the piece filled with patterns for its metre's beat.
void fillBars(Piece& piece, Track& track, Random& random, Melody& melody,
              const PatternsFor& patternsFor, int chordSize = 1, bool swing = false) {
    for (std::size_t b = 0; b < piece.bars.size(); ++b) {
        const Bar& bar = piece.bars[b];
        const std::int64_t from = std::max(bar.start, piece.musicStart);
        const std::int64_t to = bar.start + bar.metre.barLength();
        if (from > bar.start) {  // a pick-up: quavers up to the first bar line
            fillBeats(track, random, melody, from, to, E, {{E}}, chordSize, swing);
            continue;
        }
        fillBeats(track, random, melody, from, to, beatLength(bar.metre),
                  patternsFor(bar.metre), chordSize, swing);
    }
}

std::vector<Pattern> plainPatterns(const Metre& metre) {
    const std::int64_t beat = beatLength(metre);
    if (beat == 3 * Q / 2) return {{3 * E}, {E, E, E}, {Q, E}, {3 * E / 2, S, E}, {6 * E}};
    if (beat == 2 * Q) return {{2 * Q}, {Q, Q}, {Q, E, E}, {4 * Q}};
    return {{Q}, {E, E}, {S, S, E}, {E, S, S}, {2 * Q}};
}

Metre pickMetre(Random& random, const std::vector<Metre>& metres) {
    return metres[random.below(static_cast<int>(metres.size()))];
}

// One melody over `bars` bars of a metre picked from `metres`.
void melodyPiece(Piece& piece, Random& random, const std::vector<Metre>& metres, int bars,
                 const PatternsFor& patternsFor, int chordSize = 1, bool swing = false) {
    setBars(piece, repeated(pickMetre(random, metres), bars));
    Melody melody(random, chordSize > 1 ? 55 : 60);
    piece.tracks.emplace_back();
    fillBars(piece, piece.tracks[0], random, melody, patternsFor, chordSize, swing);
}

using Maker = std::function<void(Piece&, Random&)>;

void plain(Piece& piece, Random& random) {
    melodyPiece(piece, random, {{4, 4}, {3, 4}, {2, 2}}, 8 + random.below(5), plainPatterns);
}

void chords(Piece& piece, Random& random) {
    melodyPiece(
        piece, random, {{4, 4}, {3, 4}}, 8,
        [](const Metre&) { return std::vector<Pattern>{{Q}, {E, E}, {2 * Q}}; },
        2 + random.below(2));
}

void dotted(Piece& piece, Random& random) {
    melodyPiece(piece, random, {{4, 4}, {3, 4}}, 8, [](const Metre&) {
        return std::vector<Pattern>{{3 * Q / 2, E}, {3 * E / 2, S}, {Q}, {3 * Q, Q}};
    });
}

// A stream of values on the quaver grid that runs across the bar lines.
void ties(Piece& piece, Random& random) {
    const Metre metre = pickMetre(random, {{4, 4}, {3, 4}});
    setBars(piece, repeated(metre, 8 + random.below(5)));
    Melody melody(random, 60);
    Track track;
    static constexpr std::int64_t kValues[] = {Q, 2 * Q, 3 * Q / 2, E, 3 * Q};
    for (std::int64_t at = 0; at < piece.end;) {
        const std::int64_t value = std::min(kValues[random.below(5)], piece.end - at);
        track.notes.push_back(Note{at, value, melody.next(), false});
        at += value;
    }
    piece.tracks.push_back(std::move(track));
}

void rests(Piece& piece, Random& random) {
    melodyPiece(piece, random, {{4, 4}, {3, 4}, {2, 2}}, 8, [](const Metre& m) {
        if (beatLength(m) == 2 * Q) return std::vector<Pattern>{{2 * Q}, {-Q, Q}, {Q, -Q}};
        return std::vector<Pattern>{{Q}, {-Q}, {E, -E}, {-E, E}, {E, E}};
    });
}

void triplets(Piece& piece, Random& random) {
    melodyPiece(piece, random, {{4, 4}, {3, 4}}, 8, [](const Metre&) {
        return std::vector<Pattern>{{T3, T3, T3}, {T3, T3, T3}, {2 * T3, T3}, {Q}, {E, E}};
    });
}

void quintuplets(Piece& piece, Random& random) {
    melodyPiece(piece, random, {{4, 4}}, 8, [](const Metre&) {
        return std::vector<Pattern>{{T5, T5, T5, T5, T5}, {Q}, {E, E}};
    });
}

// Written straight quavers, played swung.
void swung(Piece& piece, Random& random) {
    melodyPiece(
        piece, random, {{4, 4}, {3, 4}}, 8,
        [](const Metre&) { return std::vector<Pattern>{{E, E}, {E, E}, {E, E}, {Q}}; }, 1, true);
}

void pickup(Piece& piece, Random& random) {
    const Metre metre = pickMetre(random, {{4, 4}, {3, 4}, {6, 8}});
    setBars(piece, repeated(metre, 9));
    piece.musicStart = metre.barLength() - (random.below(2) == 0 ? Q : E);
    Melody melody(random, 60);
    piece.tracks.emplace_back();
    fillBars(piece, piece.tracks[0], random, melody, plainPatterns);
}

void compound(Piece& piece, Random& random) {
    melodyPiece(piece, random, {{6, 8}, {9, 8}, {12, 8}, {5, 4}}, 8, plainPatterns);
}

std::vector<Metre> changingMetres(Random& random) {
    static const std::vector<Metre> kMetres = {{4, 4}, {3, 4}, {2, 4}, {6, 8}, {5, 4}, {3, 8}};
    std::vector<Metre> metres;
    while (metres.size() < 10) {
        const Metre metre = pickMetre(random, kMetres);
        for (int i = 1 + random.below(3); i > 0; --i) metres.push_back(metre);
    }
    return metres;
}

void metreChanges(Piece& piece, Random& random) {
    setBars(piece, changingMetres(random));
    Melody melody(random, 60);
    piece.tracks.emplace_back();
    fillBars(piece, piece.tracks[0], random, melody, plainPatterns);
}

// Two tracks; the signatures after the first are carried only by the last track.
void metreChangesInLaterTrack(Piece& piece, Random& random) {
    metreChanges(piece, random);
    piece.metreInLaterTrack = true;
    Melody bass(random, 40);
    piece.tracks.emplace_back();
    piece.tracks[1].channel = 1;
    fillBars(piece, piece.tracks[1], random, bass, [](const Metre& m) {
        return std::vector<Pattern>{{beatLength(m)}, {2 * beatLength(m)}};
    });
}

// An upper voice of quavers and crotchets over a lower one of long notes, on one channel.
void voices(Piece& piece, Random& random) {
    setBars(piece, repeated(pickMetre(random, {{4, 4}, {3, 4}}), 8));
    Melody upper(random, 72);
    Melody lower(random, 43);
    piece.tracks.emplace_back();
    fillBars(piece, piece.tracks[0], random, upper,
             [](const Metre&) { return std::vector<Pattern>{{E, E}, {Q}, {S, S, E}}; });
    fillBars(piece, piece.tracks[0], random, lower,
             [](const Metre& m) { return std::vector<Pattern>{{2 * Q}, {Q * m.beats}}; });
    std::stable_sort(piece.tracks[0].notes.begin(), piece.tracks[0].notes.end(),
                     [](const Note& a, const Note& b) { return a.onset < b.onset; });
}

void drums(Piece& piece, Random& random) {
    setBars(piece, repeated(pickMetre(random, {{4, 4}, {3, 4}}), 8));
    Track track;
    track.channel = kDrumChannel;
    constexpr int kKick = 36, kSnare = 38, kHiHat = 42, kOpenHat = 46;
    for (const Bar& bar : piece.bars) {
        for (std::int64_t at = bar.start; at < bar.start + bar.metre.barLength(); at += E) {
            const std::int64_t inBar = at - bar.start;
            track.notes.push_back(Note{at, E, random.below(8) == 0 ? kOpenHat : kHiHat, false});
            if (inBar % Q != 0) continue;
            const bool backBeat = (inBar / Q) % 2 == 1;
            track.notes.push_back(Note{at, E, backBeat ? kSnare : kKick, false});
        }
    }
    piece.tracks.push_back(std::move(track));
}

// Straight quavers and semiquavers, often in 9/8 and 12/8, read with swing on.
void straightRuns(Piece& piece, Random& random) {
    melodyPiece(piece, random, {{9, 8}, {12, 8}, {4, 4}}, 8, [](const Metre& m) {
        if (beatLength(m) == 3 * E) return std::vector<Pattern>{{E, E, E}, {S, S, S, S, S, S}};
        return std::vector<Pattern>{{E, E}, {S, S, S, S}};
    });
}

// Every event a tick or two late; the metre changes once.
void lateStart(Piece& piece, Random& random) {
    std::vector<Metre> metres = repeated(Metre{4, 4}, 4);
    for (const Metre& m : repeated(pickMetre(random, {{3, 4}, {6, 8}}), 4)) metres.push_back(m);
    setBars(piece, metres);
    piece.lateTicks = 1 + random.below(2);
    Melody melody(random, 60);
    piece.tracks.emplace_back();
    fillBars(piece, piece.tracks[0], random, melody, plainPatterns);
}

}  // namespace

std::size_t Piece::barAt(std::int64_t position) const {
    const auto after = std::upper_bound(bars.begin(), bars.end(), position,
                                        [](std::int64_t p, const Bar& b) { return p < b.start; });
    return after == bars.begin() ? 0 : static_cast<std::size_t>(after - bars.begin() - 1);
}

std::vector<Piece> generatePieces(std::uint32_t seed) {
    const std::vector<std::pair<const char*, Maker>> categories = {
        {"plain", plain},
        {"chords", chords},
        {"dotted", dotted},
        {"ties", ties},
        {"rests", rests},
        {"triplets", triplets},
        {"quintuplets", quintuplets},
        {"swung", swung},
        {"pick-up", pickup},
        {"compound", compound},
        {"metre changes", metreChanges},
        {"metre later trk", metreChangesInLaterTrack},
        {"voices", voices},
        {"drums", drums},
        {"straight+swing", straightRuns},
        {"late start", lateStart},
    };
    std::vector<Piece> pieces;
    Random random(seed);
    for (const auto& [category, make] : categories) {
        for (int i = 0; i < kPiecesPerCategory; ++i) {
            Piece piece;
            piece.category = category;
            piece.name = std::string(category) + " " + std::to_string(i + 1);
            make(piece, random);
            pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

}  // namespace vl::fidelity
