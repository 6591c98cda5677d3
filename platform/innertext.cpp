#include "platform/innertext.h"

#include "platform/childwork.h"
#include "platform/pageparse.h"
#include "platform/utf8.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <gumbo.h>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace veldrin {

bool ParseStop::reached() const
{
    if (cancel && cancel->load(std::memory_order_relaxed))
        return true;
    return deadline != std::chrono::steady_clock::time_point::max() && std::chrono::steady_clock::now() >= deadline;
}

namespace {

std::atomic<int> parsesRunning { 0 };

// ---------------------------------------------------------------------------------------------
// Parsing

// Gumbo makes millions of small allocations for a large page and frees most of them only at
// the end, node by node. From an arena they cost a pointer bump, lie in document order (so the
// walk afterwards reads memory in sequence), and go all at once, without a walk of the tree.
//
// The arena is also where a parse is given up: gumbo has no way to be stopped, but it asks for
// memory at every tag and every run of text, so the allocator leaves it by a longjmp to the
// setjmp in parseOrEscape once the stop is reached (or no memory is left). Nothing gumbo holds
// then is lost: all of it lies in the arena.
class ParseArena
{
public:
    explicit ParseArena(const ParseStop* stop)
        : m_stop(stop)
    {
    }
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;

    // Between the setjmp and this longjmp lie only gumbo's C frames and this function, which
    // hold nothing that needs destroying.
    static void* allocate(void* arena, size_t bytes)
    {
        auto* self = static_cast<ParseArena*>(arena);
        void* block = self->stopRequested() ? nullptr : self->take(bytes);
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
    // The clock is read only every so many allocations: a large page makes millions of them,
    // and even the slowest parse makes one every millisecond or so.
    static constexpr unsigned allocationsPerClockRead = 32;

    bool stopRequested()
    {
        if (!m_stop)
            return false;
        if (m_stop->cancel && m_stop->cancel->load(std::memory_order_relaxed))
            return true;
        if (++m_sinceClockRead < allocationsPerClockRead)
            return false;
        m_sinceClockRead = 0;
        return m_stop->reached();
    }

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
    const ParseStop* m_stop;
    unsigned m_sinceClockRead = 0;
    std::jmp_buf m_escape {};
};

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
// the page's length. A null array when the page holds none: the page is parsed as it is.
QByteArray withOversizedReferencesTamed(QByteArrayView utf8)
{
    QByteArray tamed;
    const char* const page = utf8.data();
    const qsizetype size = utf8.size();
    constexpr char32_t firstBeyond = 0x110000;
    for (qsizetype at = 0; at < size;) {
        const void* found = std::memchr(page + at, '&', static_cast<size_t>(size - at));
        if (!found)
            break;
        qsizetype next = static_cast<const char*>(found) - page + 1;
        at = next;
        if (next >= size || page[next] != '#')
            continue;
        ++next;
        const bool hex = next < size && (page[next] == 'x' || page[next] == 'X');
        if (hex)
            ++next;
        const qsizetype digits = next;
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
        if (tamed.isNull())
            tamed = QByteArray(page, size);
        const std::string_view least = hex ? "110000" : "1114112";
        char* const written = tamed.data() + digits;
        const qsizetype length = next - digits; // at least as long as `least`: the value is beyond it
        std::fill(written, written + length - qsizetype(least.size()), '0');
        std::copy(least.begin(), least.end(), written + length - qsizetype(least.size()));
    }
    return tamed;
}

// Counts itself among the running parses for as long as it lives.
struct RunningParse
{
    RunningParse() { parsesRunning.fetch_add(1); }
    ~RunningParse() { parsesRunning.fetch_sub(1); }
    RunningParse(const RunningParse&) = delete;
    RunningParse& operator=(const RunningParse&) = delete;
};

// Owns one gumbo parse of a UTF-8 buffer, which must outlive it: gumbo's nodes point into it.
// A parse given up at `stop` has no document.
class ParsedHtml
{
public:
    ParsedHtml(QByteArrayView utf8, const ParseStop* stop)
        : m_arena(stop)
        , m_tamed(withOversizedReferencesTamed(utf8))
    {
        const QByteArrayView input = m_tamed.isNull() ? utf8 : QByteArrayView(m_tamed);
        GumboOptions options = kGumboDefaultOptions;
        options.allocator = &ParseArena::allocate;
        options.deallocator = &ParseArena::release;
        options.userdata = &m_arena;
        // Gumbo keeps a copy of the open-element stack with every parse error it records, so a
        // page of a few thousand unclosed tags would cost gigabytes. We never read the errors.
        options.max_errors = 0;
        m_output = parseOrEscape(&options, input.data(), static_cast<size_t>(input.size()), m_arena.escape());
    }

