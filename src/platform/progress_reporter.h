#pragma once
// The library's single progress and cancel channel to the host window. Each
// report is a step line (1) or a detail line (2) with a percentage and
// optionally a text; the host's reply to a report is the cancel request.

#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

class ProgressReporter {
public:
    // Sets the host window and message number and clears all step state.
    void setTarget(void* window, uint32_t message);
    void* window() const { return window_; }
    uint32_t message() const { return message_; }
    // True when reports reach a host: a window is set and a handler registered.
    bool hostListens() const;

    // Starts a step: caption on the step line, "<itemWord> %d of <count>" as
    // the detail pattern when count is 1 or more. Returns the reply.
    uint32_t beginStep(std::string_view caption, int32_t count, std::string_view itemWord);
    // Moves to item i (zero-based) and reports it; returns the cancel reply.
    uint32_t item(uint32_t i);
    uint32_t setStepIndex(uint32_t i);
    void setStepCount(uint32_t n);
    void setDetailCount(uint32_t n);
    uint32_t detailItem(uint32_t j);
    // Rebuilds the detail text and appends pattern filled with the numbers.
    uint32_t detailTextWithSuffix(const char* pattern, int32_t a);
    uint32_t detailTextWithSuffix(const char* pattern, int32_t a, int32_t b);
    // A detail line of its own text at percentage 0 (clears the detail count).
    uint32_t plainDetailText(std::string_view text);
    uint32_t cancelled() const { return cancelled_; }

    const std::string& caption() const { return caption_; }
    const std::string& stepText() const { return stepText_; }
    const std::string& detailText() const { return detailText_; }

private:
    // The detail text for the current item: the item format filled with the
    // item number + 1, or the format as it is when there are no items.
    std::string currentDetailText() const;
    // Sends one report for line 1 (step) or 2 (detail) and keeps the reply.
    uint32_t report(int32_t line, const char* text);

    void* window_ = nullptr;
    uint32_t message_ = 0;
    uint32_t cancelled_ = 0;
    std::string caption_;
    std::string itemFormat_;
    int32_t stepNumber_ = -1;
    int32_t itemNumber_ = -1;
    uint32_t stepIndex_ = 0;
    uint32_t stepCount_ = 0;
    uint32_t detailIndex_ = 0;
    uint32_t detailCount_ = 0;
    std::string stepText_;
    std::string detailText_;
};

}  // namespace vl
