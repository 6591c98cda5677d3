#include "platform/pageparse.h"

#include "platform/childwork.h"
#include "platform/pageparseformat.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace veldrin {

namespace {

using pageparse::AnswerHead;
using pageparse::RequestHead;

// Whether an answer's head is one of this format, for what was asked, and claims no more than a
// page of `pageBytes` can give.
bool fitsTheRequest(const AnswerHead& head, Wanted wanted, std::uint64_t pageBytes)
{
    if (head.magic != pageparse::magic || head.version != pageparse::formatVersion
        || head.wanted != std::uint32_t(wanted) || head.textUnits > pageparse::maxTextUnits(pageBytes))
        return false;
    if (wanted == Wanted::Text)
        return head.hrefsBytes == 0 && head.baseHrefBytes == 0 && head.titleBytes == 0;
    const std::uint64_t most = pageparse::maxFactBytes(pageBytes);
    return head.hrefsBytes <= most && head.baseHrefBytes <= most && head.titleBytes <= most;
}

bool isNulEnded(const std::string& strings)
{
    return strings.empty() || strings.back() == '\0';
}

// The parser's answer to a request for a page of `pageBytes`, read as input from outside: no
// value for one of another format, one that claims more than the page can give (nothing is
// allocated for it), one cut short, and where memory runs out.
std::optional<ParseResult> receiveResult(ChildWork& child, const ParseStop& stop, Wanted wanted,
                                         std::uint64_t pageBytes)
{
    AnswerHead head {};
    if (!child.read(&head, sizeof head, stop) || !fitsTheRequest(head, wanted, pageBytes))
        return std::nullopt;
    ParseResult result;
    html::DocumentFacts& facts = result.facts;
    try {
        result.text = QString(qsizetype(head.textUnits), Qt::Uninitialized);
        facts.hrefs.resize(head.hrefsBytes);
        facts.baseHref.resize(head.baseHrefBytes);
        facts.titlePieces.resize(head.titleBytes);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::uint64_t end = 0;
    if (!child.read(result.text.data(), head.textUnits * sizeof(QChar), stop)
        || !child.read(facts.hrefs.data(), head.hrefsBytes, stop)
        || !child.read(facts.baseHref.data(), head.baseHrefBytes, stop)
        || !child.read(facts.titlePieces.data(), head.titleBytes, stop) || !child.read(&end, sizeof end, stop)
        || end != pageparse::answerEnd || !isNulEnded(facts.hrefs) || !isNulEnded(facts.baseHref)
        || !isNulEnded(facts.titlePieces))
        return std::nullopt;
    facts.hasBaseHref = !facts.baseHref.empty();
    if (facts.hasBaseHref)
        facts.baseHref.pop_back();
    return result;
}

constexpr const char* parserName = "veldrin-pageparse";

// The parser named by setPageParserProgram, which may be called before main(), and whether it
// was said that the parser could not be started.
struct NamedProgram
{
    std::mutex mutex;
    std::string program; // guarded by mutex
    bool reported = false; // whether the parser could not be started was said; guarded by mutex
};

NamedProgram& namedProgram()
{
    static NamedProgram named;
    return named;
}

std::string besideThisProgram(const char* name)
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    std::string beside(path, size_t(length));
    const size_t slash = beside.rfind('/');
    if (slash == std::string::npos)
        return {};
    beside.resize(slash + 1);
    return beside + name;
}

// Says on the standard error that the parser could not be started, once for each program named
// (or the one beside the program): the program then reads no page at all, and its user should
// learn why.
void reportUnstartedParser(const std::string& program)
{
    NamedProgram& named = namedProgram();
    {
        const std::lock_guard lock(named.mutex);
        if (named.reported)
            return;
        named.reported = true;
    }
    if (program.empty()) {
        std::fprintf(stderr, "veldrin: could not start the page parser %s: the program's own folder is unknown\n",
                     parserName);
        return;
    }
    const int missing = access(program.c_str(), X_OK) == 0 ? 0 : errno;
    std::fprintf(stderr, "veldrin: could not start the page parser %s%s%s\n", program.c_str(), missing ? ": " : "",
                 missing ? std::strerror(missing) : "");
}

// A descriptor closed when it goes out of scope, unless handed on.
class OwnedFd
{
public:
    explicit OwnedFd(int fd = -1)
        : m_fd(fd)
    {
    }
    ~OwnedFd() { reset(); }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset()
    {
        if (m_fd >= 0)
            ::close(std::exchange(m_fd, -1));
    }

private:
    int m_fd;
};

// How soon a running parser's program takes a request: a fork of a small process. One that has
// not, this long after it was asked and by the stop of the parse that asked, takes no more.
constexpr std::chrono::milliseconds requestTakenWithin { 100 };

// How long the parser's program is given to end by itself when it is done with (endPageParser):
// it reaps what has ended and leaves at once.
constexpr std::chrono::milliseconds endingByItselfWithin { 100 };

// A larger pipe lets a large page's text cross in fewer turns; where the system refuses, the
// usual size only costs more of them.
constexpr int answerPipeBytes = 1024 * 1024;

// The parser's program while it runs (servePageParses): started for the first page, and again
// where it has ended, takes no requests, or another program was named. Safe from any thread. A
// process forked from this one starts a parser of its own, and leaves this one's alone.
class ParserServer
{
public:
    static ParserServer& instance()
    {
        // Never destroyed: a worker thread may still ask as the program ends.
        static ParserServer* server = new ParserServer;
        return *server;
    }

