#include "platform/pageparse.h"

#include "platform/childwork.h"
#include "platform/innertextwalker.h"
#include "platform/pageparseformat.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veldrin {

namespace {

using pageparse::AnswerHead;
using pageparse::RequestHead;

// What the parser answers: its head, the parts, and the end that shows the answer whole.
void sendResult(ChildOutput& out, const ParseResult& result, Wanted wanted)
{
    const html::DocumentFacts& facts = result.facts;
    AnswerHead head {};
    head.magic = pageparse::magic;
    head.version = pageparse::formatVersion;
    head.wanted = std::uint32_t(wanted);
    head.textUnits = std::uint64_t(result.text.size());
    head.hrefsBytes = std::uint64_t(facts.hrefs.size());
    head.baseHrefBytes = facts.hasBaseHref ? std::uint64_t(facts.baseHref.size()) + 1 : 0;
    head.titleUnits = std::uint64_t(facts.title.size());
    out.write(&head, sizeof head);
    out.write(result.text.constData(), head.textUnits * sizeof(QChar));
    out.write(facts.hrefs.constData(), head.hrefsBytes);
    out.write(facts.baseHref.constData(), head.baseHrefBytes); // with its NUL
    out.write(facts.title.constData(), head.titleUnits * sizeof(QChar));
    out.write(&pageparse::answerEnd, sizeof pageparse::answerEnd);
}

// Whether an answer's head is one of this format, for what was asked, and claims no more than a
// page of `pageBytes` can give.
bool fitsTheRequest(const AnswerHead& head, Wanted wanted, std::uint64_t pageBytes)
{
    if (head.magic != pageparse::magic || head.version != pageparse::formatVersion
        || head.wanted != std::uint32_t(wanted) || head.textUnits > pageparse::maxTextUnits(pageBytes))
        return false;
    if (wanted == Wanted::Text)
        return head.hrefsBytes == 0 && head.baseHrefBytes == 0 && head.titleUnits == 0;
    return head.hrefsBytes <= pageparse::maxHrefBytes(pageBytes)
        && head.baseHrefBytes <= pageparse::maxHrefBytes(pageBytes)
        && head.titleUnits <= pageparse::maxTitleUnits(pageBytes);
}

bool isNulEnded(const QByteArray& strings)
{
    return strings.isEmpty() || strings.back() == '\0';
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
        facts.hrefs = QByteArray(qsizetype(head.hrefsBytes), Qt::Uninitialized);
        facts.baseHref = QByteArray(qsizetype(head.baseHrefBytes), Qt::Uninitialized);
        facts.title = QString(qsizetype(head.titleUnits), Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::uint64_t end = 0;
    if (!child.read(result.text.data(), head.textUnits * sizeof(QChar), stop)
        || !child.read(facts.hrefs.data(), head.hrefsBytes, stop)
        || !child.read(facts.baseHref.data(), head.baseHrefBytes, stop)
        || !child.read(facts.title.data(), head.titleUnits * sizeof(QChar), stop) || !child.read(&end, sizeof end, stop)
        || end != pageparse::answerEnd || !isNulEnded(facts.hrefs) || !isNulEnded(facts.baseHref))
        return std::nullopt;
    facts.hasBaseHref = !facts.baseHref.isEmpty();
    facts.baseHref.chop(1);
    return result;
}

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
    RequestHead request {};
    request.magic = pageparse::magic;
    request.version = pageparse::formatVersion;
    request.wanted = std::uint32_t(wanted);
    request.deadline = stop.deadline == std::chrono::steady_clock::time_point::max()
        ? pageparse::noDeadline
        : std::chrono::duration_cast<std::chrono::nanoseconds>(stop.deadline.time_since_epoch()).count();
    request.pageBytes = std::uint64_t(utf8.size());
    const std::string program = pageParserProgram();
    ChildWork child;
    if (program.empty()
        || !child.start(program, {},
                        { QByteArrayView(reinterpret_cast<const char*>(&request), sizeof request), utf8 })) {
        reportUnstartedParser(program);
        return std::nullopt;
    }
    std::optional<ParseResult> result = receiveResult(child, stop, wanted, request.pageBytes);
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
    RequestHead head {};
    if (bytes.size() < qsizetype(sizeof head))
        return 2;
    std::memcpy(&head, bytes.data(), sizeof head);
    const QByteArrayView page = bytes.sliced(sizeof head);
    if (head.magic != pageparse::magic || head.version != pageparse::formatVersion
        || (head.wanted != std::uint32_t(Wanted::Text) && head.wanted != std::uint32_t(Wanted::WholePage))
        || head.pageBytes != std::uint64_t(page.size()))
        return 2; // a request of another format, or cut short
    const Wanted wanted = Wanted(head.wanted);
    const ParseStop stop { nullptr,
                           std::chrono::steady_clock::time_point(
                               std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::nanoseconds(head.deadline))) };
    const std::optional<ParseResult> result
        = parseHere(page, head.deadline == pageparse::noDeadline ? nullptr : &stop, wanted);
    // What the caller would refuse is not sent: links copied into every paragraph after an open
    // one can pass any bound of the page's size.
    if (!result || std::uint64_t(result->facts.hrefs.size()) > pageparse::maxHrefBytes(head.pageBytes))
        return 1;
    ChildOutput out(output);
    sendResult(out, *result, wanted);
    out.flush();
    return 0;
}

} // namespace veldrin
