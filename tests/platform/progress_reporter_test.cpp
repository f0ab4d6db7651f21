// The progress channel as a host sees it: a transcript of reporter calls, each
// with its answer and the reports it sent (line, percentage, text), kept as a
// golden file, and the layout of the record the host reads.
#include "platform/progress_reporter.h"

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
    // where the host reads the fields (the fake host checks window, message and zeros)
    EXPECT_EQ(offsetof(VlProgressReport, line) + offsetof(VlProgressReport, percent), 20u);
    EXPECT_EQ(offsetof(VlProgressReport, text), 16u);
}

}  // namespace
}  // namespace vl::test
