#pragma once
// The default runner when nobody can answer a dialog: every dialog ends with
// Cancel as soon as it is initialised, the file dialog is cancelled, and
// nothing is written anywhere.

#include "platform/dialog_runner.h"

namespace vl {

class HeadlessDialogRunner : public DialogRunner {
public:
    int runModal(DialogModel& model, void* parent) override;
    bool askOpenFile(const OpenFileRequest& request, void* parent, std::string& path,
                     uint32_t& errorCode) override;
    void showMessageBox(void*, const std::string&, const std::string&, int) override {}
    void beep() override {}
    void showHelp(uint32_t) override {}
};

}  // namespace vl
