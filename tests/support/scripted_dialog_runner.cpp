#include "support/scripted_dialog_runner.h"

#include <utility>

namespace vl::test {

ScriptedDialogRunner& ScriptedDialogRunner::setCheck(int controlId, bool checked) {
    actions_.push_back(Action{ActionKind::SetCheck, controlId, checked ? 1 : 0, {}, 0});
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::select(int controlId, int index) {
    actions_.push_back(Action{ActionKind::Select, controlId, index, {}, 0});
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::press(int controlId) {
    actions_.push_back(Action{ActionKind::Press, controlId, 0, {}, 0});
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::pressHelp() {
    actions_.push_back(Action{ActionKind::Help, kNoControlId, 0, {}, 0});
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::answerOpenFile(std::string path) {
    actions_.push_back(Action{ActionKind::AnswerFile, kNoControlId, 0, std::move(path), 0});
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::answerOpenFileError(uint32_t errorCode) {
    actions_.push_back(Action{ActionKind::FailFile, kNoControlId, 0, {}, errorCode});
    return *this;
}

bool ScriptedDialogRunner::isFileAnswer(const Action& action) {
    return action.kind == ActionKind::AnswerFile || action.kind == ActionKind::FailFile;
}

bool ScriptedDialogRunner::applyToDialog(DialogModel& model, const Action& action) {
    const DialogControl* control = model.findControl(action.controlId);
    switch (action.kind) {
    case ActionKind::SetCheck:
        if (control == nullptr || control->kind != ControlKind::CheckBox) return false;
        model.setChecked(action.controlId, action.value != 0);
        return true;
    case ActionKind::Select:
        if (control == nullptr || !control->hasEntries()) return false;
        return model.setSelection(action.controlId, action.value);
    case ActionKind::Press:
        if (control == nullptr || control->kind != ControlKind::Button) return false;
        model.pressButton(action.controlId);
        return true;
    case ActionKind::Help:
        model.pressHelp();
        return true;
    case ActionKind::AnswerFile:
    case ActionKind::FailFile:
        break;
    }
    return false;
}

int ScriptedDialogRunner::runModal(DialogModel& model, void* parent) {
    const std::size_t shown = dialogs_.size();
    dialogs_.push_back(ShownDialog{model.title(), model.templateId(), parent, {}, {}, 0});
    model.startModal();
    dialogs_[shown].controlsAfterInit = model.controls();
    while (!model.hasEnded()) {
        if (actions_.empty() || isFileAnswer(actions_.front())) {
            model.endDialog(kDialogCancel);
            break;
        }
        const Action action = std::move(actions_.front());
        actions_.pop_front();
        if (!applyToDialog(model, action)) ++rejected_;
    }
    // A nested dialog may have been recorded meanwhile, so index, not reference.
    dialogs_[shown].controlsAtEnd = model.controls();
    dialogs_[shown].result = model.endResult();
    return model.endResult();
}

bool ScriptedDialogRunner::askOpenFile(const OpenFileRequest& request, void* parent,
                                       std::string& path, uint32_t& errorCode) {
    fileRequests_.push_back(request);
    errorCode = 0;
    while (!actions_.empty()) {
        const Action action = std::move(actions_.front());
        actions_.pop_front();
        if (action.kind == ActionKind::FailFile) {
            errorCode = action.errorCode;
            return false;
        }
        if (action.kind == ActionKind::AnswerFile) {
            const std::string chosen = withDefaultExtension(request, action.path);
            if (refusalForChosenPath(request, chosen).empty()) {
                path = chosen;
                return true;
            }
        } else if (action.kind == ActionKind::Press &&
                   action.controlId == kOpenFileConfigureButtonId && request.onConfigure) {
            request.onConfigure(parent);
            continue;
        }
        ++rejected_;
    }
    return false;
}

void ScriptedDialogRunner::showMessageBox(void* owner, const std::string& text,
                                          const std::string& caption, int icon) {
    messages_.push_back(ShownMessage{owner, text, caption, icon});
}

}  // namespace vl::test
