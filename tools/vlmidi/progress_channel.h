#pragma once
// The host side of the library's progress channel: the message handler that receives the
// progress reports, draws them (on a terminal), and answers them with the user's cancel request,
// which Ctrl-C sets.

#include <cstdint>
#include <optional>

#include "progress_bar.h"
#include "vlmidiin.h"

namespace vl::cli {

class ProgressChannel {
public:
    // The message number the host asks the library to send its reports with.
    static constexpr std::uint32_t kProgressMessage = 0x8001;

    // Registers the handler and catches Ctrl-C; draws on stderr only when it is a terminal
    // (and `draw` is true).
    explicit ProgressChannel(bool draw);
    ~ProgressChannel();
    ProgressChannel(const ProgressChannel&) = delete;
    ProgressChannel& operator=(const ProgressChannel&) = delete;

    // What the host passes to vlImportOpen as its window: the reports come back with it.
    void* windowToken() { return this; }

    // Clears the display before the host prints its results.
    void finish();

    bool cancelRequested() const;
    int reportsReceived() const { return reportsReceived_; }

private:
    static intptr_t receive(void* window, std::uint32_t message, uintptr_t wparam,
                            intptr_t lparam);
    intptr_t onReport(const VlProgressReport& report);

    std::optional<ProgressBar> bar_;
    int reportsReceived_ = 0;
};

}  // namespace vl::cli
