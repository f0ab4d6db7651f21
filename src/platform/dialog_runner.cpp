#include "platform/dialog_runner.h"

#include <iostream>

#include "platform/headless_dialog_runner.h"
#include "platform/terminal_dialog_runner.h"

namespace vl {

namespace {

struct RunnerChoice {
    DialogRunner* installed = nullptr;
    int mode = kDialogModeHeadless;
};

RunnerChoice& runnerChoice() {
    static RunnerChoice choice;
    return choice;
}

DialogRunner& runnerForMode(int mode) {
    static HeadlessDialogRunner headless;
    static TerminalDialogRunner terminal(std::cin, std::cerr);
    return mode == kDialogModeTerminal ? static_cast<DialogRunner&>(terminal) : headless;
}

}  // namespace

DialogRunner& currentDialogRunner() {
    const RunnerChoice& choice = runnerChoice();
    return choice.installed != nullptr ? *choice.installed : runnerForMode(choice.mode);
}

void setDialogRunner(DialogRunner* runner) { runnerChoice().installed = runner; }

void setDialogMode(int mode) {
    runnerChoice().mode = mode == kDialogModeTerminal ? kDialogModeTerminal : kDialogModeHeadless;
}

int dialogMode() { return runnerChoice().mode; }

void showMessageBox(void* owner, const std::string& text, const std::string& caption, int icon) {
    currentDialogRunner().showMessageBox(owner, text, caption, icon);
}

void beep() { currentDialogRunner().beep(); }

void requestHelp(uint32_t context) { currentDialogRunner().showHelp(context); }

}  // namespace vl
