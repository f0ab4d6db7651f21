#pragma once
// The model of one modal dialog: its title, its controls held by identifier
// (texts, check states, list entries, selection) and its handlers. A
// DialogRunner shows the model and feeds it the user's actions.

#include <optional>
#include <string>
#include <vector>

namespace vl {

inline constexpr int kDialogOk = 1;      // IDOK: the OK button and its result
inline constexpr int kDialogCancel = 2;  // IDCANCEL: the Cancel button and its result
inline constexpr int kNoControlId = -1;  // labels and group boxes without identifier

enum class ControlKind { Label, GroupBox, CheckBox, DropDownList, ListBox, EditText, StaticText,
                         Button };

const char* controlKindName(ControlKind kind);

struct DialogControl {
    int id = kNoControlId;
    ControlKind kind = ControlKind::Label;
    std::string text;
    bool checked = false;
    std::vector<std::string> entries;
    int selection = -1;  // -1: nothing selected
    bool isDefault = false;  // the default push button

    bool hasEntries() const {
        return kind == ControlKind::DropDownList || kind == ControlKind::ListBox;
    }
};

class DialogModel {
public:
    DialogModel(std::string title, int templateId);
    virtual ~DialogModel() = default;
    DialogModel(const DialogModel&) = delete;
    DialogModel& operator=(const DialogModel&) = delete;

    const std::string& title() const { return title_; }
    int templateId() const { return templateId_; }
    // Controls in creation order, which is also the order they are shown in.
    const std::vector<DialogControl>& controls() const { return controls_; }
    const DialogControl* findControl(int id) const;
    DialogControl* findControl(int id);

    // Accessors by identifier; an unknown identifier reads as empty, 0 or -1
    // and writing to it does nothing.
    void setText(int id, std::string text);
    std::string text(int id) const;
    void setChecked(int id, bool checked);
    bool isChecked(int id) const;
    void setEntries(int id, std::vector<std::string> entries);
    void addEntry(int id, std::string entry);
    std::vector<std::string> entries(int id) const;
    // Selects entry index of a list, or nothing with -1; false (and no
    // change) when index is not -1 and not an entry.
    bool setSelection(int id, int index);
    int selection(int id) const;

    // Handlers. onCommand returns the result to end the dialog with, or
    // nothing to keep it open; by default OK and Cancel end it with their id.
    virtual void onInitDialog() {}
    virtual std::optional<int> onCommand(int controlId);
    virtual void onHelp() {}

    void endDialog(int result);
    bool hasEnded() const { return ended_; }
    int endResult() const { return result_; }

    // Used by the runners: open the dialog, pass on a button press (true
    // when the dialog has ended), pass on F1.
    void startModal();
    bool pressButton(int controlId);
    void pressHelp() { onHelp(); }

protected:
    // The reference stays valid until the next control is added.
    DialogControl& addControl(ControlKind kind, int id, std::string text);

private:
    std::string title_;
    int templateId_;
    std::vector<DialogControl> controls_;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace vl
