#pragma once
// The list of items the host walks for one strand (or the start items or the
// guide strand), with the texts that text items refer to by index.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vlmidiin.h"

namespace vl {

static_assert(sizeof(ImportItem) == 8, "the host reads items as 8-byte records");

class ItemList {
public:
    void add(const ImportItem& item) { items_.push_back(item); }
    // Stores text and writes its index into bytes 4..7 of item (little-endian).
    void addText(ImportItem item, std::string_view text);
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const ImportItem& at(size_t i) const { return items_[i]; }
    // Text of a text item of this list, or nullptr when the index is unknown.
    const char* textOf(const ImportItem& item) const;

    static uint32_t textIndexOf(const ImportItem& item);

private:
    std::vector<ImportItem> items_;
    std::vector<std::string> texts_;
};

}  // namespace vl
