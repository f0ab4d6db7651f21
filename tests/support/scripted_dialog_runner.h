#pragma once
// A runner for in-process tests: presses a queue of buttons in the dialogs it
// is given, answers file dialogs from the same queue, and records what it was
// shown. A dialog still open when the queue runs dry, or when the next entry
// answers a file dialog, ends with Cancel.

#include <deque>
#include <string>
#include <vector>

#include "platform/dialog_runner.h"

namespace vl::test {

class ScriptedDialogRunner : public DialogRunner {
public:
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
    ScriptedDialogRunner& press(int controlId);
    // Answers a file dialog with a path; a path the request refuses is
    // refused like a user's typing and the dialog goes on with the next entry.
    ScriptedDialogRunner& answerOpenFile(std::string path);
    // Ends a file dialog with this error code (0 = cancelled).
    ScriptedDialogRunner& answerOpenFileError(uint32_t errorCode);
    ScriptedDialogRunner& answerOpenFileCancelled() { return answerOpenFileError(0); }

    int runModal(DialogModel& model, void* parent) override;
    bool askOpenFile(const OpenFileRequest& request, void* parent, std::string& path,
                     uint32_t& errorCode) override;
    void showMessageBox(void* owner, const std::string& text, const std::string& caption,
                        int icon) override {
        messages_.push_back(ShownMessage{owner, text, caption, icon});
    }
    void beep() override { ++beepCount_; }
    void showHelp(uint32_t context) override { helpContexts_.push_back(context); }

    const std::vector<ShownDialog>& shownDialogs() const { return dialogs_; }
    int openFileRequests() const { return openFileRequests_; }
    const std::vector<ShownMessage>& messages() const { return messages_; }
    int beepCount() const { return beepCount_; }
    const std::vector<uint32_t>& helpContexts() const { return helpContexts_; }

private:
    // A button to press, or the answer to a file dialog: a path, or an
    // error code when the path is empty.
    struct Action {
        int pressed = kNoControlId;
        std::string path;
        uint32_t errorCode = 0;
        bool answersFile() const { return pressed == kNoControlId; }
    };

    std::deque<Action> actions_;
    std::vector<ShownDialog> dialogs_;
    int openFileRequests_ = 0;
    std::vector<ShownMessage> messages_;
    int beepCount_ = 0;
    std::vector<uint32_t> helpContexts_;
};

}  // namespace vl::test
