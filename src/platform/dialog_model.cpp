#include "platform/dialog_model.h"

#include <utility>

namespace vl {

const char* controlKindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return "label";
    case ControlKind::GroupBox: return "group box";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::DropDownList: return "drop-down list";
    case ControlKind::ListBox: return "list box";
    case ControlKind::EditText: return "edit text";
    case ControlKind::StaticText: return "static text";
    case ControlKind::Button: return "button";
    }
    return "control";
}

DialogModel::DialogModel(std::string title, int templateId)
    : title_(std::move(title)), templateId_(templateId) {}

const DialogControl* DialogModel::findControl(int id) const {
    if (id == kNoControlId) return nullptr;
    for (const DialogControl& control : controls_)
        if (control.id == id) return &control;
    return nullptr;
}

DialogControl* DialogModel::findControl(int id) {
    return const_cast<DialogControl*>(std::as_const(*this).findControl(id));
}

DialogControl& DialogModel::addControl(ControlKind kind, int id, std::string text) {
    DialogControl control;
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    controls_.push_back(std::move(control));
    return controls_.back();
}

void DialogModel::setText(int id, std::string text) {
    if (DialogControl* control = findControl(id)) control->text = std::move(text);
}

std::string DialogModel::text(int id) const {
    const DialogControl* control = findControl(id);
    return control != nullptr ? control->text : std::string();
}

void DialogModel::setChecked(int id, bool checked) {
    if (DialogControl* control = findControl(id)) control->checked = checked;
}

bool DialogModel::isChecked(int id) const {
    const DialogControl* control = findControl(id);
    return control != nullptr && control->checked;
}

void DialogModel::setEntries(int id, std::vector<std::string> entries) {
    DialogControl* control = findControl(id);
    if (control == nullptr) return;
    control->entries = std::move(entries);
    control->selection = -1;
}

void DialogModel::addEntry(int id, std::string entry) {
    if (DialogControl* control = findControl(id)) control->entries.push_back(std::move(entry));
}

std::vector<std::string> DialogModel::entries(int id) const {
    const DialogControl* control = findControl(id);
    return control != nullptr ? control->entries : std::vector<std::string>();
}

bool DialogModel::setSelection(int id, int index) {
    DialogControl* control = findControl(id);
    if (control == nullptr) return false;
    if (index < -1 || (index >= 0 && static_cast<std::size_t>(index) >= control->entries.size()))
        return false;
    control->selection = index;
    return true;
}

int DialogModel::selection(int id) const {
    const DialogControl* control = findControl(id);
    return control != nullptr ? control->selection : -1;
}

std::optional<int> DialogModel::onCommand(int controlId) {
    if (controlId == kDialogOk || controlId == kDialogCancel) return controlId;
    return std::nullopt;
}

void DialogModel::endDialog(int result) {
    ended_ = true;
    result_ = result;
}

void DialogModel::startModal() {
    ended_ = false;
    result_ = 0;
    onInitDialog();
}

bool DialogModel::pressButton(int controlId) {
    if (const std::optional<int> result = onCommand(controlId)) endDialog(*result);
    return ended_;
}

}  // namespace vl
