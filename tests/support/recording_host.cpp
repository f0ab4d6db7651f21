#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace vltest {

namespace {
RecordingHost* active = nullptr;
}

RecordingHost::RecordingHost() {
    active = this;
    vlImportSetMessageHandler(&RecordingHost::handle);
}

RecordingHost::~RecordingHost() {
    vlImportSetMessageHandler(nullptr);
    active = nullptr;
}

intptr_t RecordingHost::handle(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    EXPECT_EQ(window, RecordingHost::window());
    EXPECT_EQ(message, kMessage);
    EXPECT_EQ(wparam, 0u);
    if (active == nullptr || lparam == 0) return 0;
    return active->record(*reinterpret_cast<const VlProgressReport*>(lparam));
}

intptr_t RecordingHost::record(const VlProgressReport& report) {
    EXPECT_EQ(report.zero0, 0);
    EXPECT_EQ(report.zero1, 0);
    RecordedReport r;
    r.line = report.line;
    r.percent = report.percent;
    r.hasText = report.text != nullptr;
    if (report.text != nullptr) r.text = report.text;
    reports_.push_back(r);
    if (r.line == 1 && r.hasText && !cancelCaption_.empty() && r.text == cancelCaption_)
        cancelling_ = true;
    return cancelling_ ? 1 : 0;
}

std::vector<std::string> RecordingHost::stepCaptions() const {
    std::vector<std::string> out;
    for (const RecordedReport& r : reports_)
        if (r.line == 1 && r.hasText) out.push_back(r.text);
    return out;
}

std::vector<std::string> RecordingHost::detailTexts() const {
    std::vector<std::string> out;
    for (const RecordedReport& r : reports_)
        if (r.line == 2 && r.hasText) out.push_back(r.text);
    return out;
}

std::vector<int> RecordingHost::stepPercents() const {
    std::vector<int> out;
    for (const RecordedReport& r : reports_)
        if (r.line == 1) out.push_back(r.percent);
    return out;
}

}  // namespace vltest
