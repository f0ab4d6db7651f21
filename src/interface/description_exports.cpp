// VliGetDescription: the text of one import item, for the host's diagnostics.
#include <cstring>

#include "interface/export_guard.h"
#include "notation/item_description.h"

using vl::guarded;
using vl::toBool;

extern "C" {

// A null item or a null buffer gives false and writes nothing, so a careless
// host gets an answer rather than a crash. The item is copied first: the host's
// buffer need not be aligned for the 16-bit type field.
VLMIDIIN_API vlBool VliGetDescription(const ImportItem* item, char* buffer, uint32_t size) {
    if (item == nullptr || buffer == nullptr) return 0;
    return guarded<vlBool>(0, [&] {
        ImportItem copy;
        std::memcpy(&copy, item, sizeof copy);
        return toBool(vl::describeItem(copy, buffer, size));
    });
}

}  // extern "C"
