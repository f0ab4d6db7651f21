#include "support/scripted_dialog_runner.h"

#include <utility>

namespace vl::test {

ScriptedDialogRunner& ScriptedDialogRunner::press(int controlId) {
    actions_.push_back(Action{controlId, {}, 0});
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::answerOpenFile(std::string path) {
    actions_.push_back(Action{kNoControlId, std::move(path), 0});
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::answerOpenFileError(uint32_t errorCode) {
    actions_.push_back(Action{kNoControlId, {}, errorCode});
    return *this;
}

int ScriptedDialogRunner::runModal(DialogModel& model, void* parent) {
    const size_t shown = dialogs_.size();
    dialogs_.push_back(ShownDialog{model.title(), model.templateId(), parent, {}, {}, 0});
    model.startModal();
    dialogs_[shown].controlsAfterInit = model.controls();
    while (!model.hasEnded()) {
        if (actions_.empty() || actions_.front().answersFile()) {
            model.endDialog(kDialogCancel);
            break;
        }
        model.pressButton(actions_.front().pressed);
        actions_.pop_front();
    }
    // A nested dialog may have been recorded meanwhile, so index, not reference.
    dialogs_[shown].controlsAtEnd = model.controls();
    dialogs_[shown].result = model.endResult();
    return model.endResult();
}

bool ScriptedDialogRunner::askOpenFile(const OpenFileRequest& request, void* /*parent*/,
                                       std::string& path, uint32_t& errorCode) {
    ++openFileRequests_;
    errorCode = 0;
    while (!actions_.empty()) {
        const Action action = std::move(actions_.front());
        actions_.pop_front();
        if (action.path.empty()) {
            errorCode = action.errorCode;
            return false;
        }
        const std::string chosen = withDefaultExtension(request, action.path);
        if (refusalForChosenPath(request, chosen).empty()) {
            path = chosen;
            return true;
        }
    }
    return false;
}

}  // namespace vl::test
