// The walk over an import's item lists, in the order a notation program makes it.

#include "import_result.h"

#include "strand_tracks.h"

namespace vl::cli {

namespace {

constexpr std::int32_t kCancelled = -1;

CapturedItem captureItem(ImportSession* session, const ImportItem& item) {
    CapturedItem captured{item, nullptr};
    if (isTextItem(item)) {
        if (const char* text = vlImportItemText(session, &item))
            captured.text = std::make_unique<std::string>(text);
    }
    return captured;
}

// The items of the list the session holds now.
CapturedItems captureCurrentList(ImportSession* session) {
    CapturedItems items;
    ImportItem item{};
    for (bool more = vlImportGetFirstItem(session, &item) != 0; more;
         more = vlImportGetNextItem(session, &item) != 0) {
        items.push_back(captureItem(session, item));
    }
    return items;
}

void captureStrands(ImportSession* session, ImportResult& result) {
    const std::vector<int> trackOfStrand = findStrandTracks(session);
    int index = 0;
    for (bool more = vlImportGetFirstStrand(session) != 0; more;
         more = vlImportGetNextStrand(session) != 0, ++index) {
        CapturedStrand strand;
        strand.index = index;
        if (static_cast<std::size_t>(index) < trackOfStrand.size() && trackOfStrand[index] >= 0) {
            strand.trackIndex = trackOfStrand[index];
        }
        ImportItem voicing{};
        if (vlImportGetStartVoicing(session, &voicing) != 0) {
            strand.voicing = captureItem(session, voicing);
        }
        strand.items = captureCurrentList(session);
        result.strands.push_back(std::move(strand));
    }
}

}  // namespace

ImportResult captureSummary(ImportSession* session, const std::string& path,
                            std::int32_t initialiseResult) {
    ImportResult result;
    result.path = path;
    result.header = findHeaderFacts(session, path);
    result.cancelled = initialiseResult == kCancelled;
    result.strandCount = result.cancelled ? 0 : initialiseResult;
    result.errorWord = vlImportError(session);
    return result;
}

void captureItemLists(ImportSession* session, ImportResult& result) {
    if (vlImportGetStartItems(session) != 0) result.startItems = captureCurrentList(session);
    if (vlImportGetGuideStrand(session) != 0) result.guide = captureCurrentList(session);
    captureStrands(session, result);
}

}  // namespace vl::cli
