#include "worker_pool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace vl::cli {

namespace {

constexpr std::size_t kMostKept = 4096;  // of a child's stdout

std::int64_t millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Spawns argv with stdout on `output` and stdin and stderr on /dev/null.
int spawn(const std::vector<std::string>& argv, int output, pid_t& pid) {
    std::vector<char*> pointers;
    for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int error = posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

}  // namespace

WorkerPool::WorkerPool(std::size_t slots, std::chrono::milliseconds timeout)
    : slots_(std::max<std::size_t>(slots, 1)), timeout_(timeout) {}

WorkerPool::~WorkerPool() { killAll(); }

std::vector<std::size_t> WorkerPool::killAll() {
    std::vector<std::size_t> jobs;
    for (Child& child : running_) {
        killAndReap(child);
        jobs.push_back(child.job);
    }
    running_.clear();
    return jobs;
}

std::optional<std::string> WorkerPool::start(std::size_t job,
                                             const std::vector<std::string>& argv) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return std::string(std::strerror(errno));
    Child child;
    child.job = job;
    child.started = Clock::now();
    const int error = spawn(argv, ends[1], child.pid);
    close(ends[1]);
    if (error != 0) {
        close(ends[0]);
        return std::string(std::strerror(error));
    }
    child.output = ends[0];
    running_.push_back(std::move(child));
    return std::nullopt;
}

int WorkerPool::pollTimeout(std::chrono::milliseconds longest) const {
    auto wait = longest;
    const Clock::time_point now = Clock::now();
    for (const Child& child : running_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(child.started + timeout_ - now);
        wait = std::min(wait, left + std::chrono::milliseconds(1));
    }
    return static_cast<int>(std::max<std::int64_t>(wait.count(), 0));
}

void WorkerPool::readFrom(Child& child) {
    char buffer[1024];
    const ssize_t got = read(child.output, buffer, sizeof buffer);
    if (got > 0) {
        const std::size_t room = kMostKept - std::min(kMostKept, child.said.size());
        child.said.append(buffer, std::min(static_cast<std::size_t>(got), room));
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        close(child.output);
        child.output = -1;
    }
}

// Waits for the child to end and tells how it did.
WorkerEnd WorkerPool::reap(Child& child) {
    int status = 0;
    pid_t got = 0;
    do {
        got = waitpid(child.pid, &status, 0);
    } while (got < 0 && errno == EINTR);
    WorkerEnd end;
    end.job = child.job;
    end.milliseconds = millisecondsSince(child.started);
    end.said = std::move(child.said);
    if (got > 0 && WIFSIGNALED(status)) {
        end.how = WorkerEnd::How::Signalled;
        end.code = WTERMSIG(status);
    } else {
        end.how = WorkerEnd::How::Exited;
        end.code = got > 0 ? WEXITSTATUS(status) : -1;
    }
    if (child.output >= 0) close(child.output);
    child.output = -1;
    return end;
}

WorkerEnd WorkerPool::killAndReap(Child& child) {
    kill(child.pid, SIGKILL);
    return reap(child);
}

std::vector<WorkerEnd> WorkerPool::collect(std::chrono::milliseconds longest) {
    std::vector<pollfd> watched;
    for (const Child& child : running_) {
        if (child.output >= 0) watched.push_back({child.output, POLLIN, 0});
    }
    if (poll(watched.data(), watched.size(), pollTimeout(longest)) > 0) {
        for (Child& child : running_) {
            const auto found = std::find_if(watched.begin(), watched.end(), [&](const pollfd& p) {
                return p.fd == child.output && p.revents != 0;
            });
            if (found != watched.end()) readFrom(child);
        }
    }
    std::vector<WorkerEnd> ended;
    const Clock::time_point now = Clock::now();
    std::erase_if(running_, [&](Child& child) {
        if (now - child.started >= timeout_) {
            ended.push_back(killAndReap(child));
            ended.back().how = WorkerEnd::How::TimedOut;
        } else if (child.output < 0) {
            // Its stdout closes only as the process ends, so the wait is short.
            ended.push_back(reap(child));
        } else {
            return false;
        }
        return true;
    });
    return ended;
}

std::optional<std::pair<std::size_t, Clock::time_point>> WorkerPool::oldest() const {
    if (running_.empty()) return std::nullopt;
    const auto first = std::min_element(running_.begin(), running_.end(),
        [](const Child& a, const Child& b) { return a.started < b.started; });
    return std::pair{first->job, first->started};
}

}  // namespace vl::cli
