// Statistics and the item viewer. Not built yet: each
// answers with its null value.
#include "interface/export_guard.h"

using vl::guarded;
using vl::guardedVoid;
using vl::toBool;
using vl::withSession;

extern "C" {

VLMIDIIN_API vlBool VlMidiStatisticsCompute(ImportSession*, int32_t record[29]) {
    (void)record;
    return 0;
}

VLMIDIIN_API vlBool VlMidiStatisticsShow(ImportSession*) { return 0; }

VLMIDIIN_API void VlMidiImportListShow(ImportSession*, void*) {}

}  // extern "C"
