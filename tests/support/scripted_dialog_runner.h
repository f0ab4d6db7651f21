#pragma once
// A runner for in-process tests: plays a queue of user actions into the
// dialogs it is given and records what it was shown. A dialog still open
// when the queue runs dry, or when the next action answers a file dialog,
// ends with Cancel.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "platform/dialog_runner.h"

namespace vl::test {

class ScriptedDialogRunner : public DialogRunner {
public:
    enum class ActionKind { SetCheck, Select, Press, Help, AnswerFile, FailFile };
    struct Action {
        ActionKind kind;
        int controlId = kNoControlId;
        int value = 0;  // check state or entry index
        std::string path;
        uint32_t errorCode = 0;
    };

    struct ShownDialog {
        std::string title;
        int templateId = 0;
        void* parent = nullptr;
        std::vector<DialogControl> controlsAfterInit;
        std::vector<DialogControl> controlsAtEnd;
        int result = 0;
    };
    struct ShownMessage {
        void* owner = nullptr;
        std::string text;
        std::string caption;
        int icon = 0;
    };

    // Queue building; each returns *this so that a script reads as one line.
    ScriptedDialogRunner& setCheck(int controlId, bool checked);
    ScriptedDialogRunner& select(int controlId, int index);
    ScriptedDialogRunner& press(int controlId);
    ScriptedDialogRunner& pressHelp();
    // Answers a file dialog with a path; a path the request refuses (too
    // long, missing file) is refused like a user's typing and the dialog
    // goes on with the next action.
    ScriptedDialogRunner& answerOpenFile(std::string path);
    // Ends a file dialog with this error code (0 = cancelled).
    ScriptedDialogRunner& answerOpenFileError(uint32_t errorCode);
    ScriptedDialogRunner& answerOpenFileCancelled() { return answerOpenFileError(0); }

    int runModal(DialogModel& model, void* parent) override;
    bool askOpenFile(const OpenFileRequest& request, void* parent, std::string& path,
                     uint32_t& errorCode) override;
    void showMessageBox(void* owner, const std::string& text, const std::string& caption,
                        int icon) override;
    void beep() override { ++beepCount_; }
    void showHelp(uint32_t context) override { helpContexts_.push_back(context); }

    std::size_t pendingActions() const { return actions_.size(); }
    // Actions that did not fit the dialog they reached (unknown control,
    // wrong kind, entry out of range, refused path).
    int rejectedActions() const { return rejected_; }
    const std::vector<ShownDialog>& shownDialogs() const { return dialogs_; }
    const std::vector<OpenFileRequest>& fileRequests() const { return fileRequests_; }
    int openFileRequests() const { return static_cast<int>(fileRequests_.size()); }
    const std::vector<ShownMessage>& messages() const { return messages_; }
    int beepCount() const { return beepCount_; }
    const std::vector<uint32_t>& helpContexts() const { return helpContexts_; }

private:
    bool applyToDialog(DialogModel& model, const Action& action);
    static bool isFileAnswer(const Action& action);

    std::deque<Action> actions_;
    int rejected_ = 0;
    std::vector<ShownDialog> dialogs_;
    std::vector<OpenFileRequest> fileRequests_;
    std::vector<ShownMessage> messages_;
    int beepCount_ = 0;
    std::vector<uint32_t> helpContexts_;
};

}  // namespace vl::test
