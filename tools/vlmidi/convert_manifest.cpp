#include "convert_manifest.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "json_writer.h"

namespace vl::cli {

const char* statusName(ConvertStatus status) {
    constexpr std::array<const char*, kConvertStatusCount> kNames{
        "ok", "unreadable", "unwritable", "timeout", "crashed", "skipped"};
    return kNames[static_cast<std::size_t>(status)];
}

std::string manifestLine(const ConvertOutcome& outcome) {
    std::string line;
    JsonWriter json(line);
    json.beginObject(JsonWriter::Layout::Inline);
    json.key("input");
    json.string(outcome.input);
    json.key("output");
    json.string(outcome.output);
    json.key("status");
    json.string(statusName(outcome.status));
    for (const auto& [name, member] : {std::pair{"notes", &ScoreCounts::notes},
                                       std::pair{"strands", &ScoreCounts::strands},
                                       std::pair{"bars", &ScoreCounts::bars}}) {
        json.key(name);
        if (outcome.counts) {
            json.number((*outcome.counts).*member);
        } else {
            json.null();
        }
    }
    json.key("milliseconds");
    json.number(outcome.milliseconds);
    json.key("error");
    if (outcome.error.empty()) {
        json.null();
    } else {
        json.string(outcome.error);
    }
    json.endObject();
    return line;
}

ManifestFile::~ManifestFile() {
    if (file_ != nullptr) std::fclose(file_);
}

std::optional<std::string> ManifestFile::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "ab");
    if (file_ == nullptr) return std::string(std::strerror(errno));
    return std::nullopt;
}

bool ManifestFile::append(std::string_view line) {
    if (file_ == nullptr) return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), file_) == line.size();
    return std::fflush(file_) == 0 && written;
}

}  // namespace vl::cli
