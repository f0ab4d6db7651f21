#pragma once
// Note-by-note comparison of a transcription with the piece it came from.

#include <cstdint>
#include <string>
#include <vector>

#include "piece.h"
#include "transcribe.h"

namespace vl::fidelity {

struct Score {
    std::int64_t expected = 0;     // notes written in the piece
    std::int64_t got = 0;          // notes the transcription wrote
    std::int64_t matched = 0;      // same track, onset and pitch (key for drums)
    std::int64_t rightValue = 0;   // matched, and the same written value (ties merged)
    std::int64_t barLines = 0;     // bar lines of the piece, counted once per strand
    std::int64_t rightBarLines = 0;

    Score& operator+=(const Score& other);
    double precision() const;
    double recall() const;
    double f1() const;
    double valueAccuracy() const;  // among matched notes
    double barAccuracy() const;
};

// A bar with wrong or missing notes, or notes where the piece has none.
struct BarFault {
    std::size_t bar = 0;  // from 1, as printed; bar 0 of a piece with a pick-up is "0"
    int faults = 0;       // missed + extra + wrong value
    std::string expected;
    std::string got;
};

struct PieceResult {
    Score score;
    std::vector<BarFault> faults;
};

PieceResult comparePiece(const Piece& piece, const Transcription& transcription);

}  // namespace vl::fidelity
