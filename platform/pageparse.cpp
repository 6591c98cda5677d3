#include "platform/pageparse.h"

#include "platform/childwork.h"
#include "platform/innertextwalker.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veldrin {

namespace {

// Each part crosses the pipe as its size in bytes, then its bytes.
template<class Container> void send(ChildOutput& out, const Container& part)
{
    const qint64 bytes = part.size() * qint64(sizeof(*part.constData()));
    out.write(&bytes, sizeof bytes);
    out.write(part.constData(), size_t(bytes));
}

template<class Container> bool receive(ChildWork& child, const ParseStop& stop, Container& part)
{
    constexpr qint64 unit = sizeof(*part.constData());
    qint64 bytes = 0;
    if (!child.read(&bytes, sizeof bytes, stop) || bytes < 0 || bytes % unit != 0)
        return false;
    part = Container(qsizetype(bytes / unit), Qt::Uninitialized);
    return child.read(part.data(), size_t(bytes), stop);
}

void sendResult(ChildOutput& out, const ParseResult& result, Wanted wanted)
{
    send(out, result.text);
    if (wanted == Wanted::Text)
        return;
    const char hasBaseHref = result.facts.hasBaseHref ? 1 : 0;
    out.write(&hasBaseHref, 1);
    send(out, result.facts.baseHref);
    send(out, result.facts.title);
    send(out, result.facts.hrefs);
}

std::optional<ParseResult> receiveResult(ChildWork& child, const ParseStop& stop, Wanted wanted)
{
    ParseResult result;
    if (!receive(child, stop, result.text))
        return std::nullopt;
    if (wanted == Wanted::WholePage) {
        html::DocumentFacts& facts = result.facts;
        char hasBaseHref = 0;
        if (!child.read(&hasBaseHref, 1, stop) || !receive(child, stop, facts.baseHref)
            || !receive(child, stop, facts.title) || !receive(child, stop, facts.hrefs))
            return std::nullopt;
        facts.hasBaseHref = hasBaseHref != 0;
    }
    if (!child.finish())
        return std::nullopt;
    return result;
}

// The parser's process is asked, on its standard input, what is wanted ('T' the text, 'P' the
// whole page), then the deadline (steady clock nanoseconds, shared by all processes; the largest
// value for none), then the page.
constexpr qint64 noDeadline = std::numeric_limits<qint64>::max();

// The whole of a descriptor's content: mapped where it is a file, read where it is not. Empty
// where it cannot be read.
class InputBytes
{
public:
    explicit InputBytes(int fd)
    {
        struct stat about;
        if (fstat(fd, &about) == 0 && S_ISREG(about.st_mode) && about.st_size > 0) {
            void* mapped = mmap(nullptr, size_t(about.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped != MAP_FAILED) {
                m_mapped = mapped;
                m_bytes = QByteArrayView(static_cast<const char*>(mapped), qsizetype(about.st_size));
                return;
            }
        }
        char block[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            m_read.append(block, qsizetype(got));
        }
        m_bytes = m_read;
    }
    ~InputBytes()
    {
        if (m_mapped)
            munmap(m_mapped, size_t(m_bytes.size()));
    }
    InputBytes(const InputBytes&) = delete;
    InputBytes& operator=(const InputBytes&) = delete;

    QByteArrayView bytes() const { return m_bytes; }

private:
    void* m_mapped = nullptr;
    QByteArray m_read;
    QByteArrayView m_bytes;
};

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

} // namespace

// Parses in this process: stopped where the parser allocates and during the walks.
std::optional<ParseResult> parseHere(QByteArrayView utf8, const ParseStop* stop, Wanted wanted)
{
    const html::ParsedHtml parsed(utf8, stop);
    std::optional<QString> text = html::renderBody(parsed, utf8.size(), stop);
    if (!text)
        return std::nullopt;
    ParseResult result { std::move(*text), {} };
    if (wanted == Wanted::WholePage) {
        std::optional<html::DocumentFacts> facts = html::collectFacts(parsed, stop);
        if (!facts)
            return std::nullopt;
        result.facts = std::move(*facts);
    }
    return result;
}

std::optional<ParseResult> parseInChild(QByteArrayView utf8, const ParseStop& stop, Wanted wanted)
{
    if (stop.reached())
        return std::nullopt;
    // The child cannot see a later cancel; it is ended for it. The deadline it keeps itself
    // as well, in case its caller is held up.
    const char asked = wanted == Wanted::WholePage ? 'P' : 'T';
    const qint64 deadline = stop.deadline == std::chrono::steady_clock::time_point::max()
        ? noDeadline
        : std::chrono::duration_cast<std::chrono::nanoseconds>(stop.deadline.time_since_epoch()).count();
    const std::string program = pageParserProgram();
    ChildWork child;
    if (program.empty()
        || !child.start(program, {},
                        { QByteArrayView(&asked, 1),
                          QByteArrayView(reinterpret_cast<const char*>(&deadline), sizeof deadline), utf8 })) {
        reportUnstartedParser(program);
        return std::nullopt;
    }
    return receiveResult(child, stop, wanted);
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

void setPageParserProgram(const std::string& program)
{
    NamedProgram& named = namedProgram();
    const std::lock_guard lock(named.mutex);
    named.program = program;
    named.reported = false;
}

int servePageParse(int input, int output)
{
    const InputBytes request(input);
    const QByteArrayView bytes = request.bytes();
    qint64 deadline = noDeadline;
    constexpr qsizetype headerBytes = 1 + sizeof deadline;
    if (bytes.size() < headerBytes || (bytes[0] != 'T' && bytes[0] != 'P'))
        return 2;
    const Wanted wanted = bytes[0] == 'P' ? Wanted::WholePage : Wanted::Text;
    std::memcpy(&deadline, bytes.data() + 1, sizeof deadline);
    const ParseStop stop { nullptr,
                           std::chrono::steady_clock::time_point(
                               std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::nanoseconds(deadline))) };
    const std::optional<ParseResult> result
        = parseHere(bytes.sliced(headerBytes), deadline == noDeadline ? nullptr : &stop, wanted);
    if (!result)
        return 1;
    ChildOutput out(output);
    sendResult(out, *result, wanted);
    out.flush();
    return 0;
}

} // namespace veldrin
