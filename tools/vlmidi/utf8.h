#pragma once
// Reading UTF-8 in texts from MIDI files, which may hold any bytes: the JSON and XML writers
// keep valid sequences and turn other bytes into characters of their own.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vl::cli {

struct Utf8Sequence {
    std::size_t length = 0;  // 0: the bytes do not start with a valid sequence
    std::uint32_t codePoint = 0;
};

// The valid multi-byte UTF-8 sequence at the start of bytes; overlong forms, surrogates and
// code points above U+10FFFF are not valid, and neither is a single ASCII byte (the writers
// handle those themselves).
Utf8Sequence leadingUtf8Sequence(std::string_view bytes);

}  // namespace vl::cli
