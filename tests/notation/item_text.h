#pragma once
// Items as text, for comparing whole lists: "1 3c 03 40" is type 1 with
// arg1..arg3 in hex, "1/2 40 05 00" the same with action 2 (a chord copy),
// and a text item shows its text: 4098 "Piano".

#include <cstdio>
#include <string>

#include "notation/item_list.h"

namespace vl::test {

inline std::string itemText(const ImportItem& item, const char* text) {
    if (isTextItemType(item.type))
        return std::to_string(item.type) + " \"" + (text != nullptr ? text : "<none>") + '"';
    char buf[48];
    const std::string action = item.action == 1 ? "" : "/" + std::to_string(item.action);
    std::snprintf(buf, sizeof buf, "%u%s %02x %02x %02x", item.type, action.c_str(), item.arg1,
                  item.arg2, item.arg3);
    return buf;
}

inline std::string itemsText(const ItemList& list) {
    std::string out;
    for (const ImportItem& item : list.items())
        out += (out.empty() ? "" : ", ") + itemText(item, list.textOf(item));
    return out;
}

}  // namespace vl::test
