#pragma once
// The settings a transcription runs with when the host chooses them (`--settings`): the three
// the library reads from its settings file, the candidates `auto` tries, and the choice of the
// candidate whose notation reads simplest.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "notation_simplicity.h"
#include "vlmidiin.h"

namespace vl::cli {

struct TranscriptionSettings {
    int beat = 7;  // 4 (quaver) to 7 (1/64)
    bool swing = true;
    bool triplets = true;

    // The settings file's "rhythm resolution" section holding these settings.
    std::string iniText() const;
    // "beat 7, swing on, triplets on"
    std::string describe() const;
    bool operator==(const TranscriptionSettings&) const = default;
};

// Reads "beat=N,swing=on|off,triplets=on|off" (any subset, any order) over `base`; nothing
// when a part is not understood.
std::optional<TranscriptionSettings> parseSettings(const std::string& text,
                                                   TranscriptionSettings base);

// The swing figures of the statistics: per sixteenth class of the crotchet, how many onsets
// fell in it and their mean offset and deviation from its start, in 96ths of a crotchet.
struct SwingFigures {
    std::array<std::int32_t, 4> count{};
    std::array<std::int32_t, 4> mean{};
    std::array<std::int32_t, 4> deviation{};

    // The off-beat quavers come late enough, and steadily enough, to be swung quavers.
    bool offBeatsLate() const;
};

// The figures the library computes for an open session; zeros when it gives none.
SwingFigures swingFiguresOf(ImportSession* session);

// What `--settings auto` tries, in order of preference: every beat from the finest down to
// the semiquaver with triplets on; swing on as well as off only when the off-beats are late.
std::vector<TranscriptionSettings> candidateSettings(const SwingFigures& figures);

// The index of the candidate whose notation costs least; the earlier one on a tie.
std::size_t chooseSimplest(const std::vector<NotationSimplicity>& outcomes);

}  // namespace vl::cli
