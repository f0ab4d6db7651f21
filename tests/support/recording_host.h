#pragma once
// A host message function that records every progress report it receives
// and can answer "cancel" from a chosen step caption on.

#include <string>
#include <vector>

#include "vlmidiin.h"

namespace vltest {

struct RecordedReport {
    int line = 0;
    int percent = 0;
    bool hasText = false;
    std::string text;
};

class RecordingHost {
public:
    // Registers itself as the library's message handler; unregisters on destruction.
    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // From the first step line with this caption on, every reply is "cancel".
    void cancelFrom(std::string caption) { cancelCaption_ = std::move(caption); }

    const std::vector<RecordedReport>& reports() const { return reports_; }
    // Texts of the step lines (line 1) that carried a text, in order.
    std::vector<std::string> stepCaptions() const;
    std::vector<std::string> detailTexts() const;
    std::vector<int> stepPercents() const;
    void clear() { reports_.clear(); }

    static constexpr uint32_t kMessage = 0x8123;
    static void* window() { return reinterpret_cast<void*>(0x1234); }

private:
    static intptr_t handle(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
    intptr_t record(const VlProgressReport& report);

    std::vector<RecordedReport> reports_;
    std::string cancelCaption_;
    bool cancelling_ = false;
};

}  // namespace vltest
