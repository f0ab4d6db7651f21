// Drawing of the progress display with plain ANSI cursor movements.

#include "progress_bar.h"

#include <sys/ioctl.h>

#include <algorithm>

namespace vl::cli {

namespace {

constexpr int kBarWidth = 24;
constexpr int kDefaultColumns = 80;
constexpr int kMinimumColumns = 20;

// Control bytes would move the cursor and break the two-line layout.
std::string printable(const char* text) {
    std::string result;
    for (const char* c = text; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        result += (byte < 0x20 || byte == 0x7F) ? ' ' : static_cast<char>(byte);
    }
    return result;
}

int clampPercent(int percent) { return std::clamp(percent, 0, 100); }

std::string fitted(std::string line, int columns) {
    // One column stays free so that the cursor never wraps to a new line.
    const auto limit = static_cast<std::size_t>(std::max(columns - 1, 1));
    if (line.size() > limit) line.resize(limit);
    return line;
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* terminal, int columns)
    : terminal_(terminal), columns_(std::max(columns, kMinimumColumns)) {}

void ProgressBar::show(const VlProgressReport& report) {
    // The library reports every event; most reports change nothing on screen.
    if (report.text == nullptr &&
        ((report.line == 1 && clampPercent(report.percent) == stepPercent_) ||
         (report.line == 2 && clampPercent(report.percent) == detailPercent_)))
        return;
    if (report.line == 1) {
        if (report.text != nullptr) caption_ = printable(report.text);
        stepPercent_ = clampPercent(report.percent);
    } else if (report.line == 2) {
        if (report.text != nullptr) detail_ = printable(report.text);
        detailPercent_ = clampPercent(report.percent);
    } else {
        return;
    }
    redraw();
}

std::string ProgressBar::stepLine() const {
    const int filled = stepPercent_ * kBarWidth / 100;
    std::string line = caption_;
    line += " [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    line += "] " + std::to_string(stepPercent_) + "%";
    return fitted(std::move(line), columns_);
}

std::string ProgressBar::detailLine() const {
    std::string line = detail_;
    if (detailPercent_ > 0) line += "  " + std::to_string(detailPercent_) + "%";
    return fitted(std::move(line), columns_);
}

void ProgressBar::redraw() {
    std::string step = stepLine();
    std::string detail = detailLine();
    if (drawn_ && step == drawnStep_ && detail == drawnDetail_) return;
    // Back to the start of the step line, then rewrite both lines, clearing what was there.
    if (drawn_) std::fputs("\r\x1b[1A", terminal_);
    std::fprintf(terminal_, "\x1b[2K%s\n\x1b[2K%s", step.c_str(), detail.c_str());
    std::fflush(terminal_);
    drawnStep_ = std::move(step);
    drawnDetail_ = std::move(detail);
    drawn_ = true;
}

void ProgressBar::erase() {
    if (!drawn_) return;
    std::fputs("\r\x1b[2K\x1b[1A\x1b[2K", terminal_);
    std::fflush(terminal_);
    drawn_ = false;
}

int terminalColumns(int fd) {
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return kDefaultColumns;
}

}  // namespace vl::cli
