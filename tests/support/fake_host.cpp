#include "support/fake_host.h"

#include <gtest/gtest.h>

#include "platform/host_messages.h"

namespace vl::test {

namespace {
FakeHost* active = nullptr;
}  // namespace

FakeHost::FakeHost() {
    active = this;
    setHostMessageHandler(&FakeHost::handle);
    progress.setTarget(window(), kMessage);
}

FakeHost::~FakeHost() {
    setHostMessageHandler(nullptr);
    active = nullptr;
}

void FakeHost::stopCancelling() {
    caption_.reset();
    detail_.reset();
    percent_ = 101;
    cancelling_ = false;
    reply_ = 0;
}

intptr_t FakeHost::handle(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    EXPECT_EQ(window, FakeHost::window());
    EXPECT_EQ(wparam, 0u);
    if (active == nullptr || lparam == 0) return 0;
    EXPECT_EQ(message, active->message_);
    return active->answer(*reinterpret_cast<const VlProgressReport*>(lparam));
}

intptr_t FakeHost::answer(const VlProgressReport& report) {
    EXPECT_EQ(report.zero0, 0);
    EXPECT_EQ(report.zero1, 0);
    HostReport r{report.line, report.percent, std::nullopt};
    if (report.text != nullptr) r.text = report.text;
    reports_.push_back(r);
    const bool step = r.line == 1;
    cancelling_ = cancelling_ || (step && r.text && r.text == caption_) ||
                  (!step && r.text && r.text == detail_) ||
                  (!step && !r.text && r.percent >= percent_);
    if (reply_ != 0) return reply_;
    return cancelling_ ? 1 : 0;
}

std::vector<std::string> FakeHost::stepCaptions() const {
    std::vector<std::string> out;
    for (const HostReport& r : reports_)
        if (r.line == 1 && r.text) out.push_back(*r.text);
    return out;
}

std::vector<std::string> FakeHost::detailTexts() const {
    std::vector<std::string> out;
    for (const HostReport& r : reports_)
        if (r.line == 2 && r.text) out.push_back(*r.text);
    return out;
}

std::vector<int32_t> FakeHost::detailPercents() const {
    std::vector<int32_t> out;
    for (const HostReport& r : reports_)
        if (r.line == 2 && !r.text) out.push_back(r.percent);
    return out;
}

}  // namespace vl::test
