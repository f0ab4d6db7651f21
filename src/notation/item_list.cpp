#include "notation/item_list.h"

namespace vl {

bool ItemList::add(const ImportItem& item) {
    if (full()) return false;
    items_.push_back(item);
    return true;
}

bool ItemList::addText(ImportItem item, std::string_view text) {
    if (full()) return false;
    const uint32_t index = static_cast<uint32_t>(texts_.size());
    texts_.emplace_back(text);
    item.arg2 = static_cast<uint8_t>(index & 0xFF);
    item.arg3 = static_cast<uint8_t>((index >> 8) & 0xFF);
    item.reserved6 = static_cast<uint8_t>((index >> 16) & 0xFF);
    item.reserved7 = static_cast<uint8_t>((index >> 24) & 0xFF);
    items_.push_back(item);
    return true;
}

bool ItemList::addFrom(const ItemList& source, const ImportItem& item) {
    if (!isTextItemType(item.type)) return add(item);
    const std::string* text = source.textEntry(item);
    return addText(item, text != nullptr ? std::string_view(*text) : std::string_view());
}

void ItemList::clear() {
    items_.clear();
    texts_.clear();
}

uint32_t ItemList::textIndexOf(const ImportItem& item) {
    return static_cast<uint32_t>(item.arg2) | (static_cast<uint32_t>(item.arg3) << 8) |
           (static_cast<uint32_t>(item.reserved6) << 16) |
           (static_cast<uint32_t>(item.reserved7) << 24);
}

const std::string* ItemList::textEntry(const ImportItem& item) const {
    if (!isTextItemType(item.type)) return nullptr;
    const uint32_t index = textIndexOf(item);
    if (index >= texts_.size()) return nullptr;
    return &texts_[index];
}

const char* ItemList::textOf(const ImportItem& item) const {
    const std::string* text = textEntry(item);
    return text != nullptr ? text->c_str() : nullptr;
}

}  // namespace vl