    struct Asked
    {
        std::uint64_t server; // which of the programs started was asked
        std::chrono::steady_clock::time_point at;
    };

    // Hands `program` a request: its file, the caller's socket for the page's process to say
    // which process it is, the answer's pipe. No value where no parser could be started, or
    // none takes the request.
    std::optional<Asked> ask(const std::string& program, int request, int hello, int answer)
    {
        const std::lock_guard lock(m_mutex);
        const int fds[3] { request, hello, answer };
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (m_pidfd >= 0 && (m_program != program || hasEnded(m_pidfd)))
                endLocked();
            if (m_pidfd < 0 && !startLocked(program))
                return std::nullopt;
            if (sendDescriptors(m_control, fds, 3))
                return Asked { m_started, std::chrono::steady_clock::now() };
            endLocked(); // it takes no more requests: another is started
        }
        return std::nullopt;
    }

    // No page's process answered the request by the stop: the program is ended where it has
    // not taken it for long, and the next page starts another.
    void noWordOn(const Asked& asked)
    {
        const std::lock_guard lock(m_mutex);
        if (asked.server == m_started && std::chrono::steady_clock::now() - asked.at >= requestTakenWithin)
            endLocked();
    }

    pid_t process()
    {
        const std::lock_guard lock(m_mutex);
        return m_pid;
    }

    void end()
    {
        const std::lock_guard lock(m_mutex);
        endLocked(endingByItselfWithin);
    }

private:
    ParserServer()
    {
        pthread_atfork([] { instance().m_mutex.lock(); }, [] { instance().m_mutex.unlock(); },
                       [] {
                           ParserServer& self = instance();
                           if (self.m_pidfd >= 0) {
                               ::close(self.m_control);
                               ::close(self.m_pidfd);
                           }
                           self.m_pidfd = -1;
                           self.m_pid = -1;
                           self.m_control = -1;
                           self.m_mutex.unlock();
                       });
    }

