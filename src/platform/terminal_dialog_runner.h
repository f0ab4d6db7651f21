#pragma once
// A runner for a user at a terminal: shows each dialog's controls as text and
// reads one command per line ("check 3023", "select 3024 2", "press 1",
// "help", "cancel"), or a control's access key alone ("u" for "&Up"). The
// end of the input cancels; a beep rings the terminal bell.

#include <iosfwd>

#include "platform/dialog_runner.h"

namespace vl {

class TerminalDialogRunner : public DialogRunner {
public:
    // Lines longer than this are cut; the rest of the line is skipped.
    static constexpr std::size_t kMaxLineLength = 4096;

    TerminalDialogRunner(std::istream& in, std::ostream& out);

    int runModal(DialogModel& model, void* parent) override;
    bool askOpenFile(const OpenFileRequest& request, void* parent, std::string& path,
                     uint32_t& errorCode) override;
    void showMessageBox(void* owner, const std::string& text, const std::string& caption,
                        int icon) override;
    void beep() override;
    void showHelp(uint32_t context) override;

private:
    bool readLine(std::string& line);
    void printDialog(const DialogModel& model);
    // Carries out one command line; the dialog may end through it.
    void applyCommand(DialogModel& model, const std::string& line);
    // Presses the button, or toggles the check box, whose access key is key.
    void applyKey(DialogModel& model, char key);

    std::istream& in_;
    std::ostream& out_;
};

}  // namespace vl
