// Hooks for hosts without window messages: the progress message handler,
// the text of text items and the dialog mode.
#include "interface/export_guard.h"
#include "platform/dialog_runner.h"
#include "platform/host_messages.h"

using vl::guarded;
using vl::guardedVoid;
using vl::toBool;
using vl::withSession;

extern "C" {

VLMIDIIN_API void vlImportSetMessageHandler(VlMessageHandler handler) {
    vl::setHostMessageHandler(handler);
}

VLMIDIIN_API const char* vlImportItemText(ImportSession* h, const ImportItem* item) {
    if (item == nullptr) return nullptr;
    return withSession(h, static_cast<const char*>(nullptr),
                       [&](vl::ImportSession& s) { return s.walk().itemText(*item); });
}

VLMIDIIN_API void vlImportSetDialogMode(int32_t mode) {
    guardedVoid([&] { vl::setDialogMode(mode); });
}

}  // extern "C"
