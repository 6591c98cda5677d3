#pragma once

#include "platform/parsestop.h"

#include <chrono>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Processes of the program's own that do work for it: started, handed their input, read back
// while the caller watches a stop, and ended. Some pages keep the parser busy for many seconds
// in places where it cannot be stopped from inside; a process can always be ended, at once, and
// with it all the memory its work took. No wait for a process here is unbounded.
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

struct StartedProcess
{
    pid_t pid = -1;
    int pidfd = -1; // opened before the child could be reaped: it is the child's for sure
};

// Starts `program` with `arguments` (its name first) as its command line, `input` as its
// standard input, `output` as its standard output (-1: none to write to), the caller's
// standard error, no other descriptor of the caller's (no socket or file of the caller is kept
// open by it) and the signals of a new program. The child is spawned, not forked: the caller's
// memory is neither copied nor shared copy on write, so a large caller pays nothing for it, and
// the child runs as a program of its own, free of the caller's locks. No value where no
// process could be had.
std::optional<StartedProcess> startProcess(const std::string& program, const std::vector<std::string>& arguments,
                                           int input, int output);

// Ends the process behind `pidfd`, whatever it is doing, once `grace` has passed without its
// ending by itself, waits for its end and closes `pidfd`; one that is the caller's own child
// (`ownChild`, else -1) is reaped. A killed process is gone within moments; it is waited for a
// second at the most, and a child still there then is reaped by a thread of its own.
void endProcess(int pidfd, pid_t ownChild, std::chrono::milliseconds grace = {});

// Whether the process behind `pidfd` has ended.
bool hasEnded(int pidfd);

// Waits until `fd` has something to read, or its other end is closed: false once `stop` is
// reached first.
bool awaitReadable(int fd, const ParseStop& stop);

// A file in memory holding `parts` one after the other, read from its start: a child is handed
// its input whole, and the caller never waits for the child to take it. -1 where none can be
// had.
int memoryFileOf(std::initializer_list<std::string_view> parts);

// Sends `count` descriptors (at most four) with one byte over a Unix socket, without waiting:
// false where they cannot be sent now (the other end is gone, or takes nothing more).
bool sendDescriptors(int socket, const int* fds, int count);

// The descriptors that came with the next message of a Unix socket, close-on-exec, into `fds`:
// how many; -1 at the socket's end, on an error, or where more than `most` came (all closed).
int receiveDescriptors(int socket, int* fds, int most);

// A process at work for the caller, whose result is read while the caller watches a stop.
class ChildWork
{
public:
    // Takes over `pidfd`, with which the process is ended and seen to end, and `output`, where
    // it writes. `ownChild` where it is the caller's own child, to reap; -1 where its own
    // parent reaps it.
    ChildWork(int pidfd, int output, pid_t ownChild = -1);
    ~ChildWork(); // ends the process where it is still there
    ChildWork(const ChildWork&) = delete;
    ChildWork& operator=(const ChildWork&) = delete;

    // The next `size` bytes the process wrote. False once `stop` is reached first, or when it
    // ended without writing them: it has then been ended.
    bool read(void* into, size_t size, const ParseStop& stop);

    // Ends the process, whatever it is doing (endProcess): once all it had to say has been
    // read, what it does after that is no business of the caller's.
    void end();

private:
    static constexpr size_t bufferBytes = 64 * 1024;
    int m_pidfd;
    int m_fd;
    pid_t m_ownChild;
    std::vector<char> m_buffer = std::vector<char>(bufferBytes);
    size_t m_begin = 0; // what of m_buffer is read but not yet handed out
    size_t m_end = 0;
};

} // namespace veldrin
