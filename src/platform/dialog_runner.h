#pragma once
// Showing dialogs to the user: the DialogRunner interface, the choice of the
// current runner (headless by default, terminal on request, or one that a
// test installs), and the message box, beep and help requests that go
// through the same layer.

#include <cstdint>
#include <string>

#include "platform/dialog_model.h"
#include "platform/open_file_request.h"

namespace vl {

inline constexpr int kDialogModeHeadless = 0;
inline constexpr int kDialogModeTerminal = 1;

class DialogRunner {
public:
    virtual ~DialogRunner() = default;

    // Shows the model modally and returns the result it ended with
    // (kDialogOk, kDialogCancel or what its handlers chose).
    virtual int runModal(DialogModel& model, void* parent) = 0;
    // Asks for a file to open. True with the full path in path when the user
    // chose one; false when cancelled (errorCode 0) or failed (errorCode set),
    // and path is then left as it was.
    virtual bool askOpenFile(const OpenFileRequest& request, void* parent, std::string& path,
                             uint32_t& errorCode) = 0;

    virtual void showMessageBox(void* owner, const std::string& text, const std::string& caption,
                                int icon) = 0;
    virtual void beep() = 0;
    virtual void showHelp(uint32_t context) = 0;
};

DialogRunner& currentDialogRunner();
// Installs runner in place of the mode's runner; nullptr goes back to it.
// The caller keeps ownership and must reset it before the runner dies.
void setDialogRunner(DialogRunner* runner);
// 0 headless, 1 terminal; other values mean headless.
void setDialogMode(int mode);
int dialogMode();

// Message box icons of the owner's system.
inline constexpr int kIconError = 0x10;
inline constexpr int kIconWarning = 0x30;
inline constexpr int kIconInformation = 0x40;

void showMessageBox(void* owner, const std::string& text, const std::string& caption, int icon);
void beep();
// Opens the help for a context number (131204: the configuration dialog).
void requestHelp(uint32_t context);

}  // namespace vl
