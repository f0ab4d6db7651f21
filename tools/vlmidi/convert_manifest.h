#pragma once
// The record of a whole-collection conversion: one JSON line per input in OUTDIR's manifest,
// appended and flushed as each file finishes, so that a run that dies keeps what it did.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace vl::cli {

enum class ConvertStatus { Ok, Unreadable, Unwritable, Timeout, Crashed, Skipped };

constexpr int kConvertStatusCount = 6;

const char* statusName(ConvertStatus status);

// What a converted file holds.
struct ScoreCounts {
    std::int64_t notes = 0;
    std::int64_t strands = 0;
    std::int64_t bars = 0;
};

struct ConvertOutcome {
    std::string input;
    std::string output;
    ConvertStatus status = ConvertStatus::Ok;
    std::optional<ScoreCounts> counts;  // converted files only
    std::int64_t milliseconds = 0;
    std::string error;  // empty: none
};

// One line: input, output, status, notes, strands, bars, milliseconds, error (null when none;
// the counts are null for a file that was not converted).
std::string manifestLine(const ConvertOutcome& outcome);

class ManifestFile {
public:
    ManifestFile() = default;
    ~ManifestFile();
    ManifestFile(const ManifestFile&) = delete;
    ManifestFile& operator=(const ManifestFile&) = delete;

    // Opens `path` for appending; the reason when it cannot.
    std::optional<std::string> open(const std::string& path);

    // Writes and flushes one line; false when it could not be written whole.
    bool append(std::string_view line);

private:
    std::FILE* file_ = nullptr;
};

}  // namespace vl::cli
