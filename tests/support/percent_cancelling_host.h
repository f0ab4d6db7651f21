#pragma once
// A host message handler that asks to stop once the detail line reports a
// chosen percentage, and a fixture that installs it for a ProgressReporter.

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/host_messages.h"
#include "session/progress_reporter.h"

namespace vl::test {

// While one lives, every host message comes here; the reply is "cancel" to
// detail-line reports at cancelFromPercent or more (never above 100).
class PercentCancellingHost {
public:
    explicit PercentCancellingHost(int32_t cancelFrom = 101) {
        cancelFromPercent = cancelFrom;
        setHostMessageHandler(&handle);
    }
    ~PercentCancellingHost() {
        setHostMessageHandler(nullptr);
        cancelFromPercent = 101;
    }
    PercentCancellingHost(const PercentCancellingHost&) = delete;
    PercentCancellingHost& operator=(const PercentCancellingHost&) = delete;

    static inline int32_t cancelFromPercent = 101;
    static constexpr uint32_t kMessage = 0x8001;
    static void* window() { return reinterpret_cast<void*>(0x77); }

private:
    static intptr_t handle(void*, uint32_t, uintptr_t, intptr_t lparam) {
        const auto* r = reinterpret_cast<const VlProgressReport*>(lparam);
        return r->line == 2 && r->percent >= cancelFromPercent ? 1 : 0;
    }
};

// A test with the host installed and `reporter` sending to it.
class PercentCancellingTest : public ::testing::Test {
protected:
    PercentCancellingTest() {
        reporter.setTarget(PercentCancellingHost::window(), PercentCancellingHost::kMessage);
    }

    PercentCancellingHost host;
    ProgressReporter reporter;
};

}  // namespace vl::test
