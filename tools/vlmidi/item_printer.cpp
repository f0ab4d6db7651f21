// Formatting of import items for vlmidi's output.

#include "item_printer.h"

#include <array>
#include <cstdio>

namespace vl::cli {

namespace {

constexpr std::array<const char*, 14> kItemTypeNames{
    "Unknown", "midinote", "note",       "rest",      "barline",      "timesig",    "keysig",
    "tempo",   "clef",     "progchange", "swingstyle", "gracenote", "tuplet-start", "tuplet-end",
};

constexpr std::uint16_t kTextItem = 4096;
constexpr std::uint16_t kTrackNameItem = 4098;

}  // namespace

std::string describeItem(const ImportItem& item) {
    std::array<char, 128> buffer{};
    if (VliGetDescription(&item, buffer.data(), static_cast<std::uint32_t>(buffer.size())) == 0) {
        return "(no description)";
    }
    buffer.back() = '\0';
    return buffer.data();
}

std::string itemTypeName(std::uint16_t type) {
    if (type < kItemTypeNames.size()) return kItemTypeNames[type];
    if (type == kTextItem) return "text";
    if (type == kTrackNameItem) return "trackname";
    return "Type " + std::to_string(type);
}

std::string itemActionName(std::uint8_t action) {
    switch (action) {
        case 0: return "Ignore";
        case 1: return "Append";
        case 2: return "Cluster";
        default: return std::to_string(action);
    }
}

std::string quoteText(const char* text) {
    std::string quoted = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            quoted += escape;
        } else {
            quoted += static_cast<char>(byte);
        }
    }
    return quoted + "\"";
}

std::uint32_t textItemIndex(const ImportItem& item) {
    return static_cast<std::uint32_t>(item.arg2) | static_cast<std::uint32_t>(item.arg3) << 8 |
           static_cast<std::uint32_t>(item.reserved6) << 16 |
           static_cast<std::uint32_t>(item.reserved7) << 24;
}

std::string formatItemLine(const ImportItem& item, const char* text) {
    char fields[96];
    if (text != nullptr) {
        std::snprintf(fields, sizeof fields, "%5u %-12s %-7s %3u  #%-5u",
                      static_cast<unsigned>(item.type), itemTypeName(item.type).c_str(),
                      itemActionName(item.action).c_str(), static_cast<unsigned>(item.arg1),
                      static_cast<unsigned>(textItemIndex(item)));
    } else {
        std::snprintf(fields, sizeof fields, "%5u %-12s %-7s %3u %3u %3u",
                      static_cast<unsigned>(item.type), itemTypeName(item.type).c_str(),
                      itemActionName(item.action).c_str(), static_cast<unsigned>(item.arg1),
                      static_cast<unsigned>(item.arg2), static_cast<unsigned>(item.arg3));
    }
    std::string line = fields;
    if (text == nullptr && (item.reserved6 != 0 || item.reserved7 != 0)) {
        line += " +" + std::to_string(item.reserved6) + "," + std::to_string(item.reserved7);
    }
    line += "  | " + describeItem(item);
    if (text != nullptr) line += " | " + quoteText(text);
    return line;
}

namespace {

void printItemList(const CapturedItems& items, std::FILE* out) {
    for (const CapturedItem& captured : items) {
        const char* text = captured.text ? captured.text->c_str() : nullptr;
        std::fprintf(out, "  %s\n", formatItemLine(captured.item, text).c_str());
    }
}

}  // namespace

void printItemLines(const ImportResult& result, std::FILE* out) {
    if (result.startItems) {
        std::fprintf(out, "\nstart items\n");
        printItemList(*result.startItems, out);
    }
    if (result.guide) {
        std::fprintf(out, "\nguide strand\n");
        printItemList(*result.guide, out);
    }
    for (const CapturedStrand& strand : result.strands) {
        std::fprintf(out, "\nstrand %d of %d\n", strand.index + 1,
                     static_cast<int>(result.strandCount));
        if (strand.voicing) {
            std::fprintf(out, "  voicing: %s\n",
                         formatItemLine(strand.voicing->item, nullptr).c_str());
        }
        printItemList(strand.items, out);
    }
}

}  // namespace vl::cli
