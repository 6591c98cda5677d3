#include "platform/childwork.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace veldrin {

namespace {

// How long the caller waits on its child before it looks at the stop's cancel flag again: the
// most the child runs on after a cancel.
constexpr std::chrono::milliseconds cancelCheckInterval { 5 };

// A larger pipe lets a large page's text cross in fewer turns; where the system refuses, the
// usual size only costs more of them.
constexpr int pipeBytes = 1024 * 1024;

int pollTimeoutMs(const ParseStop& stop)
{
    auto wait = cancelCheckInterval;
    if (stop.deadline != std::chrono::steady_clock::time_point::max()) {
        const auto left
            = std::chrono::ceil<std::chrono::milliseconds>(stop.deadline - std::chrono::steady_clock::now());
        wait = std::clamp(left, std::chrono::milliseconds(0), wait);
    }
    return int(wait.count());
}

// Keeps only the standard descriptors and `kept`.
void closeDescriptorsBut(int kept)
{
    if (kept > 3)
        close_range(3, unsigned(kept) - 1, 0);
    close_range(unsigned(kept) + 1, ~0U, 0);
}

} // namespace

ChildOutput::ChildOutput(int fd)
    : m_fd(fd)
    , m_buffer(bufferBytes)
{
}

void ChildOutput::write(const void* bytes, size_t size)
{
    const char* from = static_cast<const char*>(bytes);
    if (m_used + size > bufferBytes) {
        flush();
        // A large block goes straight to the pipe.
        if (size >= bufferBytes) {
            while (size > 0) {
                const ssize_t written = ::write(m_fd, from, size);
                if (written < 0 && errno == EINTR)
                    continue;
                if (written <= 0)
                    _exit(1); // the caller is gone
                from += written;
                size -= size_t(written);
            }
            return;
        }
    }
    std::memcpy(m_buffer.data() + m_used, from, size);
    m_used += size;
}

void ChildOutput::flush()
{
    size_t sent = 0;
    while (sent < m_used) {
        const ssize_t written = ::write(m_fd, m_buffer.data() + sent, m_used - sent);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            _exit(1);
        sent += size_t(written);
    }
    m_used = 0;
}

void ChildWork::runChild(int fd, pid_t parent, const std::function<bool(ChildOutput&)>& work)
{
    // The child is no use once the thread waiting for it is gone.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(1);
    closeDescriptorsBut(fd);
    int status = 1;
    try {
        ChildOutput output(fd);
        if (work(output)) {
            output.flush();
            status = 0;
        }
    } catch (...) {
    }
    // No destructors, atexit handlers or stdio flushes of the caller's copy run here.
    _exit(status);
}

bool ChildWork::start(const std::function<bool(ChildOutput&)>& work)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    fcntl(fds[1], F_SETPIPE_SZ, pipeBytes);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        runChild(fds[1], parent, work);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return false;
    }
    m_pid = pid;
    m_fd = fds[0];
    return true;
}

bool ChildWork::read(void* into, size_t size, const ParseStop& stop)
{
    char* to = static_cast<char*>(into);
    while (size > 0) {
        if (m_end > m_begin) {
            const size_t taken = std::min(size, m_end - m_begin);
            std::memcpy(to, m_buffer.data() + m_begin, taken);
            m_begin += taken;
            to += taken;
            size -= taken;
            continue;
        }
        if (m_pid < 0 || stop.reached()) {
            end();
            return false;
        }
        pollfd ready { m_fd, POLLIN, 0 };
        const int polled = poll(&ready, 1, pollTimeoutMs(stop));
        if (polled == 0 || (polled < 0 && errno == EINTR))
            continue;
        // A large block is read straight into its place.
        const bool direct = size >= bufferBytes;
        const ssize_t got = polled < 0 ? -1 : ::read(m_fd, direct ? to : m_buffer.data(), direct ? size : bufferBytes);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) { // the child ended early, or the pipe broke
            end();
            return false;
        }
        if (direct) {
            to += got;
            size -= size_t(got);
        } else {
            m_begin = 0;
            m_end = size_t(got);
        }
    }
    return true;
}

bool ChildWork::finish()
{
    if (m_pid < 0)
        return false;
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(m_pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    m_pid = -1;
    return reaped > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ChildWork::end()
{
    if (m_pid < 0)
        return;
    kill(m_pid, SIGKILL);
    finish();
}

ChildWork::~ChildWork()
{
    end();
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace veldrin