    bool complete() const { return m_output != nullptr; }
    const GumboNode* document() const { return m_output ? m_output->document : nullptr; }
    const GumboNode* root() const { return m_output ? m_output->root : nullptr; }

private:
    ParseArena m_arena; // holds the whole tree
    QByteArray m_tamed; // the page gumbo reads, where it had to be mended
    GumboOutput* m_output = nullptr;
};

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

const GumboNode* childAt(const GumboVector* children, unsigned index)
{
    return static_cast<const GumboNode*>(children->data[index]);
}

bool isHtmlElement(const GumboNode* node, GumboTag tag)
{
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag
        && node->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

// Attribute names come lower-cased from the tokenizer.
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

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
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

// Whether an element gumbo has no tag for (most SVG elements, the newer HTML ones) is named
// `lowerCaseName`, in whatever case the page wrote it.
bool tagNameIs(const GumboNode* node, std::string_view lowerCaseName)
{
    GumboStringPiece piece = node->v.element.original_tag;
    if (!piece.data || piece.length == 0)
        return false;
    gumbo_tag_from_original_text(&piece);
    return equalsAsciiCaseless(std::string_view(piece.data, piece.length), lowerCaseName);
}

bool isCssBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view trimmedAscii(std::string_view text)
{
    while (!text.empty() && isCssBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isCssBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool containsAsciiCaseless(std::string_view text, std::string_view lowerCase)
{
    if (text.size() < lowerCase.size())
        return false;
    for (size_t i = 0; i + lowerCase.size() <= text.size(); ++i) {
        if (equalsAsciiCaseless(text.substr(i, lowerCase.size()), lowerCase))
            return true;
    }
    return false;
}

// Whether an inline style attribute sets display to none. Declarations are read the way CSS
// reads them: property names and keywords in any case, blanks around ':' and ';', comments,
// "!important", and the last display declaration wins.
bool styleHidesElement(std::string_view style)
{
    // Most style attributes never say "none"; they are answered without reading declarations.
    if (!containsAsciiCaseless(style, "none"))
        return false;
    std::string withoutComments;
    if (style.find("/*") != std::string_view::npos) {
        withoutComments.reserve(style.size());
        for (size_t i = 0; i < style.size(); ++i) {
            if (style.substr(i, 2) == "/*") {
                const size_t end = style.find("*/", i + 2);
                if (end == std::string_view::npos)
                    break;
                i = end + 1;
                continue;
            }
            withoutComments.push_back(style[i]);
        }
        style = withoutComments;
    }

    bool hidden = false;
    std::string_view rest = style;
    while (!rest.empty()) {
        const size_t semicolon = rest.find(';');
        const std::string_view declaration = rest.substr(0, semicolon);
        rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);

        const size_t colon = declaration.find(':');
        if (colon == std::string_view::npos)
            continue;
        if (!equalsAsciiCaseless(trimmedAscii(declaration.substr(0, colon)), "display"))
            continue;
        std::string_view value = trimmedAscii(declaration.substr(colon + 1));
        const size_t bang = value.find('!');
        if (bang != std::string_view::npos) {
            if (!equalsAsciiCaseless(trimmedAscii(value.substr(bang + 1)), "important"))
                continue; // not a valid declaration: CSS drops it
            value = trimmedAscii(value.substr(0, bang));
        }
        hidden = equalsAsciiCaseless(value, "none");
    }
    return hidden;
}

// ---------------------------------------------------------------------------------------------
// Rendering

// How an element takes part in the rendered text, from the display the browser's default
// style sheet gives it.
enum class Role
{
    Skip, // display: none, or content that is never laid out
    Collapsed, // a table row or row group with `hidden`: laid out, but nothing of it shows
    Inline, // display: inline; its text flows with its neighbours'
    Atomic, // an atomic inline box with no text: blanks beside it are not collapsed into it
    InlineBlock, // an atomic inline box whose content shows, set on its own line box inside
    Block, // block-level: a line break before and after
    Paragraph, // <p>: a blank line before and after
    Preformat, // a block whose white space is kept
    Table, // display: table (block-level)
    RowGroup, // table-row-group, -header-group, -footer-group, -column-group: no break of its own
    Row, // table-row: a line break after each row but the table's last
    Cell, // table-cell: a tab after each cell but the row's last
    LineBreak, // <br>
    ClosedDetails, // a closed <details>: only its first <summary> shows
    Select, // a pick list: an inline box holding only its options and option groups
    OptionGroup, // a block holding only its options
    SvgDrawing, // an inline <svg>: one atomic inline box in the HTML around it, its text shown
    SvgContainer, // a part of a drawing that holds others; its own character data is not drawn
    SvgSwitch, // draws only the first of its children
    SvgText, // drawn text: an atomic inline box from outside, its characters show
};

bool parentIsSvg(const GumboNode* node)
{
    const GumboNode* parent = node->parent;
    return parent && parent->type == GUMBO_NODE_ELEMENT && parent->v.element.tag_namespace == GUMBO_NAMESPACE_SVG;
}

// Inline SVG draws character data only inside its text elements; nothing of it makes a line
// break.
Role svgRoleOf(const GumboNode* node, Role parentRole)
{
    const GumboTag tag = node->v.element.tag;
    // Inside a text element its spans, text paths and links are inline text.
    const bool inText = parentRole == Role::SvgText || (parentRole == Role::Inline && parentIsSvg(node));
    if (tag == GUMBO_TAG_SVG)
        return parentIsSvg(node) ? Role::SvgContainer : Role::SvgDrawing;
    if (tag == GUMBO_TAG_A)
        return inText ? Role::Inline : Role::SvgContainer;
    if (tag == GUMBO_TAG_FOREIGNOBJECT) // HTML laid out in a box of the drawing
        return Role::InlineBlock;
    if (tag != GUMBO_TAG_UNKNOWN)
        return Role::Skip; // title, desc, style, script: never drawn
    if (inText)
        return tagNameIs(node, "tspan") || tagNameIs(node, "textpath") ? Role::Inline : Role::Skip;
    if (tagNameIs(node, "text"))
        return Role::SvgText;
    if (tagNameIs(node, "g"))
        return Role::SvgContainer;
    if (tagNameIs(node, "switch"))
        return Role::SvgSwitch;
    // Shapes draw no characters; defs, symbol, marker, pattern, mask, clipPath, gradients,
    // filters and metadata are drawn only where something refers to them, if at all.
    return Role::Skip;
}

// The role of an HTML element, with the display the default style sheet gives its tag.
// `parentRole` is the role of the element it stands in.
Role roleOf(const GumboNode* node, Role parentRole)
{
    const GumboElement& element = node->v.element;
    const char* style = nullptr;
    bool hidden = false;
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        // The name's length as written stands in the attribute itself: most names are
        // passed over without reading them (one the parser made up has no written form).
        const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        const size_t length = attribute->original_name.length;
        if ((length == 5 || length == 0) && std::strcmp(attribute->name, "style") == 0)
            style = attribute->value;
        else if ((length == 6 || length == 0) && std::strcmp(attribute->name, "hidden") == 0)
            hidden = element.tag_namespace == GUMBO_NAMESPACE_HTML;
    }
    if (style && styleHidesElement(style))
        return Role::Skip;
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG)
        return svgRoleOf(node, parentRole);
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return Role::Inline; // MathML: its text shows

    if (hidden) {
        switch (element.tag) {
        // A hidden table part keeps its display and becomes visibility: collapse, so the rows
        // around it still count it.
        case GUMBO_TAG_TR:
        case GUMBO_TAG_TBODY:
        case GUMBO_TAG_THEAD:
        case GUMBO_TAG_TFOOT:
        case GUMBO_TAG_COLGROUP:
        case GUMBO_TAG_COL:
            return Role::Collapsed;
        case GUMBO_TAG_EMBED: // stays in the flow, without a size
            return Role::Atomic;
        default:
            return Role::Skip; // display: none
        }
    }

    switch (element.tag) {
    // display: none. Metadata and scripting; a browser that runs scripts does not show
    // <noscript>; template contents are no part of the document.
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_RP:
    case GUMBO_TAG_DATALIST:
    // table-column: no content of its own. Frames belong to a frameset page, which has no body.
    case GUMBO_TAG_COL:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_FRAME:
        return Role::Skip;

    // Replaced inline elements and inline-block controls: one box on the line whose own
    // content is no text of the page (fallback content, a text area's value, a drawn gauge).
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_IMAGE:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_METER:
    case GUMBO_TAG_PROGRESS:
        return Role::Atomic;
    case GUMBO_TAG_INPUT: // display: none !important for type=hidden
        if (const char* type = attributeValue(node, "type"); type && equalsAsciiCaseless(trimmedAscii(type), "hidden"))
            return Role::Skip;
        return Role::Atomic;
    case GUMBO_TAG_AUDIO: // display: none !important without controls
        return hasAttribute(node, "controls") ? Role::Atomic : Role::Skip;

    // display: inline-block, content shown.
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_MARQUEE:
        return Role::InlineBlock;

    // A pick list (of any size) is an inline box holding its option groups and options, each
    // a block; an option or option group outside one is a block all the same.
    case GUMBO_TAG_SELECT:
        return Role::Select;
    case GUMBO_TAG_OPTGROUP:
        return Role::OptionGroup;
    case GUMBO_TAG_OPTION:
        return Role::Block;

    // display: block, and a blank line around a paragraph.
    case GUMBO_TAG_P:
        return Role::Paragraph;

    // display: block; white-space: pre.
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_XMP:
        return Role::Preformat;

    // display: block (list items: list-item; captions: table-caption, which breaks the same).
    case GUMBO_TAG_HTML:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DIR:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_CAPTION:
        return Role::Block;

    // display: block, but none !important where the parser left it standing (empty) between
    // the parts of a table.
    case GUMBO_TAG_FORM:
        return parentRole == Role::Table || parentRole == Role::RowGroup || parentRole == Role::Row ? Role::Skip
                                                                                                    : Role::Block;

    case GUMBO_TAG_DETAILS:
        return hasAttribute(node, "open") ? Role::Block : Role::ClosedDetails;

    case GUMBO_TAG_TABLE:
        return Role::Table;
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TFOOT:
    case GUMBO_TAG_COLGROUP:
        return Role::RowGroup;
    case GUMBO_TAG_TR:
        return Role::Row;
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
        return Role::Cell;
    case GUMBO_TAG_BR:
        return Role::LineBreak;

    case GUMBO_TAG_UNKNOWN:
        if (tagNameIs(node, "dialog"))
            return hasAttribute(node, "open") ? Role::Block : Role::Skip;
        if (tagNameIs(node, "search"))
            return Role::Block;
        return Role::Inline;

    default:
        // display: inline: phrasing elements, links, <font>, <label>, ruby, <map>, <source>
        // and <track> (void: nothing to show); and those no browser knows any more
        // (<applet>, <keygen>, <bgsound>), which are unknown, inline elements there.
        return Role::Inline;
    }
}

bool isCollapsibleBlankByte(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Builds the text in one pre-sized UTF-16 buffer and in one pass. Line-break requests and
// blanks are held back as "pending" until the next visible thing shows where they land, so
// runs merge without rewriting what has been written, and none is left at the start or end.
class TextWriter
{
public:
    explicit TextWriter(qsizetype capacity)
        : m_out(std::max<qsizetype>(capacity, 16), Qt::Uninitialized)
    {
        m_begin = reinterpret_cast<char16_t*>(m_out.data());
        m_cursor = m_begin;
        m_end = m_begin + m_out.size();
    }

    // Text in normal flow: each run of blanks, tabs and line ends is one blank, and blanks at
    // the start or end of a line go away. U+00A0 is no blank here. `text` is UTF-8.
    void flowText(const unsigned char* text, const unsigned char* end)
    {
        while (text < end) {
            if (isCollapsibleBlankByte(*text)) {
                m_pendingSpace = m_lineHasContent;
                do
                    ++text;
                while (text < end && isCollapsibleBlankByte(*text));
                continue;
            }
            const unsigned char* run = text;
            do
                ++text;
            while (text < end && !isCollapsibleBlankByte(*text));
            beginVisible();
            appendUtf8(run, text);
        }
    }

    // Text whose white space is kept; its line ends still come out as CR LF.
    void preformattedText(const unsigned char* text, const unsigned char* end)
    {
        while (text < end) {
            if (*text == '\n' || *text == '\r') {
                if (*text == '\r' && text + 1 < end && text[1] == '\n')
                    ++text;
                lineBreak();
                ++text;
                continue;
            }
            const unsigned char* run = text;
            do
                ++text;
            while (text < end && *text != '\n' && *text != '\r');
            beginVisible();
            appendUtf8(run, text);
        }
    }

    // A block edge asks for `count` line breaks; neighbouring requests merge into the largest.
    // With 0 it is the edge of a box that starts its own lines but asks for no break (a cell).
    void requireBreaks(int count)
    {
        m_pendingSpace = false;
        m_lineHasContent = false;
        m_pendingBreaks = std::max(m_pendingBreaks, count);
    }

    // A line break that is text of its own (<br>, a row's end, a line end in <pre>): written
    // even at the start or end, never merged.
    void lineBreak()
    {
        flushBreaks();
        reserve(2);
        *m_cursor++ = u'\r';
        *m_cursor++ = u'\n';
        m_pendingSpace = false;
        m_lineHasContent = false;
    }

    // The tab after a table cell; the next cell's content starts a line of its own.
    void tab()
    {
        flushBreaks();
        reserve(1);
        *m_cursor++ = u'\t';
        m_pendingSpace = false;
        m_lineHasContent = false;
    }

    // An atomic inline box: it shows no text here, but it stands on the line, so a blank
    // before it is kept and one after it is no blank at the start of a line.
    void atomicBox()
    {
        if (m_pendingSpace) {
            flushBreaks();
            reserve(1);
            *m_cursor++ = u' ';
            m_pendingSpace = false;
        }
        m_lineHasContent = true;
    }

    // An atomic inline box with content: from outside one box, inside a line of its own.
    void enterInlineBlock()
    {
        atomicBox();
        m_lineHasContent = false;
    }
    void leaveInlineBlock()
    {
        m_pendingSpace = false;
        m_lineHasContent = true;
    }

    QString take()
    {
        m_out.resize(m_cursor - m_begin);
        m_out.squeeze();
        return std::move(m_out);
    }

private:
    void reserve(qsizetype units)
    {
        if (m_end - m_cursor >= units)
            return;
        const qsizetype used = m_cursor - m_begin;
        m_out.resize(std::max(m_out.size() * 2, used + units + 16));
        m_begin = reinterpret_cast<char16_t*>(m_out.data());
        m_cursor = m_begin + used;
        m_end = m_begin + m_out.size();
    }

    void flushBreaks()
    {
        if (m_pendingBreaks == 0)
            return;
        if (m_cursor != m_begin) {
            reserve(2 * m_pendingBreaks);
            for (int i = 0; i < m_pendingBreaks; ++i) {
                *m_cursor++ = u'\r';
                *m_cursor++ = u'\n';
            }
        }
        m_pendingBreaks = 0;
    }

    void beginVisible()
    {
        flushBreaks();
        if (m_pendingSpace) {
            reserve(1);
            *m_cursor++ = u' ';
            m_pendingSpace = false;
        }
        m_lineHasContent = true;
    }

    // Gumbo's UTF-8 is not always well formed (a numeric reference it cannot add up comes out
    // as a stray byte). Read step by step as the web's decoder reads it (utf8StepAt), the text
    // stays valid UTF-16 and no character after a fault is swallowed.
    void appendUtf8(const unsigned char* text, const unsigned char* end)
    {
        reserve(end - text); // never more UTF-16 units than UTF-8 bytes
        char16_t* out = m_cursor;
        while (text < end) {
            const unsigned lead = *text;
            if (lead < 0x80) {
                *out++ = char16_t(lead);
                ++text;
                continue;
            }
            const Utf8Step step = utf8StepAt(text, end);
            if (!step.wellFormed) {
                *out++ = u'\uFFFD';
                text += step.length;
                continue;
            }
            char32_t point = lead & (0x7Fu >> step.length); // the lead's own bits
            for (int i = 1; i < step.length; ++i)
                point = (point << 6) | (text[i] & 0x3F);
            text += step.length;
            if (point < 0x10000) {
                *out++ = char16_t(point);
            } else {
                *out++ = char16_t(0xD800 + ((point - 0x10000) >> 10));
                *out++ = char16_t(0xDC00 + ((point - 0x10000) & 0x3FF));
            }
        }
        m_cursor = out;
    }

    QString m_out;
    char16_t* m_begin = nullptr;
    char16_t* m_cursor = nullptr;
    char16_t* m_end = nullptr;
    int m_pendingBreaks = 0;
    bool m_pendingSpace = false;
    bool m_lineHasContent = false;
};

// How many nodes a walk of the tree visits between two looks at the clock.
constexpr unsigned stepsPerStopCheck = 4096;

// Walks the rendered part of a subtree with a stack of its own, so a deeply nested page cannot
// exhaust the call stack.
class InnerTextWalker
{
public:
    InnerTextWalker(qsizetype capacity, const ParseStop* stop)
        : m_writer(capacity)
        , m_stop(stop)
    {
        m_stack.reserve(64);
    }

    // No value when the stop is reached on the way.
    std::optional<QString> run(const GumboNode* top)
    {
        if (top && top->type == GUMBO_NODE_ELEMENT)
            visit(top, Role::Block);
        unsigned sinceCheck = 0;
        while (!m_stack.empty()) {
            if (m_stop && ++sinceCheck == stepsPerStopCheck) {
                sinceCheck = 0;
                if (m_stop->reached())
                    return std::nullopt;
            }
            Frame& frame = m_stack.back();
            const GumboVector* children = &frame.node->v.element.children;
            if (frame.next < children->length) {
                const GumboNode* child = childAt(children, frame.next++);
                if (shows(frame, child))
                    visit(child, frame.role); // may push, so `frame` is not used after this
                continue;
            }
            const Frame done = frame;
            m_stack.pop_back();
            leave(done);
        }
        return m_writer.take();
    }

private:
    struct Frame
    {
        const GumboNode* node;
        Role role;
        unsigned next = 0;
        bool oneShown = false; // for boxes that show only one of their children
    };

    // Which children a box lays out at all.
    static bool shows(Frame& frame, const GumboNode* child)
    {
        const bool element = child->type == GUMBO_NODE_ELEMENT;
        switch (frame.role) {
        case Role::ClosedDetails:
            if (frame.oneShown || !isHtmlElement(child, GUMBO_TAG_SUMMARY))
                return false;
            frame.oneShown = true;
            return true;
        case Role::Select:
            return isHtmlElement(child, GUMBO_TAG_OPTION) || isHtmlElement(child, GUMBO_TAG_OPTGROUP);
        case Role::OptionGroup:
            return isHtmlElement(child, GUMBO_TAG_OPTION);
        // Blanks between the parts of a table lay out nothing, and a drawing draws character
        // data only inside its text elements.
        case Role::Table:
        case Role::RowGroup:
        case Role::Row:
        case Role::SvgDrawing:
        case Role::SvgContainer:
            return element;
        case Role::SvgSwitch:
            if (!element || frame.oneShown || child->v.element.tag == GUMBO_TAG_DESC
                || child->v.element.tag == GUMBO_TAG_TITLE || tagNameIs(child, "metadata"))
                return false;
            frame.oneShown = true;
            return true;
        default:
            return true;
        }
    }

    void visit(const GumboNode* node, Role parentRole)
    {
        switch (node->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE: {
            const auto* text = reinterpret_cast<const unsigned char*>(node->v.text.text);
            const auto* end = text + std::strlen(node->v.text.text);
            if (m_preformatDepth > 0)
                m_writer.preformattedText(text, end);
            else
                m_writer.flowText(text, end);
            return;
        }
        case GUMBO_NODE_ELEMENT:
            break;
        default:
            return; // comments, and template contents, which are never shown
        }

        const Role role = roleOf(node, parentRole);
        switch (role) {
        case Role::Skip:
        case Role::Collapsed:
            return;
        case Role::LineBreak:
            m_writer.lineBreak();
            return;
        case Role::Atomic:
            m_writer.atomicBox();
            return;
        case Role::InlineBlock:
        case Role::SvgDrawing:
        case Role::SvgText:
            m_writer.enterInlineBlock();
            break;
        case Role::Block:
        case Role::ClosedDetails:
        case Role::OptionGroup:
        case Role::Table:
            m_writer.requireBreaks(1);
            break;
        case Role::Paragraph:
            m_writer.requireBreaks(2);
            break;
        case Role::Preformat:
            m_writer.requireBreaks(1);
            ++m_preformatDepth;
            break;
        case Role::Cell:
            m_writer.requireBreaks(0);
            break;
        case Role::Inline:
        case Role::RowGroup:
        case Role::Row:
        case Role::Select:
        case Role::SvgContainer:
        case Role::SvgSwitch:
            break;
        }
        if (node->v.element.children.length > 0 || role != Role::Inline)
            m_stack.push_back(Frame { node, role });
    }

    void leave(const Frame& frame)
    {
        switch (frame.role) {
        case Role::InlineBlock:
        case Role::SvgDrawing:
        case Role::SvgText:
            m_writer.leaveInlineBlock();
            break;
        case Role::Block:
        case Role::ClosedDetails:
        case Role::OptionGroup:
        case Role::Table:
            m_writer.requireBreaks(1);
            break;
        case Role::Paragraph:
            m_writer.requireBreaks(2);
            break;
        case Role::Preformat:
            --m_preformatDepth;
            m_writer.requireBreaks(1);
            break;
        case Role::Row:
            if (rowBoxFollows())
                m_writer.lineBreak();
            break;
        case Role::Cell:
            m_writer.requireBreaks(0);
            if (cellBoxFollows())
                m_writer.tab();
            break;
        default:
            break;
        }
    }

    // Whether a later child of `frame` (from its next one on) is a laid-out element `tag`.
    static bool boxFollowsIn(const Frame& frame, GumboTag tag, GumboTag otherTag)
    {
        const GumboVector* children = &frame.node->v.element.children;
        for (unsigned i = frame.next; i < children->length; ++i) {
            const GumboNode* child = childAt(children, i);
            if ((isHtmlElement(child, tag) || isHtmlElement(child, otherTag))
                && roleOf(child, frame.role) != Role::Skip)
                return true;
        }
        return false;
    }

    // Called as a cell is left: its row's frame is on top, pointing past it.
    bool cellBoxFollows() const
    {
        return !m_stack.empty() && m_stack.back().role == Role::Row
            && boxFollowsIn(m_stack.back(), GUMBO_TAG_TD, GUMBO_TAG_TH);
    }

    // Called as a row is left: whether its table lays out another row after it, in the same
    // row group or a later one. Hidden rows and row groups count: their boxes are there.
    bool rowBoxFollows() const
    {
        if (m_stack.empty())
            return false;
        const Frame& parent = m_stack.back();
        if (boxFollowsIn(parent, GUMBO_TAG_TR, GUMBO_TAG_TR))
            return true;
        if (parent.role != Role::RowGroup || m_stack.size() < 2 || m_stack[m_stack.size() - 2].role != Role::Table)
            return false;
        const Frame& table = m_stack[m_stack.size() - 2];
        const GumboVector* parts = &table.node->v.element.children;
        for (unsigned i = table.next; i < parts->length; ++i) {
            const GumboNode* part = childAt(parts, i);
            if (part->type != GUMBO_NODE_ELEMENT || roleOf(part, Role::Table) == Role::Skip)
                continue;
            if (isHtmlElement(part, GUMBO_TAG_TR))
                return true;
            const GumboTag tag = part->v.element.tag;
            if (tag == GUMBO_TAG_TBODY || tag == GUMBO_TAG_THEAD || tag == GUMBO_TAG_TFOOT) {
                if (boxFollowsIn(Frame { part, Role::RowGroup }, GUMBO_TAG_TR, GUMBO_TAG_TR))
                    return true;
            }
        }
        return false;
    }

    TextWriter m_writer;
    const ParseStop* m_stop;
    std::vector<Frame> m_stack;
    int m_preformatDepth = 0;
};

const GumboNode* bodyOf(const ParsedHtml& parsed)
{
    const GumboNode* root = parsed.root();
    if (!root || root->type != GUMBO_NODE_ELEMENT)
        return nullptr;
    const GumboVector* children = &root->v.element.children;
    for (unsigned i = 0; i < children->length; ++i) {
        if (isHtmlElement(childAt(children, i), GUMBO_TAG_BODY))
            return childAt(children, i);
    }
    return nullptr; // a frameset page has no body
}

// The text never holds more UTF-16 units than twice the page's UTF-8 bytes (a line end inside
// <pre> is the most a byte gives: CR LF), so the buffer is sized once; what is not written of
// it is never touched, and is handed back at the end.
std::optional<QString> renderBody(const ParsedHtml& parsed, qsizetype utf8Size, const ParseStop* stop)
{
    if (!parsed.complete())
        return std::nullopt;
    return InnerTextWalker(2 * utf8Size + 16, stop).run(bodyOf(parsed));
}

// ---------------------------------------------------------------------------------------------
// Links and title

bool isAsciiWhitespace(QChar qc)
{
    const char16_t c = qc.unicode();
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// What a browser does to an href before parsing it: blanks and control characters at either
// end go, tabs and line ends inside go.
QString cleanedHref(const char* href)
{
    const QString raw = QString::fromUtf8(href);
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && raw[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && raw[end - 1].unicode() <= 0x20)
        --end;
    QString cleaned;
    cleaned.reserve(end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = raw[i];
        if (c != u'\t' && c != u'\n' && c != u'\r')
            cleaned.append(c);
    }
    return cleaned;
}

QString resolvedHref(const QUrl& base, const QString& href)
{
    QUrl resolved = base.resolved(QUrl(href, QUrl::TolerantMode));
    // An address that cannot be parsed is handed on as written, as a browser's href gives it.
    if (!resolved.isValid() || resolved.isEmpty())
        return href;
    // A browser gives a web address with no path its "/": "http://host" reads "http://host/".
    const QString scheme = resolved.scheme();
    if ((scheme == u"http" || scheme == u"https") && !resolved.host().isEmpty() && resolved.path().isEmpty())
        resolved.setPath(QStringLiteral("/"));
    return resolved.toString(QUrl::FullyEncoded);
}

QString collapsedTitle(const GumboNode* title)
{
    QString raw;
    const GumboVector* children = &title->v.element.children;
    for (unsigned i = 0; i < children->length; ++i) {
        const GumboNode* child = childAt(children, i);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
            raw.append(QString::fromUtf8(child->v.text.text));
    }
    QString collapsed;
    collapsed.reserve(raw.size());
    bool blank = false;
    for (const QChar c : std::as_const(raw)) {
        if (isAsciiWhitespace(c)) {
            blank = true;
            continue;
        }
        if (blank && !collapsed.isEmpty())
            collapsed.append(u' ');
        blank = false;
        collapsed.append(c);
    }
    return collapsed;
}

// What the whole document gives besides the body's text, in a form that crosses a pipe as it
// is: every href one after the other, each ended by a NUL (gumbo's values hold none).
struct DocumentFacts
{
    QByteArray hrefs;
    bool hasBaseHref = false;
    QByteArray baseHref;
    QString title;
};

// The whole document in order, head included. Template contents are not part of the document,
// and a browser that runs scripts reads no markup inside <noscript>. No value when the stop is
// reached on the way.
std::optional<DocumentFacts> collectFacts(const ParsedHtml& parsed, const ParseStop* stop)
{
    DocumentFacts facts;
    const GumboNode* document = parsed.document();
    if (!document)
        return facts;
    const GumboNode* title = nullptr;
    std::vector<std::pair<const GumboNode*, unsigned>> stack { { document, 0u } };
    for (unsigned step = 1; !stack.empty(); ++step) {
        if (stop && step % stepsPerStopCheck == 0 && stop->reached())
            return std::nullopt;
        auto& [node, next] = stack.back();
        const GumboVector* children = childrenOf(node);
        if (next >= children->length) {
            stack.pop_back();
            continue;
        }
        const GumboNode* child = childAt(children, next++);
        if (child->type != GUMBO_NODE_ELEMENT)
            continue;
        if (child->v.element.tag_namespace == GUMBO_NAMESPACE_HTML) {
            switch (child->v.element.tag) {
            case GUMBO_TAG_A:
            case GUMBO_TAG_AREA:
                if (const char* href = attributeValue(child, "href"))
                    facts.hrefs.append(href, qsizetype(std::strlen(href)) + 1);
                break;
            case GUMBO_TAG_BASE:
                if (const char* href = attributeValue(child, "href"); href && !facts.hasBaseHref) {
                    facts.hasBaseHref = true;
                    facts.baseHref = QByteArray(href);
                }
                break;
            case GUMBO_TAG_TITLE:
                if (!title)
                    title = child;
                break;
            case GUMBO_TAG_NOSCRIPT:
                continue;
            default:
                break;
            }
        }
        stack.emplace_back(child, 0u);
    }
    if (title)
        facts.title = collapsedTitle(title);
    return facts;
}

// The hrefs made absolute, against a <base href> where the page has one. No value when the
// stop is reached on the way: a page can hold a million links, each a URL to parse.
std::optional<HtmlPage> assembledPage(QString text, DocumentFacts facts, const QUrl& baseUrl, const ParseStop* stop)
{
    HtmlPage page;
    page.innerText = std::move(text);
    page.title = std::move(facts.title);
    QUrl base = baseUrl;
    if (facts.hasBaseHref) {
        const QUrl declared = baseUrl.resolved(QUrl(cleanedHref(facts.baseHref.constData()), QUrl::TolerantMode));
        if (declared.isValid() && !declared.isEmpty())
            base = declared;
    }
    page.links.reserve(facts.hrefs.count('\0'));
    constexpr qsizetype linksPerStopCheck = 256;
    const char* href = facts.hrefs.constData();
    const char* const end = href + facts.hrefs.size();
    for (qsizetype i = 0; href < end; ++i) {
        if (stop && i % linksPerStopCheck == 0 && stop->reached())
            return std::nullopt;
        page.links.append(resolvedHref(base, cleanedHref(href)));
        href += std::strlen(href) + 1;
    }
    return page;
}

// ---------------------------------------------------------------------------------------------
// Where a page is parsed

struct ParseResult
{
    QString text;
    DocumentFacts facts; // only for a whole page
};

enum class Wanted
{
    Text,
    WholePage,
};

// Parses in this process: stopped where the parser allocates and during the walks.
std::optional<ParseResult> parseHere(QByteArrayView utf8, const ParseStop* stop, Wanted wanted)
{
    const ParsedHtml parsed(utf8, stop);
    std::optional<QString> text = renderBody(parsed, utf8.size(), stop);
    if (!text)
        return std::nullopt;
    ParseResult result { std::move(*text), {} };
    if (wanted == Wanted::WholePage) {
        std::optional<DocumentFacts> facts = collectFacts(parsed, stop);
        if (!facts)
            return std::nullopt;
        result.facts = std::move(*facts);
    }
    return result;
}

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
        DocumentFacts& facts = result.facts;
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

// Parses in a child process, which is ended the moment the stop is reached. The parser can be
// stopped from inside only where it allocates, and some pages keep it busy for seconds without
// an allocation (a formatting element open over thousands of open elements makes it look
// through all of them at every character of text); a process ends at once, whatever it is
// doing, and a fault of the parser's ends only the child. The text and the document's facts
// are made there; what needs more than memory (links resolved by QUrl) is made here, after.
std::optional<ParseResult> parse(QByteArrayView utf8, const ParseStop& stop, Wanted wanted)
{
    if (stop.reached())
        return std::nullopt;
    // The child cannot see a later cancel; it is ended for it. The deadline it keeps itself
    // as well, in case its caller is held up.
    const char asked = wanted == Wanted::WholePage ? 'P' : 'T';
    const qint64 deadline = stop.deadline == std::chrono::steady_clock::time_point::max()
        ? noDeadline
        : std::chrono::duration_cast<std::chrono::nanoseconds>(stop.deadline.time_since_epoch()).count();
    const std::string& program = pageParserProgram();
    ChildWork child;
    if (program.empty()
        || !child.start(program, {},
                        { QByteArrayView(&asked, 1),
                          QByteArrayView(reinterpret_cast<const char*>(&deadline), sizeof deadline),
                          utf8 })) // no process to be had: parsed here, stopped as far as the parser allows
        return parseHere(utf8, &stop, wanted);
    return receiveResult(child, stop, wanted);
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

} // namespace

std::optional<QString> innerTextOfUtf8Html(QByteArrayView utf8, const ParseStop& stop)
{
    const RunningParse running;
    std::optional<ParseResult> result = parse(utf8, stop, Wanted::Text);
    if (!result)
        return std::nullopt;
    return std::move(result->text);
}

// Without a stop a parse ends only where memory runs out (or the parser fails): it then gives
// no text.
QString innerTextOfUtf8Html(QByteArrayView utf8)
{
    return innerTextOfUtf8Html(utf8, ParseStop {}).value_or(QString());
}

QString innerTextOfHtml(const QString& html)
{
    return innerTextOfUtf8Html(html.toUtf8());
}

std::optional<HtmlPage> parseUtf8HtmlPage(QByteArrayView utf8, const QUrl& baseUrl, const ParseStop& stop)
{
    const RunningParse running;
    std::optional<ParseResult> result = parse(utf8, stop, Wanted::WholePage);
    if (!result)
        return std::nullopt;
    return assembledPage(std::move(result->text), std::move(result->facts), baseUrl, &stop);
}

HtmlPage parseUtf8HtmlPage(QByteArrayView utf8, const QUrl& baseUrl)
{
    return parseUtf8HtmlPage(utf8, baseUrl, ParseStop {}).value_or(HtmlPage {});
}

HtmlPage parseHtmlPage(const QString& html, const QUrl& baseUrl)
{
    return parseUtf8HtmlPage(html.toUtf8(), baseUrl);
}

QString innerTextOfUtf8HtmlInProcess(QByteArrayView utf8)
{
    const RunningParse running;
    std::optional<ParseResult> result = parseHere(utf8, nullptr, Wanted::Text);
    return result ? std::move(result->text) : QString();
}

HtmlPage parseUtf8HtmlPageInProcess(QByteArrayView utf8, const QUrl& baseUrl)
{
    const RunningParse running;
    std::optional<ParseResult> result = parseHere(utf8, nullptr, Wanted::WholePage);
    if (!result)
        return HtmlPage {};
    return assembledPage(std::move(result->text), std::move(result->facts), baseUrl, nullptr).value_or(HtmlPage {});
}

const std::string& pageParserProgram()
{
    static const std::string program = [] {
        const std::string beside = besideThisProgram("veldrin-pageparse");
        if (!beside.empty() && access(beside.c_str(), X_OK) == 0)
            return beside;
        // The tests, benchmarks and fuzz targets run from folders of their own in the build.
        const std::string built = VELDRIN_PAGEPARSE_PROGRAM;
        if (access(built.c_str(), X_OK) == 0)
            return built;
        return std::string();
    }();
    return program;
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

int htmlParsesRunning()
{
    return parsesRunning.load();
}

} // namespace veldrin
