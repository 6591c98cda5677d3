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
#include <sys/socket.h>
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

std::optional<StartedProcess> startProcess(const std::string& program, const std::vector<std::string>& arguments,
                                           int input, int output)
{
    std::vector<std::string> line = arguments;
    std::vector<char*> argv;
    for (std::string& word : line)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
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
    if (failed != 0)
        return std::nullopt;
    const int pidfd = openPidfd(pid);
    if (pidfd < 0) { // a child that cannot be waited for within bounds is none to have
        kill(pid, SIGKILL);
        reapAlone(pid);
        return std::nullopt;
    }
    return StartedProcess { pid, pidfd };
}

void endProcess(int pidfd, pid_t ownChild, std::chrono::milliseconds grace)
{
    if (grace.count() == 0 || !endsWithin(pidfd, grace))
        killByPidfd(pidfd);
    if (ownChild >= 0) {
        if (endsWithin(pidfd, killedChildWait))
            waitpid(ownChild, nullptr, 0); // it has ended: this returns at once
        else
            reapAlone(ownChild);
    } else {
        endsWithin(pidfd, killedChildWait);
    }
    ::close(pidfd);
}

bool hasEnded(int pidfd)
{
    return endsWithin(pidfd, std::chrono::milliseconds(0));
}

bool awaitReadable(int fd, const ParseStop& stop)
{
    for (;;) {
        if (stop.reached())
            return false;
        pollfd ready { fd, POLLIN, 0 };
        const int polled = poll(&ready, 1, pollTimeoutMs(stop));
        if (polled > 0 || (polled < 0 && errno != EINTR))
            return true; // what there is to read, or why not, the read tells
    }
}

int memoryFileOf(std::initializer_list<std::string_view> parts)
{
    const int fd = memfd_create("veldrin-child-input", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    for (std::string_view part : parts) {
        if (!writeAll(fd, part.data(), part.size())) {
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

namespace {

constexpr int mostDescriptors = 4;

// A message of one byte, with room for descriptors beside it.
struct OneByteMessage
{
    explicit OneByteMessage(size_t controlBytes)
    {
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = controlBytes;
    }
    OneByteMessage(const OneByteMessage&) = delete; // points into itself
    OneByteMessage& operator=(const OneByteMessage&) = delete;

    char byte = 0;
    iovec part { &byte, 1 };
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * mostDescriptors)] {};
    msghdr header {};
};

} // namespace

bool sendDescriptors(int socket, const int* fds, int count)
{
    if (count < 1 || count > mostDescriptors)
        return false;
    OneByteMessage message(CMSG_SPACE(sizeof(int) * size_t(count)));
    cmsghdr* header = CMSG_FIRSTHDR(&message.header);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int) * size_t(count));
    std::memcpy(CMSG_DATA(header), fds, sizeof(int) * size_t(count));
    for (;;) {
        const ssize_t sent = sendmsg(socket, &message.header, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent == 1)
            return true;
        if (sent < 0 && errno == EINTR)
            continue;
        return false;
    }
}

int receiveDescriptors(int socket, int* fds, int most)
{
    OneByteMessage message(CMSG_SPACE(sizeof(int) * mostDescriptors));
    ssize_t got;
    do
        got = recvmsg(socket, &message.header, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return -1;
    int count = 0;
    bool tooMany = (message.header.msg_flags & MSG_CTRUNC) != 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message.header); header; header = CMSG_NXTHDR(&message.header, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        const int n = int((header->cmsg_len - CMSG_LEN(0)) / sizeof(int));
        for (int i = 0; i < n; ++i) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(header) + sizeof(int) * size_t(i), sizeof fd);
            if (count < most)
                fds[count++] = fd;
            else {
                ::close(fd);
                tooMany = true;
            }
        }
    }
    if (got == 0 || tooMany) {
        for (int i = 0; i < count; ++i)
            ::close(fds[i]);
        return -1;
    }
    return count;
}

ChildWork::ChildWork(int pidfd, int output, pid_t ownChild)
    : m_pidfd(pidfd)
    , m_fd(output)
    , m_ownChild(ownChild)
{
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
        if (m_pidfd < 0 || stop.reached()) {
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
    if (m_pidfd < 0)
        return;
    endProcess(m_pidfd, m_ownChild);
    m_pidfd = -1;
}

ChildWork::~ChildWork()
{
    end();
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace veldrin
