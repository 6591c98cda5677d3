#pragma once

#include <csignal>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

namespace veldrin::bench {

// Runs `work` in a child process of its own and returns the value it hands back through a
// pipe: nothing when the child fails, or when it outlasts `timeoutMs` (then it is ended; a
// negative time-out waits for as long as it takes). A child keeps what it allocates, or the
// state it sets up, away from the benchmark and from the next child.
template<class Work> auto valueFromChild(const Work& work, int timeoutMs = -1) -> std::optional<decltype(work())>
{
    using Value = decltype(work());
    static_assert(std::is_trivially_copyable_v<Value>);
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const Value value = work();
        (void)!write(fds[1], &value, sizeof value);
        _exit(0);
    }
    close(fds[1]);
    std::optional<Value> value;
    pollfd ready { fds[0], POLLIN, 0 };
    if (pid > 0 && poll(&ready, 1, timeoutMs) == 1) {
        Value read_ {};
        if (read(fds[0], &read_, sizeof read_) == sizeof read_)
            value = read_;
    } else if (pid > 0) {
        kill(pid, SIGKILL);
    }
    close(fds[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return value;
}

} // namespace veldrin::bench
