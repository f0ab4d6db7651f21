#pragma once
// The list of items the host walks for one strand (or the start items or the
// guide strand), with the texts that text items refer to by index, and the
// division and time signature the list's note values were written in.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vlmidiin.h"

namespace vl {

static_assert(sizeof(ImportItem) == 8, "the host reads items as 8-byte records");

// Item types handed to the host.
namespace itemtype {
constexpr uint16_t Unknown = 0;
constexpr uint16_t MidiNote = 1;
constexpr uint16_t Note = 2;
constexpr uint16_t Rest = 3;
constexpr uint16_t Barline = 4;
constexpr uint16_t TimeSignature = 5;
constexpr uint16_t KeySignature = 6;
constexpr uint16_t Tempo = 7;
constexpr uint16_t Clef = 8;
constexpr uint16_t ProgramChange = 9;
constexpr uint16_t SwingStyle = 10;
// Texts: 4095 + the meta type 1 to 7 of the event they come from.
constexpr uint16_t FirstText = 4096;
constexpr uint16_t Notice = 4097;      // meta type 2
constexpr uint16_t TrackName = 4098;   // meta type 3
constexpr uint16_t Instrument = 4099;  // meta type 4
constexpr uint16_t Title = 4103;       // the start items' title
constexpr uint16_t LastText = 4103;
}  // namespace itemtype

// Item actions.
namespace itemaction {
constexpr uint8_t Append = 1;
constexpr uint8_t Cluster = 2;  // a further key of a chord: a copy of the preceding note
}  // namespace itemaction

// Bits of the arg3 byte of notes and rests.
namespace noteflag {
constexpr uint8_t Tied = 0x40;
constexpr uint8_t Triplet = 0x10;
constexpr uint8_t Quintuplet = 0x20;
constexpr uint8_t RhythmMarks = 0x0F;
}  // namespace noteflag

inline bool isTextItemType(uint16_t type) {
    return type >= itemtype::FirstText && type <= itemtype::LastText;
}

class ItemList {
public:
    // Ticks per quarter note. Kept at full width: a live-input division above
    // 65535 must not wrap to a small (or zero) one.
    uint32_t division = 96;
    uint8_t numerator = 4;
    uint8_t denominatorExponent = 2;

    ItemList() = default;
    ItemList(uint32_t div, uint8_t nn, uint8_t dd)
        : division(div), numerator(nn), denominatorExponent(dd) {}

    // A list never holds more items than this (32 MB). Real music stays far
    // below; a hostile file whose gaps span millions of bars would otherwise
    // turn a few bytes of delta time into gigabytes of rests.
    static constexpr size_t kMaxItems = size_t{1} << 22;

    // Each adder returns false (and adds nothing) once the list is full.
    bool add(const ImportItem& item);
    // Stores text and writes its index into bytes 4..7 of item (little-endian).
    bool addText(ImportItem item, std::string_view text);
    // Adds an item of another list; a text item brings a copy of its text along.
    bool addFrom(const ItemList& source, const ImportItem& item);
    // The one item put in front afterwards (the clef); not limited.
    void insertFront(const ImportItem& item) { items_.insert(items_.begin(), item); }
    bool full() const { return items_.size() >= kMaxItems; }
    void clear();

    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const ImportItem& at(size_t i) const { return items_[i]; }
    ImportItem& at(size_t i) { return items_[i]; }
    const std::vector<ImportItem>& items() const { return items_; }
    // Text of a text item (types 4096..4103) of this list; nullptr for any
    // other item and for an index the list does not hold.
    const char* textOf(const ImportItem& item) const;

    static uint32_t textIndexOf(const ImportItem& item);

private:
    const std::string* textEntry(const ImportItem& item) const;

    std::vector<ImportItem> items_;
    std::vector<std::string> texts_;
};

}  // namespace vl
