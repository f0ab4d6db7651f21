// The import-lists viewer. Not built yet.
#include "interface/export_guard.h"

extern "C" {

VLMIDIIN_API void VlMidiImportListShow(ImportSession*, void*) {}

}  // extern "C"
