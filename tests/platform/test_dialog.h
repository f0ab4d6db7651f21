#pragma once
// A small dialog model for runner tests: one of each kind of control, and
// counters for every handler.

#include <optional>

#include "platform/dialog_model.h"

namespace vl::test {

class TestDialog : public DialogModel {
public:
    static constexpr int kCheck = 10;
    static constexpr int kList = 11;
    static constexpr int kApply = 12;  // a button that keeps the dialog open
    static constexpr int kEdit = 13;

    TestDialog() : DialogModel("Test dialog", 77) {
        addControl(ControlKind::GroupBox, kNoControlId, "Options");
        addControl(ControlKind::CheckBox, kCheck, "&Check me");
        addControl(ControlKind::Label, kNoControlId, "Pick:");
        addControl(ControlKind::ListBox, kList, "").entries = {"zero", "one", "two"};
        addControl(ControlKind::EditText, kEdit, "edit & text");
        addControl(ControlKind::Button, kApply, "&Apply");
        addControl(ControlKind::Button, kDialogOk, "OK").isDefault = true;
        addControl(ControlKind::Button, kDialogCancel, "Cancel");
    }

    void onInitDialog() override {
        ++inits;
        setChecked(kCheck, true);
    }
    std::optional<int> onCommand(int id) override {
        ++commands;
        lastCommand = id;
        return DialogModel::onCommand(id);
    }
    void onHelp() override { ++helps; }

    int inits = 0;
    int commands = 0;
    int lastCommand = 0;
    int helps = 0;
};

}  // namespace vl::test
