#pragma once
// The "MIDI Statistics" dialog: shows a statistics record as check boxes for
// the signatures and tempo, percentages for the grid fits and the swing means
// and deviations. Nothing in it is read back.

#include <cstdint>
#include <string>

#include "dialogs/statistics_record.h"
#include "platform/dialog_runner.h"

namespace vl {

class StatisticsDialog : public DialogModel {
public:
    static constexpr int kTemplateId = 3000;
    // Check boxes: at start (time, key, tempo), then changes (time, key, tempo).
    static constexpr int kFirstPresenceCheck = 3000;
    static constexpr int kFirstStraightFit = 3006;  // 8 texts, entries 1 to 8
    static constexpr int kFirstTripletFit = 3014;   // 8 texts, entries 9 to 16
    static constexpr int kFirstSwingMean = 3026;    // 4 texts, entries 21 to 24
    static constexpr int kFirstSwingDeviation = 3030;  // 4 texts, entries 25 to 28

    explicit StatisticsDialog(const StatisticsValues& values);

    const StatisticsValues& values() const { return values_; }

    void onInitDialog() override;

private:
    void addPresenceGroup(const char* title, int firstId);
    void addFitGroup(const char* title, const char* const* labels, int firstId);
    void addSwingGroup();

    StatisticsValues values_;
};

// A fit in tenths of a percent as "%d.%d%%" (875 -> "87.5%"); -1 as "".
std::string formatFit(int32_t tenthsOfPercent);

// Computes the record of set and, when the set has a track, shows it modally
// without owner. Returns what the computation returned.
bool showStatistics(DialogRunner& runner, const TrackSet& set);

}  // namespace vl
