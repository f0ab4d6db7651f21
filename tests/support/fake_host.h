#pragma once
// The test suite's host. While one lives it is the library's message handler:
// it records every progress report it receives and answers "cancel" from the
// first report that meets a cancel condition on, and to every report after
// that, as a host must once its user asked to stop. `progress` is a reporter
// that sends to it.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/progress_reporter.h"
#include "vlmidiin.h"

namespace vl::test {

struct HostReport {
    int32_t line = 0;
    int32_t percent = 0;
    std::optional<std::string> text;
};

class FakeHost {
public:
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    static constexpr uint32_t kMessage = 0x8123;
    static void* window() { return reinterpret_cast<void*>(0x1234); }

    // Cancel conditions: a step line with this caption; a detail line with
    // this text; a detail line without text at this percentage or more.
    void cancelAtCaption(std::string caption) { caption_ = std::move(caption); }
    void cancelAtDetail(std::string text) { detail_ = std::move(text); }
    void cancelFromPercent(int32_t percent) { percent_ = percent; }
    // Answers reply to every report from now on (a reporter's own tests
    // try replies of every width); 0 with stopCancelling.
    void replyWith(intptr_t reply) { reply_ = reply; }
    // Answers 0 again, with no condition left.
    void stopCancelling();
    // The message number the reports must carry (kMessage unless set).
    void expectMessage(uint32_t message) { message_ = message; }

    const std::vector<HostReport>& reports() const { return reports_; }
    void clearReports() { reports_.clear(); }
    // Texts of the step lines that carried one, in order.
    std::vector<std::string> stepCaptions() const;
    std::vector<std::string> detailTexts() const;
    // Percentages of the detail lines without text.
    std::vector<int32_t> detailPercents() const;

    ProgressReporter progress;

private:
    static intptr_t handle(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
    intptr_t answer(const VlProgressReport& report);

    std::vector<HostReport> reports_;
    std::optional<std::string> caption_;
    std::optional<std::string> detail_;
    int32_t percent_ = 101;
    bool cancelling_ = false;
    intptr_t reply_ = 0;
    uint32_t message_ = kMessage;
};

// A test with a host installed; `reporter` sends to it.
class HostTest : public ::testing::Test {
protected:
    FakeHost host;
    ProgressReporter& reporter = host.progress;
};

}  // namespace vl::test
