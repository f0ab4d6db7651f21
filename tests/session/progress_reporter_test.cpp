// The progress channel as a host sees it: which reports arrive, in which
// order, with which line, percentage and text, and what the replies do.
#include "session/progress_reporter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/host_messages.h"
#include "support/fake_host.h"

namespace {

using vl::test::FakeHost;

constexpr uint32_t kMessage = FakeHost::kMessage;

class ProgressReporterTest : public vl::test::HostTest {
protected:
    const std::vector<vl::test::HostReport>& seen() const { return host.reports(); }
    std::vector<int32_t> percentsOnLine(int32_t line) const {
        std::vector<int32_t> result;
        for (const vl::test::HostReport& s : seen())
            if (s.line == line) result.push_back(s.percent);
        return result;
    }
};

TEST_F(ProgressReporterTest, record_fields_sit_where_the_host_reads_them) {
    EXPECT_EQ(offsetof(VlProgressReport, zero0), 0u);
    EXPECT_EQ(offsetof(VlProgressReport, zero1), 4u);
    EXPECT_EQ(offsetof(VlProgressReport, line), 8u);
    EXPECT_EQ(offsetof(VlProgressReport, percent), 12u);
    EXPECT_EQ(offsetof(VlProgressReport, text), 16u);
}

TEST_F(ProgressReporterTest, a_step_of_four_tracks_reports_in_order) {
    reporter.beginStep("Locating bar lines", 4, "Track");
    for (uint32_t i = 0; i < 4; ++i) reporter.item(i);

    ASSERT_EQ(seen().size(), 10u);  // window, message and zero fields: the host checks them
    // begin step: the caption on the step line, then the first item's detail text.
    EXPECT_EQ(seen()[0].line, 1);
    EXPECT_EQ(seen()[0].text, "Locating bar lines");
    EXPECT_EQ(seen()[1].line, 2);
    EXPECT_EQ(seen()[1].text, "Track 1 of 4");
    // each item: a step line without text, then its detail text.
    for (uint32_t i = 0; i < 4; ++i) {
        const vl::test::HostReport& step = seen()[2 + 2 * i];
        const vl::test::HostReport& detail = seen()[3 + 2 * i];
        EXPECT_EQ(step.line, 1);
        EXPECT_FALSE(step.text.has_value());
        EXPECT_EQ(detail.line, 2);
        EXPECT_EQ(detail.text, "Track " + std::to_string(i + 1) + " of 4");
        EXPECT_EQ(detail.percent, 0);  // no detail count set
    }
    EXPECT_EQ(percentsOnLine(1), (std::vector<int32_t>{25, 25, 50, 75, 100}));
    EXPECT_EQ(reporter.caption(), "Locating bar lines");
    EXPECT_EQ(reporter.stepText(), "Locating bar lines");
    EXPECT_EQ(reporter.detailText(), "Track 4 of 4");
}

TEST_F(ProgressReporterTest, a_step_without_items_has_an_empty_detail_text) {
    reporter.beginStep("Removing delay", 0, "Track");
    ASSERT_EQ(seen().size(), 2u);
    EXPECT_EQ(seen()[1].line, 2);
    EXPECT_EQ(seen()[1].text, "");
    reporter.item(3);
    EXPECT_EQ(reporter.detailText(), "");
    EXPECT_EQ(seen().back().text, "");
}

TEST_F(ProgressReporterTest, percentages_follow_index_and_count_without_overflow) {
    struct Case {
        uint32_t count, index;
        int32_t percent;
    } cases[] = {
        {0, 0, 0},   {1, 0, 0},   {2, 0, 50},  {3, 1, 66},  {4, 3, 100},
        {12, 2, 25}, {3, 5, 200},  // an index past the count is not clipped
        {2, UINT32_MAX, INT32_MAX},
    };
    for (const Case& c : cases) {
        reporter.setStepCount(c.count);
        reporter.setStepIndex(c.index);
        EXPECT_EQ(seen().back().line, 1);
        EXPECT_EQ(seen().back().percent, c.percent) << c.index << " of " << c.count;
        EXPECT_FALSE(seen().back().text.has_value());
    }
}

TEST_F(ProgressReporterTest, detail_counts_drive_the_detail_line) {
    reporter.beginStep("Quantising", 2, "Track");
    reporter.item(1);
    host.clearReports();
    reporter.setDetailCount(4);
    for (uint32_t j = 0; j < 4; ++j) reporter.detailItem(j);
    reporter.setDetailCount(0);
    EXPECT_EQ(percentsOnLine(1), std::vector<int32_t>{});
    EXPECT_EQ(percentsOnLine(2), (std::vector<int32_t>{25, 25, 50, 75, 100, 0}));
    for (const vl::test::HostReport& s : seen()) EXPECT_FALSE(s.text.has_value());
    // a new item starts again at detail index 0
    reporter.setDetailCount(4);
    reporter.detailItem(2);
    reporter.item(1);
    EXPECT_EQ(seen().back().percent, 25);
}

TEST_F(ProgressReporterTest, detail_suffixes_follow_the_item_text) {
    reporter.beginStep("Removing illegal events", 12, "Track");
    reporter.item(2);
    EXPECT_EQ(reporter.detailText(), "Track 3 of 12");
    struct Case {
        const char* pattern;
        int32_t a, b;
        bool two;
        const char* expected;
    } cases[] = {
        {" - MIDI channel %d ", 16, 0, false, "Track 3 of 12 - MIDI channel 16 "},
        {" (%d/%d)", 5, 7, true, "Track 3 of 12 (5/7)"},
        {" %03d|%4d|%x|%%", 7, -12, true, "Track 3 of 12 007| -12|0|%"},
        // conversions that take no number are copied, never read as arguments
        {" %s %n %d", 1, 0, false, "Track 3 of 12 %s %n 1"},
        {" %d %d", 9, 0, false, "Track 3 of 12 9 0"},  // too few numbers give 0
        {" 100%", 1, 0, false, "Track 3 of 12 100%"},
    };
    for (const Case& c : cases) {
        if (c.two)
            reporter.detailTextWithSuffix(c.pattern, c.a, c.b);
        else
            reporter.detailTextWithSuffix(c.pattern, c.a);
        EXPECT_EQ(reporter.detailText(), c.expected) << c.pattern;
        EXPECT_EQ(seen().back().line, 2);
        EXPECT_EQ(seen().back().text, c.expected);
    }
    // the suffix is not kept: the next item's text is plain again
    reporter.item(3);
    EXPECT_EQ(reporter.detailText(), "Track 4 of 12");
}

TEST_F(ProgressReporterTest, every_reply_overwrites_the_cancel_request) {
    reporter.beginStep("Tying notes", 3, "Track");
    EXPECT_EQ(reporter.cancelled(), 0u);
    host.replyWith(1);
    EXPECT_EQ(reporter.item(0), 1u);
    EXPECT_EQ(reporter.cancelled(), 1u);
    EXPECT_EQ(reporter.detailItem(0), 1u);
    host.stopCancelling();
    EXPECT_EQ(reporter.setStepIndex(1), 0u);
    EXPECT_EQ(reporter.cancelled(), 0u);
    // a reply whose low 32 bits are zero still asks to stop
    const auto highBitsOnly =
        static_cast<intptr_t>(INTPTR_MAX & ~static_cast<intptr_t>(UINT32_MAX));
    host.replyWith(highBitsOnly);
    if (highBitsOnly != 0) {
        EXPECT_NE(reporter.item(1), 0u);
        EXPECT_NE(reporter.cancelled(), 0u);
    }
    host.replyWith(7);
    reporter.setDetailCount(2);
    EXPECT_EQ(reporter.cancelled(), 7u);
}

TEST_F(ProgressReporterTest, set_target_clears_the_step_and_the_cancel_request) {
    host.replyWith(1);
    reporter.beginStep("Tying notes", 3, "Track");
    reporter.item(1);
    ASSERT_EQ(reporter.cancelled(), 1u);
    host.expectMessage(kMessage + 1);
    reporter.setTarget(FakeHost::window(), kMessage + 1);
    EXPECT_EQ(reporter.cancelled(), 0u);
    EXPECT_EQ(reporter.caption(), "");
    EXPECT_EQ(reporter.message(), kMessage + 1);
    host.clearReports();
    reporter.setStepIndex(0);
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].percent, 0);  // count 0 after the reset
    reporter.detailTextWithSuffix(" channel %d", 2);
    EXPECT_EQ(reporter.detailText(), " channel 2");  // no item format any more
}

