#include "platform/parsedhtml.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string_view>
#include <sys/mman.h>
#include <vector>

namespace veldrin::html {

// Gumbo makes millions of small allocations for a large page and frees most of them only at
// the end, node by node. From an arena they cost a pointer bump, lie in document order (so the
// walk afterwards reads memory in sequence), and go all at once, without a walk of the tree.
//
// Gumbo has no way to fail an allocation: where no memory is left, the allocator leaves it by a
// longjmp to the setjmp in parseOrEscape. Nothing gumbo holds then is lost: all of it lies in
// the arena. (A parse is given up by ending its process, which no page can hold up.)
class ParseArena
{
public:
    ParseArena() = default;
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;

    // Between the setjmp and this longjmp lie only gumbo's C frames and this function, which
    // hold nothing that needs destroying.
    static void* allocate(void* arena, size_t bytes)
    {
        auto* self = static_cast<ParseArena*>(arena);
        void* block = self->take(bytes);
        if (!block)
            std::longjmp(self->m_escape, 1);
        return block;
    }
    static void release(void*, void*) { } // everything goes with the arena

    std::jmp_buf& escape() { return m_escape; }

private:
    // Gumbo's structures hold pointers and integers, nothing wider.
    static constexpr size_t alignment = alignof(void*);
    static_assert(alignof(GumboNode) <= alignment && alignof(GumboAttribute) <= alignment
                  && alignof(GumboOutput) <= alignment && alignof(size_t) <= alignment);
    // Blocks grow from a small one, so a small page asks for little, to a size that a large
    // page needs only a dozen of.
    static constexpr size_t firstBlockBytes = 256 * 1024;
    static constexpr size_t largestBlockBytes = 8 * 1024 * 1024;
    static constexpr size_t pageBytes = 4096;
    void* take(size_t bytes)
    {
        bytes = (bytes + alignment - 1) & ~(alignment - 1);
        if (bytes > firstBlockBytes / 4) // a large text or vector: a block of its own
            return newBlock(bytes);
        if (bytes > m_left) {
            m_next = newBlock(m_blockBytes);
            m_left = m_next ? m_blockBytes : 0;
            if (!m_next)
                return nullptr;
            m_blockBytes = std::min(2 * m_blockBytes, largestBlockBytes);
        }
        char* at = m_next;
        m_next += bytes;
        m_left -= bytes;
        return at;
    }

    // A parse runs in a process of its own, which starts with none of this memory: a block
    // faulted in page by page would cost a trap for every 4 KiB of the tree, so it is filled in
    // at once (in pages of 2 MiB where the system gives them).
    char* newBlock(size_t bytes)
    {
        bytes = (bytes + pageBytes - 1) & ~(pageBytes - 1);
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            return nullptr;
        if (bytes >= 2 * 1024 * 1024)
            madvise(block, bytes, MADV_HUGEPAGE);
        madvise(block, bytes, MADV_POPULATE_WRITE); // where it fails, the block fills as it is used
        m_blocks.push_back(Block { static_cast<char*>(block), bytes });
        return static_cast<char*>(block);
    }

