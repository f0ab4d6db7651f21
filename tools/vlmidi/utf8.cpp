// Reading UTF-8 sequences in texts from MIDI files.

#include "utf8.h"

namespace vl::cli {

Utf8Sequence leadingUtf8Sequence(std::string_view bytes) {
    if (bytes.empty()) return {};
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    std::uint32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1Fu, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0Fu, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07u, smallest = 0x10000;
    } else {
        return {};
    }
    if (bytes.size() < length) return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0u) != 0x80u) return {};
        codePoint = codePoint << 6 | (next & 0x3Fu);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF) return {};
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return {};
    return {length, codePoint};
}

}  // namespace vl::cli
