#pragma once
// What a whole-collection conversion tells while it runs and when it ends: on a terminal one
// redrawn line (files done of total, files/s, ETA, the file running longest), otherwise a plain
// line every few seconds; at the end the counts per status, the slowest files and the rates.

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "convert_manifest.h"
#include "worker_pool.h"

namespace vl::cli {

class ConvertProgress {
public:
    ConvertProgress(std::FILE* out, std::size_t total, bool terminal);

    void finished(const ConvertOutcome& outcome);

    // Redraws (on a terminal) or prints a plain line when it is time; `longest` is the file
    // running longest and since when (empty when none).
    void show(const std::string& longest, Clock::time_point since);

    // Clears the terminal line and prints the summary.
    void summarise();

    std::size_t count(ConvertStatus status) const {
        return counts_[static_cast<std::size_t>(status)];
    }

private:
    static constexpr std::size_t kSlowestKept = 5;

    std::string statusLine(const std::string& longest, Clock::time_point since) const;
    double seconds() const;

    std::FILE* out_;
    std::size_t total_;
    bool terminal_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point shown_ = started_;
    bool drawn_ = false;
    std::size_t done_ = 0;
    std::int64_t notes_ = 0;
    std::array<std::size_t, kConvertStatusCount> counts_{};
    std::vector<ConvertOutcome> slowest_;  // at most kSlowestKept, slowest first
};

}  // namespace vl::cli