    struct Block
    {
        char* start;
        size_t bytes;
    };
    struct Blocks : std::vector<Block>
    {
        Blocks() = default;
        Blocks(const Blocks&) = delete;
        Blocks& operator=(const Blocks&) = delete;
        ~Blocks()
        {
            for (const Block& block : *this)
                munmap(block.start, block.bytes);
        }
    };
    Blocks m_blocks;
    size_t m_blockBytes = firstBlockBytes;
    char* m_next = nullptr;
    size_t m_left = 0;
    std::jmp_buf m_escape {};
};

namespace {

// No value of this function is changed after setjmp, so none is lost by the longjmp.
GumboOutput* parseOrEscape(const GumboOptions* options, const char* utf8, size_t size, std::jmp_buf& escape)
{
    if (setjmp(escape) != 0)
        return nullptr;
    return gumbo_parse_with_options(options, utf8, size);
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c)
{
    if (isAsciiDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Gumbo 0.10.1 adds up the digits of a numeric character reference in an int: past 31 bits the
// sum wraps, and the reference comes out as a stray byte, or swallows the characters after it.
// Every value above U+10FFFF stands for U+FFFD, so the digits of such a reference are written
// as the least of them (hexadecimal 110000, decimal 1114112), padded with leading zeros to keep
// the page's length. None when the page holds none: the page is parsed as it is.
std::optional<std::string> withOversizedReferencesTamed(std::string_view utf8)
{
    std::optional<std::string> tamed;
    const char* const page = utf8.data();
    const size_t size = utf8.size();
    constexpr char32_t firstBeyond = 0x110000;
    for (size_t at = 0; at < size;) {
        const void* found = std::memchr(page + at, '&', size - at);
        if (!found)
            break;
        size_t next = static_cast<const char*>(found) - page + 1;
        at = next;
        if (next >= size || page[next] != '#')
            continue;
        ++next;
        const bool hex = next < size && (page[next] == 'x' || page[next] == 'X');
        if (hex)
            ++next;
        const size_t digits = next;
        const int base = hex ? 16 : 10;
        char32_t value = 0; // saturates at the first value beyond the code space
        for (; next < size; ++next) {
            const int digit = hex ? hexDigitValue(page[next]) : (isAsciiDigit(page[next]) ? page[next] - '0' : -1);
            if (digit < 0)
                break;
            value = std::min<char32_t>(value * base + char32_t(digit), firstBeyond);
        }
        at = next;
        if (value < firstBeyond)
            continue;
        if (!tamed)
            tamed.emplace(utf8);
        const std::string_view least = hex ? "110000" : "1114112";
        char* const written = tamed->data() + digits;
        const size_t length = next - digits; // at least as long as `least`: the value is beyond it
        std::fill(written, written + length - least.size(), '0');
        std::copy(least.begin(), least.end(), written + length - least.size());
    }
    return tamed;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

} // namespace

ParsedHtml::ParsedHtml(std::string_view utf8)
    : m_arena(std::make_unique<ParseArena>())
    , m_tamed(withOversizedReferencesTamed(utf8))
{
    const std::string_view input = m_tamed ? std::string_view(*m_tamed) : utf8;
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &ParseArena::allocate;
    options.deallocator = &ParseArena::release;
    options.userdata = m_arena.get();
    // Gumbo keeps a copy of the open-element stack with every parse error it records, so a
    // page of a few thousand unclosed tags would cost gigabytes. We never read the errors.
    options.max_errors = 0;
    m_output = parseOrEscape(&options, input.data(), input.size(), m_arena->escape());
}

ParsedHtml::~ParsedHtml() = default;

const GumboVector* childrenOf(const GumboNode* node)
{
    switch (node->type) {
    case GUMBO_NODE_DOCUMENT:
        return &node->v.document.children;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        return &node->v.element.children;
    default:
        return nullptr;
    }
}

bool isHtmlElement(const GumboNode* node, GumboTag tag)
{
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag
        && node->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

const char* attributeValue(const GumboNode* node, const char* name)
{
    const GumboVector& attributes = node->v.element.attributes;
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
        if (std::strcmp(attribute->name, name) == 0)
            return attribute->value;
    }
    return nullptr;
}

bool hasAttribute(const GumboNode* node, const char* name)
{
    return attributeValue(node, name) != nullptr;
}

bool equalsAsciiCaseless(std::string_view text, std::string_view lowerCase)
{
    if (text.size() != lowerCase.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (asciiLower(text[i]) != lowerCase[i])
            return false;
    }
    return true;
}

bool tagNameIs(const GumboNode* node, std::string_view lowerCaseName)
{
    GumboStringPiece piece = node->v.element.original_tag;
    if (!piece.data || piece.length == 0)
        return false;
    gumbo_tag_from_original_text(&piece);
    return equalsAsciiCaseless(std::string_view(piece.data, piece.length), lowerCaseName);
}

} // namespace veldrin::html
