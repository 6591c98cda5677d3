#include "platform/pageparseserver.h"

#include "platform/childwork.h"
#include "platform/parsedhtml.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
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
// answer is sent.
class HeapText final : public html::TextStorage
{
public:
    HeapText() = default;
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;
    ~HeapText() override { std::free(m_units); }

    char16_t* resize(std::size_t units) override
    {
        void* grown = std::realloc(m_units, std::max<std::size_t>(units, 1) * sizeof(char16_t));
        if (!grown)
            throw std::bad_alloc();
        m_units = static_cast<char16_t*>(grown);
        return m_units;
    }

    const char16_t* units() const { return m_units; }

private:
    char16_t* m_units = nullptr;
};

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

std::optional<ParsedPage> parsePage(std::string_view utf8, const ParseStop* stop, Wanted wanted,
                                    html::TextStorage& text)
{
    const html::ParsedHtml parsed(utf8, stop);
    const std::optional<std::size_t> units = html::renderBody(parsed, utf8.size(), stop, text);
    if (!units)
        return std::nullopt;
    ParsedPage page { *units, {} };
    if (wanted == Wanted::WholePage) {
        std::optional<html::DocumentFacts> facts = html::collectFacts(parsed, stop);
        if (!facts)
            return std::nullopt;
        page.facts = std::move(*facts);
    }
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
    const Wanted wanted = Wanted(head.wanted);
    const ParseStop stop { nullptr,
                           std::chrono::steady_clock::time_point(
                               std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::nanoseconds(head.deadline))) };
    HeapText text;
    std::optional<ParsedPage> parsed;
    try {
        parsed = parsePage(page, head.deadline == noDeadline ? nullptr : &stop, wanted, text);
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

} // namespace veldrin::pageparse
