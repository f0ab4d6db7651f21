#include "midi/swing_statistics.h"

#include <array>
#include <limits>

#include "midi/track_cursor.h"

namespace vl {

namespace {

// The figures are 32-bit; the sums are kept in 64 bits and saturate at the
// largest 32-bit value when stored, so a long track at a fine division
// (squared offsets up to about 2^28 each) never overflows.
int32_t saturated(int64_t v) {
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v > kMax ? kMax : v);
}

struct Accumulator {
    std::array<int64_t, 4> count{};
    std::array<int64_t, 4> offsetSum{};
    std::array<int64_t, 4> offsetSquares{};
    int64_t total = 0;

    void add(int cls, int64_t offset) {
        count[cls] += 1;
        offsetSum[cls] += offset;
        offsetSquares[cls] += offset * offset;
        total += 1;
    }

    void storeInto(SwingStatistics& s) const {
        for (int c = 0; c < 4; ++c) {
            s.count[c] = saturated(count[c]);
            s.offsetSum[c] = saturated(offsetSum[c]);
            s.offsetSquares[c] = saturated(offsetSquares[c]);
        }
    }
};

}  // namespace

int32_t computeSwingStatistics(MidiTrack& track) {
    track.swing.clear();
    const int64_t eighth = track.division / 2;
    const int64_t sixteenth = track.division / 4;
    if (sixteenth == 0) return 0;

    Accumulator acc;
    int64_t lastEighth = -1;
    int64_t lastSixteenth = -1;
    for (TrackCursor cursor(track); !cursor.atEnd(); cursor.advance()) {
        const MidiMessage& m = cursor.event().message;
        if (m.isNoteOn()) {
            const int64_t t = cursor.timeSinceBar();
            const int64_t e = t / eighth;
            const int64_t s = t / sixteenth;
            // Only the first note-on in each grid slot counts: chord members and
            // repeated onsets in the same slot would weigh the class twice.
            if (e != lastEighth && s != lastSixteenth) {
                const int cls = static_cast<int>((s & 1) + 2 * (e & 1));
                acc.add(cls, t - s * sixteenth);
            }
            lastEighth = e;
            lastSixteenth = s;
        } else if (m.isBarMarker()) {
            lastEighth = lastSixteenth = -1;
        }
    }
    acc.storeInto(track.swing);
    return saturated(acc.total);
}

}  // namespace vl
