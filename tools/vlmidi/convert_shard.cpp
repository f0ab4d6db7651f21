#include "convert_shard.h"

#include <charconv>

namespace vl::cli {

namespace {

std::optional<std::uint64_t> wholeNumber(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

std::uint64_t fnv1a64(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::optional<Shard> parseShard(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto index = wholeNumber(text.substr(0, slash));
    const auto count = wholeNumber(text.substr(slash + 1));
    if (!index || !count || *index >= *count) return std::nullopt;
    return Shard{*index, *count};
}

bool inShard(std::string_view relativePath, const Shard& shard) {
    return fnv1a64(relativePath) % shard.count == shard.index;
}

}  // namespace vl::cli
