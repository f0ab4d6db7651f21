#pragma once
// Walks everything a host can ask a session for, reading each item and its
// text, and stops at a ceiling so that runaway work shows as a failure.
#include <cstdint>

#include "vlmidiin.h"

namespace vl::test {

inline constexpr uint64_t kWalkCeiling = 1'000'000;

inline uint64_t walkList(::ImportSession* s, uint64_t count) {
    ImportItem item{};
    char text[128];
    for (bool more = vlImportGetFirstItem(s, &item) != 0; more && count < kWalkCeiling;
         more = vlImportGetNextItem(s, &item) != 0, ++count) {
        VliGetDescription(&item, text, sizeof text);
        (void)vlImportItemText(s, &item);
    }
    return count;
}

// The number of items and listing lines seen (kWalkCeiling when a walk does not end).
inline uint64_t walkEverything(::ImportSession* s) {
    uint64_t count = 0;
    if (vlImportGetStartItems(s) != 0) count = walkList(s, count);
    if (vlImportGetGuideStrand(s) != 0) count = walkList(s, count);
    ImportItem voicing{};
    for (bool more = vlImportGetFirstStrand(s) != 0; more && count < kWalkCeiling;
         more = vlImportGetNextStrand(s) != 0) {
        vlImportGetStartVoicing(s, &voicing);
        count = walkList(s, count);
    }
    for (bool more = VlMidiTextLineSetFirst(s) != 0; more && count < kWalkCeiling;
         more = VlMidiTextLineSetNext(s) != 0, ++count)
        for (uint16_t chunk = 0; chunk < 16; ++chunk) (void)VlMidiTextLineTextChunk(s, chunk);
    return count;
}

}  // namespace vl::test
