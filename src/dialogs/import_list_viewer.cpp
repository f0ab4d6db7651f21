#include "dialogs/import_list_viewer.h"

#include <string>

#include "notation/item_list.h"
#include "notation/note_value.h"
#include "notation/note_value_names.h"
#include "session/item_walk.h"

namespace vl {

namespace {

constexpr const char* kErrorText = "Error";
constexpr const char* kNoText = "<none>";
constexpr const char* kUnusedField = " ";  // the parameter fields of a text item

// Types at and above this one show a text instead of parameters.
constexpr uint16_t kFirstTextType = itemtype::FirstText;

bool showsNoteFields(uint16_t type) {
    return type == itemtype::MidiNote || type == itemtype::Rest;
}

}  // namespace

std::string viewerTypeName(uint16_t type, int32_t barCount) {
    switch (type) {
    case itemtype::Unknown: return "Unknown";
    case itemtype::MidiNote: return "midinote";
    case itemtype::Note: return "note";
    case itemtype::Rest: return "rest";
    case itemtype::Barline: return "barline " + std::to_string(barCount);
    case itemtype::TimeSignature: return "timesig";
    case itemtype::KeySignature: return "keysig";
    case itemtype::Tempo: return "tempo";
    case itemtype::Clef: return "clef";
    case itemtype::ProgramChange: return "progchange";
    case itemtype::SwingStyle: return "swingstyle";
    case 11: return "gracenote";
    case 12: return "tuplet-start";
    case 13: return "tuplet-end";
    case itemtype::FirstText: return "text";
    case itemtype::TrackName: return "trackname";
    default: return "Type " + std::to_string(type);
    }
}

std::string viewerActionName(uint8_t action) {
    switch (action) {
    case 0: return "Ignore";
    case itemaction::Append: return "Append";
    case itemaction::Cluster: return "Cluster";
    default: return "??????";
    }
}

std::string viewerNoteValue(uint8_t code) {
    if ((code & notecode::WholeBar) != 0) return kNoteValueNames.wholeBar;
    std::string shown = noteValueName(code);
    if ((code & notecode::Dotted) != 0) {
        shown += '.';
        if ((code & notecode::DoubleDotted) == notecode::DoubleDotted) shown += '.';
    }
    return shown;
}

std::string viewerNoteMarks(uint8_t flags) {
    std::string shown;
    if ((flags & noteflag::Tied) != 0) shown += '_';
    if ((flags & noteflag::Triplet) != 0)
        shown += "3plt";
    else if ((flags & noteflag::Quintuplet) != 0)
        shown += "5plt";
    return shown;
}

ItemFields viewerFieldsOf(const ImportItem& item, int32_t barCount, const char* text) {
    ItemFields fields;
    fields.type = viewerTypeName(item.type, barCount);
    if (item.type >= kFirstTextType) {
        fields.text = text != nullptr ? text : kNoText;
        fields.action = fields.param1 = fields.param2 = fields.param3 = kUnusedField;
        return fields;
    }
    fields.action = viewerActionName(item.action);
    fields.param1 = std::to_string(item.arg1);
    if (showsNoteFields(item.type)) {
        fields.param2 = viewerNoteValue(item.arg2);
        fields.param3 = viewerNoteMarks(item.arg3);
    } else {
        fields.param2 = std::to_string(item.arg2);
        fields.param3 = std::to_string(item.arg3);
    }
    return fields;
}

ImportListViewer::ImportListViewer(ItemWalk& walk)
    : DialogModel("Import lists", kTemplateId), walk_(walk) {
    addControl(ControlKind::Button, kDialogCancel, "Cancel");
    addControl(ControlKind::Label, kNoControlId, "Strand");
    addControl(ControlKind::StaticText, kStrandText, "1024");
    addControl(ControlKind::Button, kPreviousStrandButton, "&Up");
    addControl(ControlKind::Button, kNextStrandButton, "&Dn");
    addControl(ControlKind::StaticText, kTypeText, "ItemType");
    addControl(ControlKind::StaticText, kActionText, "Action");
    addControl(ControlKind::StaticText, kParam1Text, "Param1");
    addControl(ControlKind::StaticText, kParam2Text, "Param2");
    addControl(ControlKind::StaticText, kParam3Text, "Param3");
    addControl(ControlKind::StaticText, kItemText, "Static");
    addControl(ControlKind::Button, kPreviousItemButton, "<&<");
    addControl(ControlKind::Button, kNextItemButton, "&>>");
    addControl(ControlKind::Button, kBackToBarButton, "<<<< &Bkwd");
    addControl(ControlKind::Button, kForwardToBarButton, "&Frwd >>>>");
}

void ImportListViewer::onInitDialog() {
    strandIndex_ = 0;
    barCount_ = -1;
    ImportItem first{};
    const bool ok = walk_.openFirstStrand() && walk_.firstItem(&first);
    if (!ok) {
        showErrorState();
        return;
    }
    item_ = first;
    showItem(true);
}

std::optional<int> ImportListViewer::onCommand(int controlId) {
    switch (controlId) {
    case kNextItemButton: nextItem(); break;
    case kPreviousItemButton: previousItem(); break;
    case kForwardToBarButton: forwardToBarLine(); break;
    case kBackToBarButton: backToBarLine(); break;
    case kNextStrandButton: nextStrand(); break;
    case kPreviousStrandButton: previousStrand(); break;
    default: return DialogModel::onCommand(controlId);
    }
    return std::nullopt;
}

void ImportListViewer::nextItem() {
    ImportItem next{};
    if (!walk_.nextItem(&next)) {
        pastLastItem_ = true;
        beep();
        return;
    }
    pastLastItem_ = false;
    item_ = next;
    if (item_.type == itemtype::Barline) ++barCount_;
    showItem(false);
}

void ImportListViewer::previousItem() {
    ImportItem previous{};
    if (!walk_.previousItem(&previous)) {
        beep();
        return;
    }
    stepBackTo(previous);
    showItem(false);
}

void ImportListViewer::stepBackTo(const ImportItem& previous) {
    if (!pastLastItem_ && item_.type == itemtype::Barline) --barCount_;
    pastLastItem_ = false;
    item_ = previous;
}

void ImportListViewer::forwardToBarLine() {
    bool onBarLine = false;
    for (ImportItem next{}; !onBarLine && walk_.nextItem(&next);) {
        item_ = next;
        onBarLine = item_.type == itemtype::Barline;
        if (onBarLine) ++barCount_;
    }
    pastLastItem_ = !onBarLine;
    showItem(false);
    if (!onBarLine) beep();
}

void ImportListViewer::backToBarLine() {
    bool onBarLine = false;
    for (ImportItem previous{}; !onBarLine && walk_.previousItem(&previous);) {
        stepBackTo(previous);
        onBarLine = item_.type == itemtype::Barline;
    }
    showItem(false);
    if (!onBarLine) beep();
}

void ImportListViewer::nextStrand() {
    if (!walk_.openNextStrand()) {
        pastLastStrand_ = true;
        beep();
        return;
    }
    ++strandIndex_;
    enterStrand();
}

void ImportListViewer::previousStrand() {
    if (!walk_.openPreviousStrand()) {
        beep();
        return;
    }
    if (!pastLastStrand_) --strandIndex_;
    enterStrand();
}

void ImportListViewer::enterStrand() {
    pastLastStrand_ = false;
    pastLastItem_ = false;
    barCount_ = -1;
    ImportItem first{};
    if (!walk_.firstItem(&first)) {
        beep();  // an empty strand: the display stays as it was
        return;
    }
    item_ = first;
    showItem(true);
}

void ImportListViewer::showItem(bool withStrandNumber) {
    if (withStrandNumber) setText(kStrandText, std::to_string(strandIndex_));
    ItemFields fields = viewerFieldsOf(item_, barCount_, walk_.itemText(item_));
    setText(kTypeText, std::move(fields.type));
    setText(kActionText, std::move(fields.action));
    setText(kParam1Text, std::move(fields.param1));
    setText(kParam2Text, std::move(fields.param2));
    setText(kParam3Text, std::move(fields.param3));
    setText(kItemText, std::move(fields.text));
}

void ImportListViewer::showErrorState() {
    setText(kStrandText, kErrorText);
    setText(kTypeText, kErrorText);
    for (int id : {kActionText, kParam1Text, kParam2Text, kParam3Text, kItemText}) setText(id, "");
}

void showImportLists(DialogRunner& runner, ItemWalk& walk, void* parent) {
    ImportListViewer viewer(walk);
    runner.runModal(viewer, parent);
}

}  // namespace vl
