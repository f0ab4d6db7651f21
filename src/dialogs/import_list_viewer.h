#pragma once
// The "Import lists" dialog: a diagnostic view that steps through the item
// lists of a transcribed session strand by strand and item by item, showing
// each item decoded into words (type, action and its three arguments).

#include <cstdint>
#include <optional>
#include <string>

#include "platform/dialog_runner.h"
#include "vlmidiin.h"

namespace vl {

class ItemWalk;

// What the six item controls show for one item (the strand number aside).
struct ItemFields {
    std::string type;
    std::string action;
    std::string param1;
    std::string param2;
    std::string param3;
    std::string text;
};

// "barline N" numbers a bar line with barCount; unknown types read "Type N".
std::string viewerTypeName(uint16_t type, int32_t barCount);
// "Ignore", "Append", "Cluster", else "??????".
std::string viewerActionName(uint8_t action);
// A note value with its dots ("Crotchet.", "Minim..") or "Whole bar".
std::string viewerNoteValue(uint8_t code);
// The tie and tuplet marks of a note or rest: "_", then "3plt" or "5plt".
std::string viewerNoteMarks(uint8_t flags);
// The fields of item; text is the text of a text item, or null.
ItemFields viewerFieldsOf(const ImportItem& item, int32_t barCount, const char* text);

class ImportListViewer : public DialogModel {
public:
    static constexpr int kTemplateId = 3001;
    static constexpr int kStrandText = 3014;
    static constexpr int kTypeText = 3015;
    static constexpr int kActionText = 3016;
    static constexpr int kParam1Text = 3017;
    static constexpr int kParam2Text = 3018;
    static constexpr int kParam3Text = 3019;
    static constexpr int kItemText = 3025;
    static constexpr int kPreviousStrandButton = 3021;  // "&Up"
    static constexpr int kNextStrandButton = 3022;      // "&Dn"
    static constexpr int kPreviousItemButton = 1000;    // "<&<"
    static constexpr int kNextItemButton = 1001;        // "&>>"
    static constexpr int kBackToBarButton = 1002;       // "<<<< &Bkwd"
    static constexpr int kForwardToBarButton = 1003;    // "&Frwd >>>>"

    // The walk is a session's, not owned; it must outlive the dialog.
    explicit ImportListViewer(ItemWalk& walk);

    void onInitDialog() override;
    std::optional<int> onCommand(int controlId) override;

    int32_t strandIndex() const { return strandIndex_; }
    int32_t barCount() const { return barCount_; }
    const ImportItem& currentItem() const { return item_; }

private:
    void nextItem();
    void previousItem();
    void forwardToBarLine();
    void backToBarLine();
    void nextStrand();
    void previousStrand();
    // After a successful strand move: the strand's first item, or a beep.
    void enterStrand();
    // Takes a step back onto `previous`, counting a bar line that is left.
    void stepBackTo(const ImportItem& previous);

    void showItem(bool withStrandNumber);
    void showErrorState();

    ItemWalk& walk_;
    int32_t strandIndex_ = 0;
    int32_t barCount_ = -1;
    ImportItem item_{};
    // After a failed forward step the walk stands past the last item (or
    // strand) while the display keeps the last one: the step back from there
    // returns to that one, so no bar line is left and the strand number stays.
    bool pastLastItem_ = false;
    bool pastLastStrand_ = false;
};

// Shows the viewer over walk with runner until the user closes it.
void showImportLists(DialogRunner& runner, ItemWalk& walk, void* parent);

}  // namespace vl