    bool startLocked(const std::string& program)
    {
        int control[2];
        if (program.empty() || socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, control) != 0) {
            reportUnstartedParser(program);
            return false;
        }
        const std::optional<StartedProcess> started = startProcess(program, { program }, control[1], -1);
        ::close(control[1]);
        if (!started) {
            ::close(control[0]);
            reportUnstartedParser(program);
            return false;
        }
        m_program = program;
        m_pid = started->pid;
        m_pidfd = started->pidfd;
        m_control = control[0];
        ++m_started;
        return true;
    }

    // Closing its socket ends the program by itself, and the pages' processes with it, once it
    // has reaped those that ended (so their use of the machine is counted where it is reaped).
    // Given `grace` to do so, else killed at once: one that takes no requests would only hold
    // its caller up.
    void endLocked(std::chrono::milliseconds grace = {})
    {
        if (m_pidfd < 0)
            return;
        ::close(m_control);
        endProcess(m_pidfd, m_pid, grace);
        m_pidfd = -1;
        m_pid = -1;
        m_control = -1;
    }

    std::mutex m_mutex;
    std::string m_program;
    pid_t m_pid = -1;
    int m_pidfd = -1;
    int m_control = -1;
    std::uint64_t m_started = 0; // how many programs were started
};

} // namespace

std::optional<ParseResult> parseInChild(QByteArrayView utf8, const ParseStop& stop, Wanted wanted)
{
    if (stop.reached())
        return std::nullopt;
    // The page's process cannot see a later cancel; it is ended for it. The deadline it keeps
    // itself as well, in case its caller is held up.
    RequestHead head {};
    head.magic = pageparse::magic;
    head.version = pageparse::formatVersion;
    head.wanted = std::uint32_t(wanted);
    head.deadline = stop.deadline == std::chrono::steady_clock::time_point::max()
        ? pageparse::noDeadline
        : std::chrono::duration_cast<std::chrono::nanoseconds>(stop.deadline.time_since_epoch()).count();
    head.pageBytes = std::uint64_t(utf8.size());
    const OwnedFd request(memoryFileOf({ std::string_view(reinterpret_cast<const char*>(&head), sizeof head),
                                         std::string_view(utf8.data(), size_t(utf8.size())) }));
    int hello[2];
    if (request.get() < 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, hello) != 0)
        return std::nullopt;
    OwnedFd helloHere(hello[0]);
    OwnedFd helloThere(hello[1]);
    int answer[2];
    if (pipe2(answer, O_CLOEXEC) != 0)
        return std::nullopt;
    OwnedFd answerHere(answer[0]);
    OwnedFd answerThere(answer[1]);
    fcntl(answerThere.get(), F_SETPIPE_SZ, answerPipeBytes);

    ParserServer& server = ParserServer::instance();
    const std::optional<ParserServer::Asked> asked
        = server.ask(pageParserProgram(), request.get(), helloThere.get(), answerThere.get());
    if (!asked)
        return std::nullopt;
    // Only the page's process holds the other ends now: where it ends, they close.
    helloThere.reset();
    answerThere.reset();
    int pidfd = -1;
    if (!awaitReadable(helloHere.get(), stop) || receiveDescriptors(helloHere.get(), &pidfd, 1) != 1) {
        if (stop.reached())
            server.noWordOn(*asked);
        return std::nullopt;
    }
    ChildWork child(pidfd, answerHere.release());
    std::optional<ParseResult> result = receiveResult(child, stop, wanted, head.pageBytes);
    child.end();
    return result;
}

std::string pageParserProgram()
{
    NamedProgram& named = namedProgram();
    const std::lock_guard lock(named.mutex);
    if (!named.program.empty())
        return named.program;
    // Where a copy of the program stands without its parser, pages cannot be read; no other
    // folder is looked in, where a parser of another build, or of someone else, could stand.
    static const std::string beside = besideThisProgram(parserName);
    return beside;
}

pid_t pageParserProcess()
{
    return ParserServer::instance().process();
}

void endPageParser()
{
    ParserServer::instance().end();
}

void setPageParserProgram(const std::string& program)
{
    NamedProgram& named = namedProgram();
    const std::lock_guard lock(named.mutex);
    named.program = program;
    named.reported = false;
}

} // namespace veldrin
