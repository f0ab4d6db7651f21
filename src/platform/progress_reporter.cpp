#include "platform/progress_reporter.h"

#include <climits>
#include <initializer_list>

#include "platform/host_messages.h"

namespace vl {

namespace {

constexpr int32_t kStepLine = 1;
constexpr int32_t kDetailLine = 2;

// Fills a printf-like pattern with numbers, safely for any pattern: %d, %i,
// %u, %x and %X (with an optional 0 flag and width) take the next number (0
// once they run out), %% gives %, and anything else is copied as it is.
std::string fillNumbers(std::string_view pattern, std::initializer_list<int32_t> numbers) {
    std::string out;
    auto next = numbers.begin();
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i++];
        if (c != '%' || i >= pattern.size()) {
            out += c;
            continue;
        }
        if (pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i;
        const bool zeroPad = pattern[j] == '0';
        if (zeroPad) ++j;
        std::size_t width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 100)
            width = width * 10 + static_cast<std::size_t>(pattern[j++] - '0');
        const char conversion = j < pattern.size() ? pattern[j] : '\0';
        if (conversion != 'd' && conversion != 'i' && conversion != 'u' && conversion != 'x' &&
            conversion != 'X') {
            out += '%';
            continue;
        }
        const int32_t number = next != numbers.end() ? *next++ : 0;
        std::string digits;
        if (conversion == 'x' || conversion == 'X') {
            const char* hex = conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
            uint32_t v = static_cast<uint32_t>(number);
            do {
                digits.insert(digits.begin(), hex[v & 0xF]);
                v >>= 4;
            } while (v != 0);
        } else if (conversion == 'u') {
            digits = std::to_string(static_cast<uint32_t>(number));
        } else {
            digits = std::to_string(number);
        }
        if (digits.size() < width) {
            const std::size_t pad = width - digits.size();
            if (zeroPad && digits[0] == '-')
                digits.insert(1, pad, '0');
            else
                digits.insert(0, pad, zeroPad ? '0' : ' ');
        }
        out += digits;
        i = j + 1;
    }
    return out;
}

// "%" in the item word must not act as a conversion in the item format.
std::string escapePercent(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

int32_t percentOf(uint32_t index, uint32_t count) {
    if (count < 2) return 0;
    const uint64_t percent = (static_cast<uint64_t>(index) + 1) * 100 / count;
    return percent > INT32_MAX ? INT32_MAX : static_cast<int32_t>(percent);
}

}  // namespace

void ProgressReporter::setTarget(void* window, uint32_t message) {
    window_ = window;
    message_ = message;
    cancelled_ = 0;
    caption_.clear();
    itemFormat_.clear();
    stepNumber_ = -1;
    itemNumber_ = -1;
    stepIndex_ = 0;
    stepCount_ = 0;
    detailIndex_ = 0;
    detailCount_ = 0;
}

bool ProgressReporter::hostListens() const {
    return window_ != nullptr && hostMessageHandler() != nullptr;
}

uint32_t ProgressReporter::beginStep(std::string_view caption, int32_t count,
                                     std::string_view itemWord) {
    stepCount_ = count > 0 ? static_cast<uint32_t>(count) : 0;
    stepIndex_ = 0;
    detailCount_ = 0;
    caption_ = caption;
    if (count < 1) {
        itemFormat_.clear();
        itemNumber_ = -1;
    } else {
        itemFormat_ = escapePercent(itemWord) + " %d of " + std::to_string(count);
        itemNumber_ = 0;
    }
    stepText_ = caption_;
    report(kStepLine, stepText_.c_str());
    detailText_ = currentDetailText();
    return report(kDetailLine, detailText_.c_str());
}

uint32_t ProgressReporter::item(uint32_t i) {
    stepIndex_ = i;
    detailIndex_ = 0;
    if (itemNumber_ >= 0) itemNumber_ = i > INT32_MAX ? INT32_MAX : static_cast<int32_t>(i);
    report(kStepLine, nullptr);
    detailText_ = currentDetailText();
    return report(kDetailLine, detailText_.c_str());
}

uint32_t ProgressReporter::setStepIndex(uint32_t i) {
    stepIndex_ = i;
    return report(kStepLine, nullptr);
}

void ProgressReporter::setStepCount(uint32_t n) {
    stepCount_ = n;
    stepIndex_ = 0;
    report(kStepLine, nullptr);
}

void ProgressReporter::setDetailCount(uint32_t n) {
    detailCount_ = n;
    detailIndex_ = 0;
    report(kDetailLine, nullptr);
}

uint32_t ProgressReporter::detailItem(uint32_t j) {
    detailIndex_ = j;
    return report(kDetailLine, nullptr);
}

uint32_t ProgressReporter::detailTextWithSuffix(const char* pattern, int32_t a) {
    detailText_ = currentDetailText() + fillNumbers(pattern != nullptr ? pattern : "", {a});
    return report(kDetailLine, detailText_.c_str());
}

uint32_t ProgressReporter::detailTextWithSuffix(const char* pattern, int32_t a, int32_t b) {
    detailText_ = currentDetailText() + fillNumbers(pattern != nullptr ? pattern : "", {a, b});
    return report(kDetailLine, detailText_.c_str());
}

std::string ProgressReporter::currentDetailText() const {
    if (itemNumber_ < 0) return itemFormat_;
    const int32_t shown = itemNumber_ == INT32_MAX ? INT32_MAX : itemNumber_ + 1;
    return fillNumbers(itemFormat_, {shown});
}

uint32_t ProgressReporter::plainDetailText(std::string_view text) {
    detailIndex_ = 0;
    detailCount_ = 0;
    detailText_ = text;
    return report(kDetailLine, detailText_.c_str());
}

uint32_t ProgressReporter::report(int32_t line, const char* text) {
    const bool stepLine = line == kStepLine;
    VlProgressReport record{};
    record.zero0 = 0;
    record.zero1 = 0;
    record.line = line;
    record.percent = stepLine ? percentOf(stepIndex_, stepCount_)
                              : percentOf(detailIndex_, detailCount_);
    record.text = text;
    const intptr_t reply = sendHostMessage(window_, message_, record);
    // Any non-zero reply is a cancel request, even one whose low 32 bits are 0.
    cancelled_ = static_cast<uint32_t>(static_cast<uintptr_t>(reply));
    if (reply != 0 && cancelled_ == 0) cancelled_ = 1;
    return cancelled_;
}

}  // namespace vl
