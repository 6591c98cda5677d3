#include "platform/innertextwalker.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace veldrin::html {

namespace {

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

// Builds the text in one pre-sized UTF-16 buffer of the caller's and in one pass. Line-break requests and
// blanks are held back as "pending" until the next visible thing shows where they land, so
// runs merge without rewriting what has been written, and none is left at the start or end.
class TextWriter
{
public:
    TextWriter(size_t capacity, TextStorage& storage)
        : m_storage(storage)
    {
        const size_t size = std::max<size_t>(capacity, 16);
        m_begin = m_storage.resize(size);
        m_cursor = m_begin;
        m_end = m_begin + size;
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

    // Cuts the storage to the text written: its length.
    size_t take()
    {
        const size_t used = size_t(m_cursor - m_begin);
        m_storage.resize(used);
        return used;
    }

private:
    void reserve(size_t units)
    {
        if (size_t(m_end - m_cursor) >= units)
            return;
        const size_t used = size_t(m_cursor - m_begin);
        const size_t size = std::max(2 * size_t(m_end - m_begin), used + units + 16);
        m_begin = m_storage.resize(size);
        m_cursor = m_begin + used;
        m_end = m_begin + size;
    }

    void flushBreaks()
    {
        if (m_pendingBreaks == 0)
            return;
        if (m_cursor != m_begin) {
            reserve(2 * size_t(m_pendingBreaks));
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
        reserve(size_t(end - text)); // never more UTF-16 units than UTF-8 bytes
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

    TextStorage& m_storage;
    char16_t* m_begin = nullptr;
    char16_t* m_cursor = nullptr;
    char16_t* m_end = nullptr;
    int m_pendingBreaks = 0;
    bool m_pendingSpace = false;
    bool m_lineHasContent = false;
};

// Walks the rendered part of a subtree with a stack of its own, so a deeply nested page cannot
// exhaust the call stack.
class InnerTextWalker
{
public:
    InnerTextWalker(size_t capacity, TextStorage& storage)
        : m_writer(capacity, storage)
    {
        m_stack.reserve(64);
    }

    // The text's length.
    size_t run(const GumboNode* top)
    {
        if (top && top->type == GUMBO_NODE_ELEMENT)
            visit(top, Role::Block);
        while (!m_stack.empty()) {
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

} // namespace

// The text never holds more UTF-16 units than twice the page's UTF-8 bytes (a line end inside
// <pre> is the most a byte gives: CR LF), so the buffer is sized once; what is not written of
// it is never touched, and is handed back at the end.
std::optional<size_t> renderBody(const ParsedHtml& parsed, size_t utf8Size, TextStorage& storage)
{
    if (!parsed.complete())
        return std::nullopt;
    return InnerTextWalker(2 * utf8Size + 16, storage).run(bodyOf(parsed));
}

} // namespace veldrin::html
