#pragma once

#include "platform/innertext.h"

#include <QByteArrayView>
#include <cstddef>
#include <functional>
#include <sys/types.h>
#include <vector>

namespace veldrin {

// Where work running in a child process writes what it hands back. Buffered: what is written
// is sent at the latest when the work returns.
class ChildOutput
{
public:
    void write(const void* bytes, size_t size);
    void flush();

private:
    friend class ChildWork;
    explicit ChildOutput(int fd);

    static constexpr size_t bufferBytes = 64 * 1024;
    int m_fd;
    size_t m_used = 0;
    std::vector<char> m_buffer;
};

// Work run in a child process forked from the calling thread, its result read back over a pipe
// while the caller watches a stop. Some pages keep the parser busy for many seconds in places
// where it cannot be stopped from inside; a process can always be ended, at once, and with it
// all the memory its parse took.
//
// The child shares the caller's memory as it stood at the fork (so the page is not copied), but
// it is forked from a process with other threads, whose locks may be held forever in its copy:
// the work must use nothing that takes a lock another thread may hold (malloc is safe; Qt's
// strings and containers, which use only malloc, are too; QUrl, the locale, logging, files are
// not). It runs with no descriptor but the standard three and its pipe, so no socket or file of
// the caller is kept open by it, and it dies with the thread that forked it.
class ChildWork
{
public:
    ChildWork() = default;
    ~ChildWork(); // ends a child that is still there, and reaps it
    ChildWork(const ChildWork&) = delete;
    ChildWork& operator=(const ChildWork&) = delete;

    // Forks a child that runs `work` and ends; it has failed where the work returns false or
    // throws. False when no child could be had: nothing has run then.
    bool start(const std::function<bool(ChildOutput&)>& work);

    // The next `size` bytes the child wrote. False once `stop` is reached first, or when the
    // child ended without writing them: the child has then been ended and reaped.
    bool read(void* into, size_t size, const ParseStop& stop);

    // Reaps the child once it has written all it had to: whether its work ran to its end.
    bool finish();

private:
    [[noreturn]] static void runChild(int fd, pid_t parent, const std::function<bool(ChildOutput&)>& work);
    void end();

    static constexpr size_t bufferBytes = 64 * 1024;
    pid_t m_pid = -1;
    int m_fd = -1;
    std::vector<char> m_buffer = std::vector<char>(bufferBytes);
    size_t m_begin = 0; // what of m_buffer is read but not yet handed out
    size_t m_end = 0;
};

} // namespace veldrin
