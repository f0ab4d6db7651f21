#include "settings/configuration_dialog.h"

#include <algorithm>

namespace vl {

namespace {

// Entry i stands for beat 7 - i; beat 3 (crotchet) has no entry.
constexpr int kFinestBeat = 7;
constexpr int kCoarsestBeat = 3;

}  // namespace

ConfigurationDialog::ConfigurationDialog() : DialogModel("Midi import configuration", kTemplateId) {
    addControl(ControlKind::CheckBox, kTripletsCheck, "Resolve &triplets");
    addControl(ControlKind::CheckBox, kSwingCheck, "Resolve &swing");
    addControl(ControlKind::Label, kNoControlId, "Quantisation:");
    addControl(ControlKind::DropDownList, kBeatList, "").entries = {
        "Hemidemisemiquaver  (1/64 note)",
        "Demisemiquaver         (1/32 note)",
        "Semiquaver                (1/16 note)",
        "Quaver                       (1/8 note)",
    };
    addControl(ControlKind::Button, kDialogOk, "OK").isDefault = true;
    addControl(ControlKind::Button, kDialogCancel, "Cancel");
}

void ConfigurationDialog::onInitDialog() {
    // An index outside the list (beat 3, or a beat out of range) selects nothing.
    if (!setSelection(kBeatList, kFinestBeat - beat)) setSelection(kBeatList, -1);
    setChecked(kTripletsCheck, triplets != 0);
    setChecked(kSwingCheck, swing != 0);
}

std::optional<int> ConfigurationDialog::onCommand(int controlId) {
    if (controlId != kDialogOk) return DialogModel::onCommand(controlId);
    const int selected = selection(kBeatList);
    // Without a valid selection the previous beat stays.
    if (selected >= 0) beat = static_cast<uint8_t>(kFinestBeat - selected);
    beat = static_cast<uint8_t>(std::clamp<int>(beat, kCoarsestBeat, kFinestBeat));
    triplets = isChecked(kTripletsCheck) ? 1 : 0;
    swing = isChecked(kSwingCheck) ? 1 : 0;
    return kDialogOk;
}

void ConfigurationDialog::onHelp() { requestHelp(kHelpContext); }

bool editResolutionSettings(DialogRunner& runner, void* parent, ResolutionSettings& record) {
    ConfigurationDialog dialog;
    dialog.swing = record.swing;
    dialog.triplets = record.triplets;
    dialog.beat = record.quantisationBeat;
    if (runner.runModal(dialog, parent) != kDialogOk) return false;
    record.swing = dialog.swing;
    record.triplets = dialog.triplets;
    record.quantisationBeat = dialog.beat;
    return true;
}

}  // namespace vl
