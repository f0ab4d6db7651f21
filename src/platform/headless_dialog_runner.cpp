#include "platform/headless_dialog_runner.h"

namespace vl {

int HeadlessDialogRunner::runModal(DialogModel& model, void* /*parent*/) {
    model.startModal();
    model.endDialog(kDialogCancel);
    return model.endResult();
}

bool HeadlessDialogRunner::askOpenFile(const OpenFileRequest& /*request*/, void* /*parent*/,
                                       std::string& /*path*/, uint32_t& errorCode) {
    errorCode = 0;
    return false;
}

}  // namespace vl
