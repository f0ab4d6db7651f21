// The import-lists viewer: shows the item lists of a session in a modal dialog.
// Dialog resources need no switching here: the dialog models live in this library.
#include "dialogs/import_list_viewer.h"
#include "interface/export_guard.h"
#include "platform/dialog_runner.h"

using vl::guardedVoid;
using vl::sessionOf;

extern "C" {

VLMIDIIN_API void VlMidiImportListShow(ImportSession* h, void* parentWindow) {
    vl::ImportSession* session = sessionOf(h);
    if (session == nullptr) return;
    guardedVoid(
        [&] { vl::showImportLists(vl::currentDialogRunner(), session->walk(), parentWindow); });
}

}  // extern "C"
