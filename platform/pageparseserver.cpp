#include "platform/pageparseserver.h"

#include "platform/childwork.h"
#include "platform/parsedhtml.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>

namespace veldrin::pageparse {

namespace {

// A request file's content, mapped whole; empty where it cannot be.
class MappedFile
{
public:
    explicit MappedFile(int fd)
    {
        struct stat about;
        if (fstat(fd, &about) != 0 || about.st_size <= 0)
            return;
        void* mapped = mmap(nullptr, size_t(about.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (mapped == MAP_FAILED)
            return;
        m_bytes = std::string_view(static_cast<const char*>(mapped), size_t(about.st_size));
    }
    ~MappedFile()
    {
        if (!m_bytes.empty())
            munmap(const_cast<char*>(m_bytes.data()), m_bytes.size());
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view bytes() const { return m_bytes; }

private:
    std::string_view m_bytes;
};

// The text in memory of the parser's own, which it never gives back: its process ends once the
// answer is sent. In huge pages where the system gives them: every page of a process that has
// just begun is new to it, and costs a fault of its own where it is not one of a few large
// ones.
class HeapText final : public html::TextStorage
{
public:
    HeapText() = default;
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;
    ~HeapText() override
    {
        if (m_units)
            munmap(m_units, m_bytes);
    }

    char16_t* resize(std::size_t units) override
    {
        constexpr std::size_t pageBytes = 4096;
        const std::size_t bytes
            = (std::max<std::size_t>(units, 1) * sizeof(char16_t) + pageBytes - 1) & ~(pageBytes - 1);
        if (bytes <= m_bytes)
            return m_units;
        void* grown = m_units ? mremap(m_units, m_bytes, bytes, MREMAP_MAYMOVE)
                              : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (grown == MAP_FAILED)
            throw std::bad_alloc();
        madvise(grown, bytes, MADV_HUGEPAGE);
        m_units = static_cast<char16_t*>(grown);
        m_bytes = bytes;
        return m_units;
    }

    const char16_t* units() const { return m_units; }

private:
    char16_t* m_units = nullptr;
    std::size_t m_bytes = 0;
};

// Has the process killed at `deadline` (steady-clock nanoseconds). Its caller ends it at the
// stop; this holds where the caller is held up. A timer costs the parse nothing, where looking
// at the clock as it goes would cost it a fiftieth of its time.
bool endsAt(std::int64_t deadline)
{
    sigevent kill {};
    kill.sigev_notify = SIGEV_SIGNAL;
    kill.sigev_signo = SIGKILL;
    timer_t timer;
    if (timer_create(CLOCK_MONOTONIC, &kill, &timer) != 0)
        return false;
    itimerspec at {};
    at.it_value.tv_sec = time_t(std::max<std::int64_t>(deadline, 1) / 1000000000);
    at.it_value.tv_nsec = long(std::max<std::int64_t>(deadline, 1) % 1000000000);
    return timer_settime(timer, TIMER_ABSTIME, &at, nullptr) == 0;
}

// The answer: its head, the parts, and the end that shows it whole.
void sendAnswer(ChildOutput& out, Wanted wanted, const HeapText& text, const ParsedPage& page)
{
    const html::DocumentFacts& facts = page.facts;
    AnswerHead head {};
    head.magic = magic;
    head.version = formatVersion;
    head.wanted = std::uint32_t(wanted);
    head.textUnits = page.textUnits;
    head.hrefsBytes = facts.hrefs.size();
    head.baseHrefBytes = facts.hasBaseHref ? facts.baseHref.size() + 1 : 0;
    head.titleBytes = facts.titlePieces.size();
    out.write(&head, sizeof head);
    out.write(text.units(), head.textUnits * sizeof(char16_t));
    out.write(facts.hrefs.data(), head.hrefsBytes);
    out.write(facts.baseHref.c_str(), head.baseHrefBytes); // with its NUL
    out.write(facts.titlePieces.data(), head.titleBytes);
    out.write(&answerEnd, sizeof answerEnd);
}

} // namespace

std::optional<ParsedPage> parsePage(std::string_view utf8, Wanted wanted, html::TextStorage& text)
{
    const html::ParsedHtml parsed(utf8);
    const std::optional<std::size_t> units = html::renderBody(parsed, utf8.size(), text);
    if (!units)
        return std::nullopt;
    ParsedPage page { *units, {} };
    if (wanted == Wanted::WholePage)
        page.facts = html::collectFacts(parsed);
    return page;
}

int servePageParse(int request, int answer)
{
    const MappedFile file(request);
    const std::string_view bytes = file.bytes();
    RequestHead head {};
    if (bytes.size() < sizeof head)
        return 2;
    std::memcpy(&head, bytes.data(), sizeof head);
    const std::string_view page = bytes.substr(sizeof head);
    if (head.magic != magic || head.version != formatVersion
        || (head.wanted != std::uint32_t(Wanted::Text) && head.wanted != std::uint32_t(Wanted::WholePage))
        || head.pageBytes != page.size())
        return 2;
    if (head.deadline != noDeadline && !endsAt(head.deadline))
        return 1;
    const Wanted wanted = Wanted(head.wanted);
    HeapText text;
    std::optional<ParsedPage> parsed;
    try {
        parsed = parsePage(page, wanted, text);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    // What the caller would refuse is not sent: links copied into every paragraph after an open
    // one can pass any bound of the page's size.
    if (!parsed || parsed->facts.hrefs.size() > maxFactBytes(head.pageBytes)
        || parsed->facts.titlePieces.size() > maxFactBytes(head.pageBytes))
        return 1;
    ChildOutput out(answer);
    sendAnswer(out, wanted, text, *parsed);
    out.flush();
    return 0;
}

namespace {

// The first thing a page's process does: it dies with the program, and tells its caller which
// process it is, so the caller can end it and see it end.
int servePageIn(pid_t server, int request, int hello, int answer, int (*servePage)(int, int))
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != server)
        return 1;
    const int self = int(syscall(SYS_pidfd_open, getpid(), 0));
    if (self < 0 || !sendDescriptors(hello, &self, 1))
        return 1;
    ::close(self);
    ::close(hello);
    return servePage(request, answer);
}

void reapEnded()
{
    while (waitpid(-1, nullptr, WNOHANG) > 0) { }
}

} // namespace

int servePageParses(int control, int (*servePage)(int request, int answer))
{
    // Ended pages' processes are reaped as they end, and counted in this process's children's
    // use of the machine, where whoever reaps it finds them.
    sigset_t childEnded;
    sigemptyset(&childEnded);
    sigaddset(&childEnded, SIGCHLD);
    sigset_t before;
    sigprocmask(SIG_BLOCK, &childEnded, &before);
    const int ended = signalfd(-1, &childEnded, SFD_CLOEXEC | SFD_NONBLOCK);
    if (ended < 0)
        return 1;
    const pid_t server = getpid();
    for (;;) {
        pollfd ready[2] { { control, POLLIN, 0 }, { ended, POLLIN, 0 } };
        if (poll(ready, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        if (ready[1].revents != 0) {
            signalfd_siginfo signal;
            while (::read(ended, &signal, sizeof signal) > 0) { }
            reapEnded();
        }
        if (ready[0].revents == 0)
            continue;
        int fds[3];
        const int received = receiveDescriptors(control, fds, 3);
        if (received < 0) { // the caller is gone, or done with this program
            reapEnded();
            return 0;
        }
        if (received == 3) {
            const pid_t page = fork();
            if (page == 0) {
                sigprocmask(SIG_SETMASK, &before, nullptr);
                ::close(control);
                ::close(ended);
                _exit(servePageIn(server, fds[0], fds[1], fds[2], servePage));
            }
            // Where no process can be had, the caller finds its socket closed without a word.
        }
        for (int i = 0; i < received; ++i)
            ::close(fds[i]);
    }
}

} // namespace veldrin::pageparse
