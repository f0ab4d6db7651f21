#include "convert_progress.h"

#include <algorithm>

#include "progress_bar.h"

namespace vl::cli {

namespace {

constexpr auto kTerminalInterval = std::chrono::milliseconds(100);
constexpr auto kPlainInterval = std::chrono::seconds(5);

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

std::string clock(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

}  // namespace

ConvertProgress::ConvertProgress(std::FILE* out, std::size_t total, bool terminal)
    : out_(out), total_(total), terminal_(terminal) {}

double ConvertProgress::seconds() const { return secondsBetween(started_, Clock::now()); }

void ConvertProgress::finished(const ConvertOutcome& outcome) {
    ++done_;
    ++counts_[static_cast<std::size_t>(outcome.status)];
    if (outcome.counts) notes_ += outcome.counts->notes;
    if (outcome.status == ConvertStatus::Skipped) return;
    // Keeps the few slowest only: a copy of every outcome would grow with the collection.
    const auto place = std::find_if(slowest_.begin(), slowest_.end(), [&](const auto& kept) {
        return kept.milliseconds < outcome.milliseconds;
    });
    if (static_cast<std::size_t>(place - slowest_.begin()) >= kSlowestKept) return;
    slowest_.insert(place, outcome);
    if (slowest_.size() > kSlowestKept) slowest_.pop_back();
}

std::string ConvertProgress::statusLine(const std::string& longest,
                                        Clock::time_point since) const {
    const double rate = done_ / std::max(seconds(), 1e-3);
    const std::string eta =
        done_ > 0 ? clock(static_cast<double>(total_ - done_) / rate) : std::string("-:--");
    char text[160];
    std::snprintf(text, sizeof text, "%zu of %zu files, %.1f files/s, ETA %s", done_, total_,
                  rate, eta.c_str());
    std::string line = text;
    if (!longest.empty()) {
        std::snprintf(text, sizeof text, ", slowest now: %.1f s ",
                      secondsBetween(since, Clock::now()));
        line += text + longest;
    }
    return line;
}

void ConvertProgress::show(const std::string& longest, Clock::time_point since) {
    const Clock::time_point now = Clock::now();
    if (now - shown_ < (terminal_ ? kTerminalInterval : kPlainInterval)) return;
    shown_ = now;
    std::string line = statusLine(longest, since);
    if (terminal_) {
        const auto columns = static_cast<std::size_t>(terminalColumns(fileno(out_)));
        if (line.size() >= columns) line.resize(columns > 1 ? columns - 1 : 0);
        std::fprintf(out_, "\r\033[K%s", line.c_str());
        drawn_ = true;
    } else {
        std::fprintf(out_, "vlmidi convert: %s\n", line.c_str());
    }
    std::fflush(out_);
}

void ConvertProgress::summarise() {
    if (drawn_) std::fputs("\r\033[K", out_);
    const double elapsed = seconds();
    std::fprintf(out_, "vlmidi convert: %zu files in %.1f s (%.1f files/s, %.0f notes/s):",
                 done_, elapsed, done_ / std::max(elapsed, 1e-3), notes_ / std::max(elapsed, 1e-3));
    for (int status = 0; status < kConvertStatusCount; ++status) {
        std::fprintf(out_, "%s %zu %s", status == 0 ? "" : ",", counts_[status],
                     statusName(static_cast<ConvertStatus>(status)));
    }
    std::fputc('\n', out_);
    for (const ConvertOutcome& outcome : slowest_) {
        std::fprintf(out_, "  slow: %.2f s %s (%s)\n", outcome.milliseconds / 1000.0,
                     outcome.input.c_str(), statusName(outcome.status));
    }
}

}  // namespace vl::cli
