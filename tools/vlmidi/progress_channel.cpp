// Progress reports in, cancel requests out.

#include "progress_channel.h"

#include <unistd.h>

#include <csignal>

namespace vl::cli {

namespace {

volatile std::sig_atomic_t interruptCount = 0;

// The first Ctrl-C asks the library to stop at its next report; a second one, for a step that
// reports nothing for a long time, ends the program the usual way.
extern "C" void onInterrupt(int signalNumber) {
    if (interruptCount > 0) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    interruptCount = 1;
}

struct sigaction previousInterruptAction {};

// A program started with Ctrl-C ignored (a background job, nohup) keeps ignoring it.
void catchInterrupts() {
    interruptCount = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterruptAction);
    if (previousInterruptAction.sa_handler == SIG_IGN) {
        sigaction(SIGINT, &previousInterruptAction, nullptr);
    }
}

void releaseInterrupts() { sigaction(SIGINT, &previousInterruptAction, nullptr); }

}  // namespace

ProgressChannel::ProgressChannel(bool draw) {
    if (draw && isatty(STDERR_FILENO) != 0) bar_.emplace(stderr, terminalColumns(STDERR_FILENO));
    catchInterrupts();
    vlImportSetMessageHandler(&ProgressChannel::receive);
}

ProgressChannel::~ProgressChannel() {
    vlImportSetMessageHandler(nullptr);
    releaseInterrupts();
    finish();
}

void ProgressChannel::finish() {
    if (bar_) bar_->erase();
}

bool ProgressChannel::cancelRequested() const { return interruptCount != 0; }

intptr_t ProgressChannel::receive(void* window, std::uint32_t message, uintptr_t /*wparam*/,
                                  intptr_t lparam) {
    if (window == nullptr || message != kProgressMessage || lparam == 0) return 0;
    auto* channel = static_cast<ProgressChannel*>(window);
    return channel->onReport(*reinterpret_cast<const VlProgressReport*>(lparam));
}

intptr_t ProgressChannel::onReport(const VlProgressReport& report) {
    ++reportsReceived_;
    if (bar_) bar_->show(report);
    // Every report after Ctrl-C answers "cancel", since each reply overwrites the last one.
    return cancelRequested() ? 1 : 0;
}

}  // namespace vl::cli
