/* The public header must compile as plain C and keep the item layout. */
#include "vlmidiin.h"

typedef char import_item_is_8_bytes[sizeof(ImportItem) == 8 ? 1 : -1];
typedef char statistics_record_is_29_ints[sizeof(StatisticsRecord) == 29 * 4 ? 1 : -1];

int vlmidiin_header_compiles_as_c(void) {
    ImportItem item = {0, 0, 0, 0, 0, 0, 0};
    VlProgressReport report = {0, 0, 1, 0, 0};
    return (int)item.type + report.line;
}
