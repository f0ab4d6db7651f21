// Text listing of the session's MIDI data, line by line: thin forwarders to the
// session's listing state.
#include "interface/export_guard.h"
#include "listing/text_listing.h"

using vl::toBool;
using vl::withSession;

namespace {

vl::ListingSource sourceOf(const vl::ImportSession& s) {
    return {s.analysis().header(), s.analysis().tracks(), s.analysis().state()};
}

}  // namespace

extern "C" {

VLMIDIIN_API vlBool VlMidiTextLineSetFirst(ImportSession* h) {
    return withSession(h, vlBool{0}, [](vl::ImportSession& s) {
        return toBool(s.listing().setFirst(sourceOf(s)));
    });
}

VLMIDIIN_API vlBool VlMidiTextLineSetNext(ImportSession* h) {
    return withSession(h, vlBool{0}, [](vl::ImportSession& s) {
        return toBool(s.listing().setNext(sourceOf(s)));
    });
}

VLMIDIIN_API const char* VlMidiTextLineTextChunk(ImportSession* h, uint16_t chunk) {
    return withSession(h, static_cast<const char*>(nullptr), [chunk](vl::ImportSession& s) {
        return s.listing().textChunk(sourceOf(s), chunk);
    });
}

VLMIDIIN_API int16_t VlMidiTextLineType(ImportSession* h) {
    return withSession(h, int16_t{-1},
                       [](vl::ImportSession& s) { return s.listing().lineType(sourceOf(s)); });
}

VLMIDIIN_API uint32_t VlMidiTextLineCount(ImportSession* h) {
    return withSession(h, uint32_t{65535}, [](vl::ImportSession& s) {
        return vl::TextListing::lineCount(s.analysis().tracks());
    });
}

}  // extern "C"
