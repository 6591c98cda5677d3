#pragma once

#include "platform/parsestop.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace veldrin {

// Where a child process writes what it hands back to its caller. Buffered: what is written is
// sent at the latest by flush(). Where the caller is gone, the child ends.
class ChildOutput
{
public:
    explicit ChildOutput(int fd);

    void write(const void* bytes, size_t size);
    void flush();

private:
    static constexpr size_t bufferBytes = 64 * 1024;
    int m_fd;
    size_t m_used = 0;
    std::vector<char> m_buffer;
};

// A program of ours run as a child process, its input handed over whole as its standard input
// and its result read back from its standard output while the caller watches a stop. Some
// pages keep the parser busy for many seconds in places where it cannot be stopped from
// inside; a process can always be ended, at once, and with it all the memory its parse took.
//
// The child is spawned, not forked: the caller's memory is neither copied nor shared copy on
// write, so a large caller pays nothing for it in its own pages afterwards, and the child runs
// as a program of its own, free of the caller's locks. It is given no descriptor of the
// caller's but its standard input, output and error, so no socket or file of the caller is kept
// open by it, and it dies with the thread that started it (see tieToParent).
class ChildWork
{
public:
    ChildWork() = default;
    ~ChildWork(); // ends a child that is still there, and reaps it
    ChildWork(const ChildWork&) = delete;
    ChildWork& operator=(const ChildWork&) = delete;

    // Starts `program` with the caller's process id, then `arguments`, as its command line, and
    // the parts of `input` one after the other as its standard input (a file in memory: the
    // caller never waits for the child to take it). False when no child could be had: nothing
    // runs then.
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               std::initializer_list<std::string_view> input);

    // The next `size` bytes the child wrote. False once `stop` is reached first, or when the
    // child ended without writing them: the child has then been ended and reaped.
    bool read(void* into, size_t size, const ParseStop& stop);

    // Ends the child, whatever it is doing, and reaps it: once all it had to say has been read
    // (what it does after that is no business of the caller's), or when nothing more is wanted
    // of it. A killed child is gone within moments; it is waited for a second at the most, and
    // one still there then is reaped by a thread of its own, so no wait for a child is unbounded.
    void end();

    // First thing in a child's main, given its first argument: has the child killed when the
    // thread that started it ends, and tells whether its caller is still there to be served
    // (false: it was gone before the child could arrange that, and the child should end).
    static bool tieToParent(const char* parentPid);

private:
    static constexpr size_t bufferBytes = 64 * 1024;
    pid_t m_pid = -1;
    int m_pidfd = -1; // to see the child end without reaping it
    int m_fd = -1;
    std::vector<char> m_buffer = std::vector<char>(bufferBytes);
    size_t m_begin = 0; // what of m_buffer is read but not yet handed out
    size_t m_end = 0;
};

} // namespace veldrin
