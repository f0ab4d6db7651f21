#pragma once
// Everything an import hands to the host, captured once through the public interface, so that
// the text views and the JSON output render the same result.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi_header_probe.h"
#include "played_notes.h"
#include "vlmidiin.h"

namespace vl::cli {

// The library's description of an item (VliGetDescription) depends on the item alone, so it
// is asked for where it is printed (describeItem), not for every item captured.
struct CapturedItem {
    ImportItem item{};
    // Text items only; nothing when the library gave none. Held apart so that
    // an item without text (nearly all of them) takes 16 bytes.
    std::unique_ptr<std::string> text;
};

using CapturedItems = std::vector<CapturedItem>;

struct CapturedStrand {
    int index = 0;                          // position in the walk, from 0
    std::optional<int> trackIndex;          // from 0; nothing when the listing does not tell
    std::optional<CapturedItem> voicing;    // vlImportGetStartVoicing's program-change item
    CapturedItems items;
};

struct ImportResult {
    std::string path;
    std::optional<MidiHeaderFacts> header;
    std::int32_t strandCount = 0;
    bool cancelled = false;
    std::int32_t errorWord = 0;
    std::optional<CapturedItems> startItems;  // nothing when the list could not be built
    std::optional<CapturedItems> guide;
    std::vector<CapturedStrand> strands;
    // The file's own notes, when the host read them: its score is then revised against them
    // (quintuplets, written lengths). Neither capture fills it.
    std::optional<PlayedFile> playedNotes;
};

constexpr std::uint16_t kFirstTextItemType = 4096;

inline bool isTextItem(const ImportItem& item) { return item.type >= kFirstTextItemType; }

// The strand's MIDI channel (0 to 15) from its voicing; nothing without one.
inline std::optional<int> channelOf(const CapturedStrand& strand) {
    if (!strand.voicing || strand.voicing->item.arg1 > 15) return std::nullopt;
    return strand.voicing->item.arg1;
}

// The summary facts of a transcription that ran (`initialiseResult` is what vlImportInitialise
// answered); the item lists stay empty.
ImportResult captureSummary(ImportSession* session, const std::string& path,
                            std::int32_t initialiseResult);

// Walks the start items, the guide strand and every strand into `result`.
void captureItemLists(ImportSession* session, ImportResult& result);

}  // namespace vl::cli
