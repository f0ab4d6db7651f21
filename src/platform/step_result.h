#pragma once
// What one pass of the transcription did, over a track, a strand or a whole
// track set: how many things it changed, and whether the host cancelled it
// through the progress channel. Each pass says what its count counts (events
// deleted, bar markers placed, strands found, notes moved...). What a pass did
// before a cancel stays done.

#include <cstddef>
#include <cstdint>
#include <limits>

namespace vl {

struct StepResult {
    int32_t count = 0;
    bool cancelled = false;

    // A count as the result holds it: beyond the 32-bit range it stays at the largest value.
    static int32_t heldCount(size_t n) {
        constexpr size_t kMax = std::numeric_limits<int32_t>::max();
        return static_cast<int32_t>(n > kMax ? kMax : n);
    }
    // A pass that ran to its end, one the host stopped, and either of them.
    static StepResult done(size_t n = 0) { return {heldCount(n), false}; }
    static StepResult cancelledAfter(size_t n) { return {heldCount(n), true}; }
    static StepResult of(size_t n, bool cancelled) { return {heldCount(n), cancelled}; }

    // What a host command answers: the count, or -1 when cancelled.
    int32_t hostAnswer() const { return cancelled ? -1 : count; }

    // Adds another pass's count and takes over its cancel.
    StepResult& operator+=(const StepResult& other) {
        count = heldCount(static_cast<size_t>(count) + static_cast<size_t>(other.count));
        cancelled = cancelled || other.cancelled;
        return *this;
    }
};

}  // namespace vl
