#pragma once
// A bounds-checked reader over the bytes of a Standard MIDI File: every read says whether the
// bytes were there, so nothing a file announces is trusted.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vl::cli {

class ByteReader {
public:
    ByteReader(const std::string& bytes, std::size_t begin, std::size_t end)
        : bytes_(bytes), pos_(begin), end_(end) {}
    bool atEnd() const { return pos_ >= end_; }
    std::size_t position() const { return pos_; }
    bool byte(std::uint8_t& b) {
        if (pos_ >= end_) return false;
        b = static_cast<std::uint8_t>(bytes_[pos_++]);
        return true;
    }
    bool peek(std::uint8_t& b) const {
        if (pos_ >= end_) return false;
        b = static_cast<std::uint8_t>(bytes_[pos_]);
        return true;
    }
    bool bigEndian(int count, std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < count; ++i) {
            std::uint8_t b = 0;
            if (!byte(b)) return false;
            value = value << 8 | b;
        }
        return true;
    }
    bool quantity(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b = 0;
            if (!byte(b)) return false;
            value = value << 7 | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
    bool skip(std::uint32_t count) {
        if (count > end_ - pos_) return false;
        pos_ += count;
        return true;
    }
    bool tag(const char* four) {
        if (end_ - pos_ < 4 || bytes_.compare(pos_, 4, four) != 0) return false;
        pos_ += 4;
        return true;
    }

private:
    const std::string& bytes_;
    std::size_t pos_;
    std::size_t end_;
};

// The number of data bytes after a channel message's status byte.
inline int dataBytesOf(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

}  // namespace vl::cli
