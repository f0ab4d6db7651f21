#pragma once
// Up to N child processes at a time, each running one job: a crash, a hang (killed at the
// timeout) or a memory blow-up of one costs that job alone. A child's stdout comes back to the
// pool; its stdin and stderr are /dev/null.

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vl::cli {

using Clock = std::chrono::steady_clock;

struct WorkerEnd {
    enum class How { Exited, Signalled, TimedOut };
    std::size_t job = 0;
    How how = How::Exited;
    int code = 0;      // the exit status, or the signal that ended it
    std::string said;  // what it wrote on stdout (the first few kilobytes)
    std::int64_t milliseconds = 0;
};

class WorkerPool {
public:
    WorkerPool(std::size_t slots, std::chrono::milliseconds timeout);
    ~WorkerPool();  // kills and reaps the children still running
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    bool full() const { return running_.size() >= slots_; }
    bool empty() const { return running_.empty(); }

    // Starts the program argv[0] with `argv` for `job`; the reason when it cannot be started.
    std::optional<std::string> start(std::size_t job, const std::vector<std::string>& argv);

    // Waits at most `longest` for children to end (killing those past the timeout) and returns
    // the ones that ended.
    std::vector<WorkerEnd> collect(std::chrono::milliseconds longest);

    // Kills every child still running; returns their jobs.
    std::vector<std::size_t> killAll();

    // The job that has run longest, and since when.
    std::optional<std::pair<std::size_t, Clock::time_point>> oldest() const;

private:
    struct Child {
        pid_t pid = -1;
        int output = -1;  // read end of its stdout; -1 once it closed it
        std::size_t job = 0;
        Clock::time_point started;
        std::string said;
    };

    int pollTimeout(std::chrono::milliseconds longest) const;
    void readFrom(Child& child);
    WorkerEnd reap(Child& child);
    WorkerEnd killAndReap(Child& child);

    std::size_t slots_;
    std::chrono::milliseconds timeout_;
    std::vector<Child> running_;
};

}  // namespace vl::cli
