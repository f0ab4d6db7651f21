#include "settings_choice.h"

#include <algorithm>
#include <sstream>

#include "statistics_fields.h"

namespace vl::cli {

namespace {

constexpr int kFinestBeat = 7;
constexpr int kCoarsestAutoBeat = 5;
constexpr int kCoarsestBeat = 4;

// The second quaver of the crotchet starts in class 2. Swung quavers place it a third of a
// crotchet in (offset 16 of 96); straight ones near 0. Late by at least 10 beyond the spread,
// over a handful of onsets, counts as swung (fitted on the fidelity benchmark: played-in
// triplets come out near 14 +/- 6, played-in swing near 15 +/- 2).
constexpr std::size_t kOffBeatClass = 2;
constexpr std::int32_t kLateOffBeat = 10;
constexpr std::int32_t kFewestOffBeats = 4;

std::optional<bool> parseSwitch(const std::string& value) {
    if (value == "on") return true;
    if (value == "off") return false;
    return std::nullopt;
}

}  // namespace

std::string TranscriptionSettings::iniText() const {
    return "[rhythm resolution]\nquantisation beat=" + std::to_string(beat) +
           "\nswing=" + (swing ? "1" : "0") + "\ntriplets=" + (triplets ? "1" : "0") + "\n";
}

std::string TranscriptionSettings::describe() const {
    return "beat " + std::to_string(beat) + ", swing " + (swing ? "on" : "off") + ", triplets " +
           (triplets ? "on" : "off");
}

std::optional<TranscriptionSettings> parseSettings(const std::string& text,
                                                   TranscriptionSettings base) {
    std::istringstream parts(text);
    std::string part;
    bool any = false;
    while (std::getline(parts, part, ',')) {
        const std::size_t equals = part.find('=');
        if (equals == std::string::npos) return std::nullopt;
        const std::string name = part.substr(0, equals);
        const std::string value = part.substr(equals + 1);
        if (name == "beat" && value.size() == 1 && value[0] >= '0' + kCoarsestBeat &&
            value[0] <= '0' + kFinestBeat) {
            base.beat = value[0] - '0';
        } else if (name == "swing" && parseSwitch(value)) {
            base.swing = *parseSwitch(value);
        } else if (name == "triplets" && parseSwitch(value)) {
            base.triplets = *parseSwitch(value);
        } else {
            return std::nullopt;
        }
        any = true;
    }
    if (!any) return std::nullopt;
    return base;
}

bool SwingFigures::offBeatsLate() const {
    return count[kOffBeatClass] >= kFewestOffBeats &&
           mean[kOffBeatClass] - deviation[kOffBeatClass] >= kLateOffBeat;
}

SwingFigures swingFiguresOf(ImportSession* session) {
    SwingFigures figures;
    StatisticsRecord record{};
    if (VlMidiStatisticsCompute(session, record.data()) == 0) return figures;
    for (std::size_t c = 0; c < 4; ++c) {
        figures.count[c] = record[kSwingCounts + c];
        figures.mean[c] = record[kSwingMeans + c];
        figures.deviation[c] = record[kSwingDeviations + c];
    }
    return figures;
}

std::vector<TranscriptionSettings> candidateSettings(const SwingFigures& figures) {
    std::vector<TranscriptionSettings> candidates;
    for (const bool swing : {true, false}) {
        if (swing && !figures.offBeatsLate()) continue;
        for (int beat = kFinestBeat; beat >= kCoarsestAutoBeat; --beat) {
            candidates.push_back(TranscriptionSettings{beat, swing, true});
        }
    }
    return candidates;
}

std::size_t chooseSimplest(const std::vector<NotationSimplicity>& outcomes) {
    std::int64_t mostNotes = 0;
    for (const NotationSimplicity& outcome : outcomes) {
        mostNotes = std::max(mostNotes, outcome.notes);
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < outcomes.size(); ++i) {
        if (outcomes[i].cost(mostNotes) < outcomes[best].cost(mostNotes)) best = i;
    }
    return best;
}

}  // namespace vl::cli
