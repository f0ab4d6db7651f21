// Statistics of the file a session holds. Not built yet: each answers with
// its null value.
#include "interface/export_guard.h"

extern "C" {

VLMIDIIN_API vlBool VlMidiStatisticsCompute(ImportSession*, int32_t record[29]) {
    (void)record;
    return 0;
}

VLMIDIIN_API vlBool VlMidiStatisticsShow(ImportSession*) { return 0; }

}  // extern "C"
