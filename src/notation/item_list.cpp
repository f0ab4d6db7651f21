#include "notation/item_list.h"

namespace vl {

void ItemList::addText(ImportItem item, std::string_view text) {
    const uint32_t index = static_cast<uint32_t>(texts_.size());
    texts_.emplace_back(text);
    item.arg2 = static_cast<uint8_t>(index & 0xFF);
    item.arg3 = static_cast<uint8_t>((index >> 8) & 0xFF);
    item.reserved6 = static_cast<uint8_t>((index >> 16) & 0xFF);
    item.reserved7 = static_cast<uint8_t>((index >> 24) & 0xFF);
    items_.push_back(item);
}

uint32_t ItemList::textIndexOf(const ImportItem& item) {
    return static_cast<uint32_t>(item.arg2) | (static_cast<uint32_t>(item.arg3) << 8) |
           (static_cast<uint32_t>(item.reserved6) << 16) |
           (static_cast<uint32_t>(item.reserved7) << 24);
}

const char* ItemList::textOf(const ImportItem& item) const {
    const uint32_t index = textIndexOf(item);
    if (index >= texts_.size()) return nullptr;
    return texts_[index].c_str();
}

}  // namespace vl
