#include "platform/childwork.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace veldrin {

namespace {

// How long the caller waits on its child before it looks at the stop's cancel flag again: the
// most the child runs on after a cancel.
constexpr std::chrono::milliseconds cancelCheckInterval { 5 };

// How long a killed child is waited for before a thread of its own is left to reap it. A killed
// process ends as soon as it leaves the kernel, which takes a moment even for one that has
// gigabytes to give back; only one stuck in the kernel takes longer.
constexpr std::chrono::milliseconds killedChildWait { 1000 };

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

// Whether the process behind `pidfd` ends within `wait`.
bool endsWithin(int pidfd, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ended { pidfd, POLLIN, 0 };
        const int polled = poll(&ended, 1, int(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
        if (polled > 0)
            return true;
        if (polled == 0 || errno != EINTR)
            return false;
    }
}

// glibc 2.36 declares its pidfd wrappers without C linkage; the system calls are used directly.
int openPidfd(pid_t pid)
{
    return int(syscall(SYS_pidfd_open, pid, 0));
}

void killByPidfd(int pidfd)
{
    syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0);
}

// Leaves a killed child that has not ended yet to a thread of its own, which reaps it whenever it
// does. Where no thread can be had, it stays a zombie: reaped by no one, but holding no one.
void reapAlone(pid_t pid)
{
    try {
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    } catch (const std::system_error&) {
    }
}

// Writes all of `bytes` to a descriptor; false where it cannot.
bool writeAll(int fd, const char* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

// The child's standard input: the input in a file in memory, read from its start.
int inputFile(std::initializer_list<std::string_view> input)
{
    const int fd = memfd_create("veldrin-child-input", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    for (std::string_view part : input) {
        if (!writeAll(fd, part.data(), size_t(part.size()))) {
            ::close(fd);
            return -1;
        }
    }
    if (lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
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
            if (!writeAll(m_fd, from, size))
                _exit(1); // the caller is gone
            return;
        }
    }
    std::memcpy(m_buffer.data() + m_used, from, size);
    m_used += size;
}

void ChildOutput::flush()
{
    if (!writeAll(m_fd, m_buffer.data(), m_used))
        _exit(1);
    m_used = 0;
}

bool ChildWork::tieToParent(const char* parentPid)
{
    // The child is no use once the thread waiting for it is gone.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    char* end = nullptr;
    const long parent = std::strtol(parentPid, &end, 10);
    return end != parentPid && *end == '\0' && getppid() == pid_t(parent);
}

bool ChildWork::start(const std::string& program, const std::vector<std::string>& arguments,
                      std::initializer_list<std::string_view> input)
{
    const int inputFd = inputFile(input);
    if (inputFd < 0)
        return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        ::close(inputFd);
        return false;
    }
    fcntl(fds[1], F_SETPIPE_SZ, pipeBytes);

    std::vector<std::string> line { program, std::to_string(getpid()) };
    line.insert(line.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : line)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // Only the standard three reach the child: the input as 0, the pipe as 1, the caller's 2.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputFd, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // The thread's blocked signals and ignored SIGPIPE are the caller's business, not the child's.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signalSet;
    sigemptyset(&signalSet);
    posix_spawnattr_setsigmask(&attributes, &signalSet);
    sigaddset(&signalSet, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signalSet);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(inputFd);
    ::close(fds[1]);
    // Opened before the child can be reaped, so it is the child's for sure.
    const int pidfd = failed == 0 ? openPidfd(pid) : -1;
    if (pidfd < 0) {
        if (failed == 0) { // a child that cannot be waited for within bounds is none to have
            kill(pid, SIGKILL);
            reapAlone(pid);
        }
        ::close(fds[0]);
        return false;
    }
    m_pid = pid;
    m_pidfd = pidfd;
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

void ChildWork::end()
{
    if (m_pid < 0)
        return;
    killByPidfd(m_pidfd);
    if (endsWithin(m_pidfd, killedChildWait))
        waitpid(m_pid, nullptr, 0); // it has ended: this returns at once
    else
        reapAlone(m_pid);
    ::close(m_pidfd);
    m_pidfd = -1;
    m_pid = -1;
}

ChildWork::~ChildWork()
{
    end();
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace veldrin
