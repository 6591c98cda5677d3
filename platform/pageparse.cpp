#include "platform/pageparse.h"

#include "platform/childwork.h"
#include "platform/pageparseformat.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <unistd.h>

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

} // namespace

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
                        { std::string_view(reinterpret_cast<const char*>(&request), sizeof request),
                          std::string_view(utf8.data(), size_t(utf8.size())) })) {
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

} // namespace veldrin
