#pragma once
// A host message handler that answers "cancel" to every report once the
// detail line has shown a chosen text (or, on a report without text, reached
// a chosen percentage), and the reporter that sends to it.

#include <cstdint>
#include <string>
#include <utility>

#include "platform/host_messages.h"
#include "session/progress_reporter.h"

namespace vl::test {

class TextCancellingHost {
public:
    explicit TextCancellingHost(std::string text, int percent = 101)
        : text_(std::move(text)), percent_(percent) {
        active_ = this;
        setHostMessageHandler(&handle);
        progress.setTarget(reinterpret_cast<void*>(0x4d), 0x8004);
    }
    ~TextCancellingHost() {
        setHostMessageHandler(nullptr);
        active_ = nullptr;
    }
    TextCancellingHost(const TextCancellingHost&) = delete;
    TextCancellingHost& operator=(const TextCancellingHost&) = delete;

    ProgressReporter progress;

private:
    static intptr_t handle(void*, uint32_t, uintptr_t, intptr_t lparam) {
        const auto* r = reinterpret_cast<const VlProgressReport*>(lparam);
        TextCancellingHost& self = *active_;
        if (r->line == 2 && r->text != nullptr && !self.text_.empty() && self.text_ == r->text)
            self.seen_ = true;
        if (r->line == 2 && r->text == nullptr && r->percent >= self.percent_) self.seen_ = true;
        return self.seen_ ? 1 : 0;
    }
    static inline TextCancellingHost* active_ = nullptr;
    std::string text_;
    int percent_;
    bool seen_ = false;
};

}  // namespace vl::test