TEST_F(ProgressReporterTest, nothing_is_sent_without_a_window_or_without_a_handler) {
    host.replyWith(1);
    reporter.setTarget(nullptr, kMessage);
    EXPECT_EQ(reporter.beginStep("Step", 2, "Track"), 0u);
    EXPECT_EQ(reporter.item(1), 0u);
    EXPECT_EQ(reporter.detailTextWithSuffix(" %d", 1), 0u);
    EXPECT_EQ(reporter.cancelled(), 0u);
    EXPECT_TRUE(seen().empty());
    EXPECT_EQ(reporter.detailText(), "Track 2 of 2 1");  // texts are still kept

    reporter.setTarget(FakeHost::window(), kMessage);
    vl::setHostMessageHandler(nullptr);
    EXPECT_EQ(reporter.item(0), 0u);
    EXPECT_TRUE(seen().empty());
}

TEST(HostMessages, send_passes_window_message_zero_and_the_record_address) {
    static const VlProgressReport* received = nullptr;
    static int calls = 0;
    calls = 0;
    vl::setHostMessageHandler([](void* window, uint32_t message, uintptr_t wparam,
                                 intptr_t lparam) -> intptr_t {
        ++calls;
        received = reinterpret_cast<const VlProgressReport*>(lparam);
        return window == FakeHost::window() && message == 42 && wparam == 0 ? 9 : -1;
    });
    const VlProgressReport report{0, 0, 2, 50, "x"};
    EXPECT_EQ(vl::sendHostMessage(FakeHost::window(), 42, report), 9);
    EXPECT_EQ(received, &report);
    EXPECT_EQ(vl::sendHostMessage(nullptr, 42, report), 0);
    EXPECT_EQ(calls, 1);
    vl::setHostMessageHandler(nullptr);
    EXPECT_EQ(vl::hostMessageHandler(), nullptr);
    EXPECT_EQ(vl::sendHostMessage(FakeHost::window(), 42, report), 0);
    EXPECT_EQ(calls, 1);
}

}  // namespace
