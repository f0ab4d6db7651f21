#pragma once
// Splitting a collection between machines: an input belongs to shard K of N when the FNV-1a 64
// hash of its relative path (bytes as given, '/' between folders) is K modulo N. The hash
// depends on nothing but the path, so every machine makes the same split.

#include <cstdint>
#include <optional>
#include <string_view>

namespace vl::cli {

struct Shard {
    std::uint64_t index = 0;
    std::uint64_t count = 1;
};

std::uint64_t fnv1a64(std::string_view bytes);

// "K/N" with 0 <= K < N; nothing for anything else.
std::optional<Shard> parseShard(std::string_view text);

bool inShard(std::string_view relativePath, const Shard& shard);

}  // namespace vl::cli
