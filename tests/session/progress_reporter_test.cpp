// The progress channel as a host sees it: a transcript of reporter calls, each
// with its answer and the reports it sent (line, percentage, text), kept as a
// golden file; then the record layout and the raw message sending.
#include "session/progress_reporter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>

#include "platform/host_messages.h"
#include "support/fake_host.h"
#include "support/golden.h"

namespace vl::test {
namespace {

class ProgressReporterTest : public HostTest {
protected:
    // Notes a call, its answer, the reports it sent and the texts kept.
    void note(const std::string& call, uint32_t answer = 0) {
        log_ += call + " -> " + std::to_string(answer) + " cancelled " +
                std::to_string(reporter.cancelled()) + " [" + reporter.detailText() + "]\n";
        for (const HostReport& r : host.reports())
            log_ += "  " + std::to_string(r.line) + " " + std::to_string(r.percent) +
                    (r.text ? " \"" + *r.text + "\"" : "") + "\n";
        host.clearReports();
    }
    std::string log_;
};

TEST_F(ProgressReporterTest, reports_steps_items_details_and_replies_as_the_transcript_says) {
    note("beginStep 4 tracks", reporter.beginStep("Locating bar lines", 4, "Track"));
    for (uint32_t i = 0; i < 4; ++i) note("item " + std::to_string(i), reporter.item(i));
    note("caption " + reporter.caption() + " / step text " + reporter.stepText());
    note("beginStep no items", reporter.beginStep("Removing delay", 0, "Track"));
    note("item 3", reporter.item(3));
    const std::pair<uint32_t, uint32_t> countAndIndex[] = {
        {0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 3}, {12, 2}, {3, 5}, {2, UINT32_MAX}};
    for (const auto& [count, index] : countAndIndex) {
        reporter.setStepCount(count);
        note("step " + std::to_string(index) + " of " + std::to_string(count),
             reporter.setStepIndex(index));
    }
    reporter.beginStep("Quantising", 12, "Track");
    note("item 2", reporter.item(2));
    reporter.setDetailCount(4);
    for (uint32_t j = 0; j < 4; ++j) note("detail " + std::to_string(j), reporter.detailItem(j));
    reporter.setDetailCount(0);
    note("detail count 0");
    reporter.setDetailCount(4);
    note("detail 2", reporter.detailItem(2));
    note("item 2 again", reporter.item(2));
    for (const char* pattern : {" - MIDI channel %d ", " %s %n %d", " %d %d", " 100%"})
        note(pattern, reporter.detailTextWithSuffix(pattern, 16));
    for (const char* pattern : {" (%d/%d)", " %03d|%4d|%x|%%"})
        note(pattern, reporter.detailTextWithSuffix(pattern, 7, -12));
    note("item 3", reporter.item(3));
    host.replyWith(1);
    note("item 0 cancelled", reporter.item(0));
    note("detail 0 cancelled", reporter.detailItem(0));
    host.stopCancelling();
    note("step 1 answered", reporter.setStepIndex(1));
    host.replyWith(static_cast<intptr_t>(INTPTR_MAX & ~static_cast<intptr_t>(UINT32_MAX)));
    note("item 1 with only high bits in the reply", reporter.item(1) != 0);
    host.replyWith(7);
    reporter.setDetailCount(2);
    note("detail count 2 with reply 7");
    host.expectMessage(FakeHost::kMessage + 1);
    reporter.setTarget(FakeHost::window(), FakeHost::kMessage + 1);
    note("new target, message " + std::to_string(reporter.message() - FakeHost::kMessage) +
         ", caption [" + reporter.caption() + "]");
    note("step 0", reporter.setStepIndex(0));
    note(" channel %d", reporter.detailTextWithSuffix(" channel %d", 2));
    reporter.setTarget(nullptr, FakeHost::kMessage);
    note("no window: beginStep", reporter.beginStep("Step", 2, "Track"));
    note("no window: item 1", reporter.item(1));
    reporter.setTarget(FakeHost::window(), FakeHost::kMessage);
    setHostMessageHandler(nullptr);
    note("no handler: item 0", reporter.item(0));
    expectGolden("session/progress_reporter.txt", log_);
}

TEST(HostMessages, the_record_and_the_message_reach_the_handler_as_the_host_reads_them) {
    EXPECT_EQ(offsetof(VlProgressReport, line), 8u);
    EXPECT_EQ(offsetof(VlProgressReport, percent), 12u);
    EXPECT_EQ(offsetof(VlProgressReport, text), 16u);
    static const VlProgressReport* received = nullptr;
    setHostMessageHandler([](void* window, uint32_t message, uintptr_t wparam,
                             intptr_t lparam) -> intptr_t {
        received = reinterpret_cast<const VlProgressReport*>(lparam);
        return window == FakeHost::window() && message == 42 && wparam == 0 ? 9 : -1;
    });
    const VlProgressReport report{0, 0, 2, 50, "x"};
    EXPECT_EQ(sendHostMessage(nullptr, 42, report), 0);
    EXPECT_EQ(received, nullptr);
    EXPECT_EQ(sendHostMessage(FakeHost::window(), 42, report), 9);
    EXPECT_EQ(received, &report);
    setHostMessageHandler(nullptr);
    EXPECT_EQ(sendHostMessage(FakeHost::window(), 42, report), 0);
}

}  // namespace
}  // namespace vl::test
