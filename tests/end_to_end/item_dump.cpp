// Text dump of a whole import through the C interface.
#include "end_to_end/item_dump.h"

#include <array>
#include <cstdio>

namespace vl::test {

namespace {

constexpr std::array<const char*, 14> kTypeNames{
    "unknown", "midinote", "note",       "rest",      "barline",      "timesig",    "keysig",
    "tempo",   "clef",     "progchange", "swingstyle", "gracenote", "tuplet-start", "tuplet-end",
};
constexpr std::array<const char*, 8> kTextTypeNames{
    "text", "notice", "trackname", "instrument", "lyric", "marker", "cue", "title",
};
constexpr uint16_t kFirstTextType = 4096;

std::string typeName(uint16_t type) {
    if (type < kTypeNames.size()) return kTypeNames[type];
    if (type >= kFirstTextType && type < kFirstTextType + kTextTypeNames.size())
        return kTextTypeNames[type - kFirstTextType];
    return "type" + std::to_string(type);
}

std::string description(const ImportItem& item) {
    std::array<char, 96> buffer{};
    if (VliGetDescription(&item, buffer.data(), static_cast<uint32_t>(buffer.size())) == 0)
        return "(no description)";
    return buffer.data();
}

void appendList(ImportSession* session, std::string& out) {
    ImportItem item{};
    for (bool more = vlImportGetFirstItem(session, &item) != 0; more;
         more = vlImportGetNextItem(session, &item) != 0) {
        out += "  " + itemLine(session, item) + "\n";
    }
}

std::string voicingText(ImportSession* session) {
    ImportItem voicing{};
    if (vlImportGetStartVoicing(session, &voicing) == 0) return " no voicing";
    return " voicing " + itemLine(session, voicing);
}

}  // namespace

std::string itemLine(ImportSession* session, const ImportItem& item) {
    std::string line = typeName(item.type);
    char bytes[32];
    if (item.type >= kFirstTextType) {
        const char* text = vlImportItemText(session, &item);
        std::snprintf(bytes, sizeof bytes, " %u ", static_cast<unsigned>(item.action));
        line += bytes;
        line += text != nullptr ? "\"" + std::string(text) + "\"" : "(no text)";
    } else {
        std::snprintf(bytes, sizeof bytes, " %u %u %02x %02x", static_cast<unsigned>(item.action),
                      static_cast<unsigned>(item.arg1), static_cast<unsigned>(item.arg2),
                      static_cast<unsigned>(item.arg3));
        line += bytes;
        if (item.reserved6 != 0 || item.reserved7 != 0) line += " (reserved bytes set)";
    }
    return line + " | " + description(item);
}

std::string importDump(const std::string& path) {
    ImportSession* session = vlImportOpenFromName(path.c_str());
    if (session == nullptr) return "open failed\n";

    const int32_t found = vlImportInitialise(session);
    std::string out = "strands " + std::to_string(found) + "\n";
    if (vlImportStrandCount(session) != found)
        out += "strand count " + std::to_string(vlImportStrandCount(session)) + "\n";

    out += vlImportGetStartItems(session) != 0 ? "start\n" : "no start items\n";
    appendList(session, out);
    out += vlImportGetGuideStrand(session) != 0 ? "guide\n" : "no guide strand\n";
    appendList(session, out);

    int strand = 0;
    for (bool more = vlImportGetFirstStrand(session) != 0; more;
         more = vlImportGetNextStrand(session) != 0) {
        out += "strand " + std::to_string(strand++) + voicingText(session) + "\n";
        appendList(session, out);
    }
    vlImportClose(&session);
    if (session != nullptr) out += "handle not cleared by close\n";
    return out;
}

}  // namespace vl::test
