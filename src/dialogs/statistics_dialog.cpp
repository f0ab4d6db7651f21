#include "dialogs/statistics_dialog.h"

#include <array>
#include <cstdio>

namespace vl {

namespace {

// The note value of each grid with the crotchet as 1.
constexpr std::array<const char*, kGridCount> kStraightLabels{"2",   "1",    "1/2",  "1/4",
                                                               "1/8", "1/16", "1/32", "1/64"};
constexpr std::array<const char*, kGridCount> kTripletLabels{"1",    "1/2",  "1/4",  "1/8",
                                                              "1/16", "1/32", "1/64", "1/128"};
constexpr std::array<const char*, kSwingClasses> kSwingLabels{"0)", "1)", "2)", "3)"};
constexpr std::array<const char*, 3> kPresenceLabels{"Time sig.", "Key sig.", "Tempo"};

// Check box i of each group shows this bit; the changes group follows at +3.
constexpr std::array<int32_t, 6> kPresenceBitOfCheck{
    presence::TimeSignatureAtStart, presence::KeySignatureAtStart, presence::TempoAtStart,
    presence::TimeSignatureLater,   presence::KeySignatureLater,   presence::TempoLater};

}  // namespace

std::string formatFit(int32_t tenthsOfPercent) {
    if (tenthsOfPercent < 0) return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d%%", tenthsOfPercent / 10, tenthsOfPercent % 10);
    return text;
}

StatisticsDialog::StatisticsDialog(const StatisticsValues& values)
    : DialogModel("MIDI Statistics", kTemplateId), values_(values) {
    addControl(ControlKind::Button, kDialogOk, "OK").isDefault = true;
    addPresenceGroup("At start", kFirstPresenceCheck);
    addPresenceGroup("Changes?", kFirstPresenceCheck + 3);
    addFitGroup("Quantisation:", kStraightLabels.data(), kFirstStraightFit);
    addFitGroup("Triplet:", kTripletLabels.data(), kFirstTripletFit);
    addSwingGroup();
}

void StatisticsDialog::addPresenceGroup(const char* title, int firstId) {
    addControl(ControlKind::GroupBox, kNoControlId, title);
    for (int i = 0; i < 3; ++i) addControl(ControlKind::CheckBox, firstId + i, kPresenceLabels[i]);
}

void StatisticsDialog::addFitGroup(const char* title, const char* const* labels, int firstId) {
    addControl(ControlKind::GroupBox, kNoControlId, title);
    for (int i = 0; i < static_cast<int>(kGridCount); ++i) {
        addControl(ControlKind::Label, kNoControlId, labels[i]);
        addControl(ControlKind::StaticText, firstId + i, "");
    }
}

void StatisticsDialog::addSwingGroup() {
    addControl(ControlKind::GroupBox, kNoControlId, "Swing");
    for (int c = 0; c < static_cast<int>(kSwingClasses); ++c) {
        addControl(ControlKind::Label, kNoControlId, kSwingLabels[c]);
        addControl(ControlKind::StaticText, kFirstSwingMean + c, "");
        addControl(ControlKind::Label, kNoControlId, "+/-");
        addControl(ControlKind::StaticText, kFirstSwingDeviation + c, "");
    }
}

void StatisticsDialog::onInitDialog() {
    const int32_t bits = values_[statistics::Presence];
    for (int i = 0; i < static_cast<int>(kPresenceBitOfCheck.size()); ++i) {
        setChecked(kFirstPresenceCheck + i, (bits & kPresenceBitOfCheck[i]) != 0);
    }
    for (int i = 0; i < static_cast<int>(kGridCount); ++i) {
        setText(kFirstStraightFit + i, formatFit(values_[statistics::StraightFits + i]));
        setText(kFirstTripletFit + i, formatFit(values_[statistics::TripletFits + i]));
    }
    for (int c = 0; c < static_cast<int>(kSwingClasses); ++c) {
        setText(kFirstSwingMean + c, std::to_string(values_[statistics::SwingMeans + c]));
        setText(kFirstSwingDeviation + c,
                std::to_string(values_[statistics::SwingDeviations + c]));
    }
}

bool showStatistics(DialogRunner& runner, const TrackSet& set) {
    StatisticsValues values{};
    if (!computeStatistics(set, values)) return false;
    StatisticsDialog dialog(values);
    runner.runModal(dialog, nullptr);
    return true;
}

}  // namespace vl
