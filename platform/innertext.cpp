#include "platform/innertext.h"

#include <QByteArray>
#include <QStringView>
#include <algorithm>
#include <cctype>
#include <gumbo.h>
#include <string>
#include <string_view>
#include <vector>

namespace veldrin {

namespace {

// ---------------------------------------------------------------------------------------------
// Parsing

// Owns one gumbo parse. The UTF-8 buffer must outlive the tree: gumbo's nodes point into it.
class ParsedHtml
{
public:
    explicit ParsedHtml(const QString& html)
        : m_utf8(html.toUtf8())
    {
        m_options = kGumboDefaultOptions;
        // Gumbo keeps a copy of the open-element stack with every parse error it records, so a
        // page of a few thousand unclosed tags would cost gigabytes. We never read the errors.
        m_options.max_errors = 0;
        m_output = gumbo_parse_with_options(&m_options, m_utf8.constData(), static_cast<size_t>(m_utf8.size()));
    }
    ~ParsedHtml()
    {
        if (m_output)
            gumbo_destroy_output(&m_options, m_output);
    }
    ParsedHtml(const ParsedHtml&) = delete;
    ParsedHtml& operator=(const ParsedHtml&) = delete;

    const GumboNode* document() const { return m_output ? m_output->document : nullptr; }
    const GumboNode* root() const { return m_output ? m_output->root : nullptr; }

private:
    QByteArray m_utf8;
    GumboOptions m_options;
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

const char* attributeValue(const GumboNode* node, const char* name)
{
    const GumboAttribute* attribute = gumbo_get_attribute(&node->v.element.attributes, name);
    return attribute ? attribute->value : nullptr;
}

bool hasAttribute(const GumboNode* node, const char* name)
{
    return attributeValue(node, name) != nullptr;
}

// The name of an element gumbo has no tag for, lower-cased (for the few newer elements we
// treat specially).
std::string unknownTagName(const GumboNode* node)
{
    GumboStringPiece piece = node->v.element.original_tag;
    if (!piece.data || piece.length == 0)
        return {};
    gumbo_tag_from_original_text(&piece);
    std::string name(piece.data, piece.length);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

bool isAsciiWhitespace(QChar qc)
{
    const char16_t c = qc.unicode();
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

std::string_view trimmedAscii(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

// Whether an inline style attribute sets display to none. Declarations are read the way CSS
// reads them: property names and keywords in any case, blanks around ':' and ';', comments,
// "!important", and the last display declaration wins.
bool styleHidesElement(std::string_view style)
{
    std::string text;
    text.reserve(style.size());
    for (size_t i = 0; i < style.size(); ++i) {
        if (style.substr(i, 2) == "/*") {
            const size_t end = style.find("*/", i + 2);
            if (end == std::string_view::npos)
                break;
            i = end + 1;
            continue;
        }
        text.push_back(style[i]);
    }

    bool hidden = false;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t semicolon = rest.find(';');
        const std::string_view declaration = rest.substr(0, semicolon);
        rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);

        const size_t colon = declaration.find(':');
        if (colon == std::string_view::npos)
            continue;
        if (lowerAscii(trimmedAscii(declaration.substr(0, colon))) != "display")
            continue;
        std::string_view value = trimmedAscii(declaration.substr(colon + 1));
        const size_t bang = value.find('!');
        if (bang != std::string_view::npos) {
            if (lowerAscii(trimmedAscii(value.substr(bang + 1))) != "important")
                continue; // not a valid declaration: CSS drops it
            value = trimmedAscii(value.substr(0, bang));
        }
        hidden = lowerAscii(value) == "none";
    }
    return hidden;
}

// ---------------------------------------------------------------------------------------------
// Rendering

// How an element takes part in the rendered text, as a browser's default style sheet lays it
// out.
enum class Role
{
    Skip, // never rendered, or its content is no text of the page
    Inline, // its text flows with its neighbours'
    Block, // a line break before and after
    Paragraph, // a blank line before and after
    Preformat, // a block whose white space is kept
    Table, // a block; its rows are counted
    RowGroup, // tbody, thead, tfoot, colgroup: no break of its own
    Row, // a line break between rows
    Cell, // a tab between the cells of a row
    LineBreak, // <br>
    ClosedDetails, // only its summary shows
};

Role roleOf(const GumboNode* node)
{
    const GumboElement& element = node->v.element;
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG)
        return Role::Skip;
    if (hasAttribute(node, "hidden"))
        return Role::Skip;
    if (const char* style = attributeValue(node, "style"); style && styleHidesElement(style))
        return Role::Skip;
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return Role::Inline; // MathML: its text shows

    switch (element.tag) {
    // Metadata and scripting.
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_NOSCRIPT: // a browser that runs scripts does not show it
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_NEXTID:
    // Replaced content: what stands inside is fallback for a browser that cannot show it.
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_APPLET:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_AUDIO:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_IMAGE:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_RP:
    case GUMBO_TAG_COL:
    // Form controls. A select's options are a pick list, not text of the page, so they give
    // nothing, and neither do the contents of a text area or the fallback of a meter.
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_DATALIST:
    case GUMBO_TAG_OPTGROUP:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_PROGRESS:
    case GUMBO_TAG_METER:
        return Role::Skip;

    case GUMBO_TAG_P:
        return Role::Paragraph;

    case GUMBO_TAG_PRE:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_XMP:
        return Role::Preformat;

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
    case GUMBO_TAG_FORM:
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

    case GUMBO_TAG_UNKNOWN: {
        const std::string name = unknownTagName(node);
        if (name == "dialog")
            return hasAttribute(node, "open") ? Role::Block : Role::Skip;
        if (name == "search")
            return Role::Block;
        return Role::Inline;
    }
    default:
        return Role::Inline;
    }
}

// Builds the text in one pass. Breaks and blanks are held back as "pending" until the next
// visible character shows where they land, so runs collapse without rewriting what has been
// written, and none is left at the start or the end.
class TextWriter
{
public:
    explicit TextWriter(qsizetype expectedSize) { m_out.reserve(expectedSize); }

    // Text in normal flow: runs of blanks, tabs and line ends become one blank, and blanks at
    // the start or end of a line go away. U+00A0 is no blank here.
    void flowText(QStringView text)
    {
        qsizetype i = 0;
        const qsizetype n = text.size();
        while (i < n) {
            if (isAsciiWhitespace(text[i])) {
                m_pendingSpace = true;
                ++i;
                continue;
            }
            qsizetype end = i + 1;
            while (end < n && !isAsciiWhitespace(text[end]))
                ++end;
            beginContent();
            m_out.append(text.mid(i, end - i));
            i = end;
        }
    }

    // Text whose white space is kept; its line ends still come out as CR LF.
    void preformattedText(QStringView text)
    {
        const qsizetype n = text.size();
        qsizetype i = 0;
        while (i < n) {
            if (text[i] == u'\n' || text[i] == u'\r') {
                if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                    ++i;
                lineBreak();
                ++i;
                continue;
            }
            qsizetype end = i + 1;
            while (end < n && text[end] != u'\n' && text[end] != u'\r')
                ++end;
            beginContent();
            m_out.append(text.mid(i, end - i));
            i = end;
        }
    }

    // A block edge asks for `count` line breaks; neighbouring requests merge into the largest.
    void requireBreaks(int count)
    {
        m_pendingSpace = false;
        if (m_cellStart)
            return;
        m_pendingBreaks = std::max(m_pendingBreaks, count);
    }

    // A literal line break (<br>, a line end inside <pre>): always written, never merged.
    void lineBreak()
    {
        flushBreaks();
        m_out.append(u"\r\n");
        m_lineStart = true;
        m_pendingSpace = false;
        m_cellStart = false;
    }

    struct CellMark
    {
        qsizetype outputSize = 0;
    };

    // A cell's content sits on its row's line: breaks at its edges give way to the tab that
    // separates it from the cell before.
    CellMark enterCell(bool firstInRow)
    {
        if (!firstInRow) {
            flushBreaks();
            m_out.append(u'\t');
            m_lineStart = true;
        }
        m_pendingSpace = false;
        m_cellStart = true;
        return CellMark { m_out.size() };
    }

    void leaveCell(const CellMark& mark)
    {
        if (m_out.size() != mark.outputSize)
            m_pendingBreaks = 0;
        m_pendingSpace = false;
        m_cellStart = false;
    }

    QString take() { return std::move(m_out); }

private:
    void flushBreaks()
    {
        if (m_pendingBreaks == 0)
            return;
        if (!m_out.isEmpty()) {
            for (int i = 0; i < m_pendingBreaks; ++i)
                m_out.append(u"\r\n");
        }
        m_pendingBreaks = 0;
        m_lineStart = true;
        m_pendingSpace = false;
    }

    void beginContent()
    {
        flushBreaks();
        if (m_pendingSpace && !m_lineStart)
            m_out.append(u' ');
        m_pendingSpace = false;
        m_lineStart = false;
        m_cellStart = false;
    }

    QString m_out;
    int m_pendingBreaks = 0;
    bool m_pendingSpace = false;
    bool m_lineStart = true;
    bool m_cellStart = false;
};

bool isTableStructure(const GumboNode* node)
{
    if (node->type != GUMBO_NODE_ELEMENT || node->v.element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return false;
    switch (node->v.element.tag) {
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TFOOT:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_COLGROUP:
        return true;
    default:
        return false;
    }
}

// Walks the rendered part of a subtree with a stack of its own, so a deeply nested page cannot
// exhaust the call stack.
class InnerTextWalker
{
public:
    explicit InnerTextWalker(qsizetype expectedSize)
        : m_writer(expectedSize)
    {
    }

    QString run(const GumboNode* top)
    {
        if (top && top->type == GUMBO_NODE_ELEMENT)
            visit(top);
        while (!m_stack.empty()) {
            Frame& frame = m_stack.back();
            const GumboVector* children = &frame.node->v.element.children;
            if (frame.next < children->length) {
                const GumboNode* child = childAt(children, frame.next++);
                if (frame.role == Role::ClosedDetails) {
                    if (frame.summaryShown || !isHtmlElement(child, GUMBO_TAG_SUMMARY))
                        continue;
                    frame.summaryShown = true;
                }
                visit(child); // may push, so `frame` is not used after this
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
        TextWriter::CellMark cell;
        bool summaryShown = false;
    };

    void visit(const GumboNode* node)
    {
        switch (node->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE:
            text(node);
            return;
        case GUMBO_NODE_ELEMENT:
            break;
        default:
            return; // comments, and template contents, which are never shown
        }

        const Role role = roleOf(node);
        Frame frame { node, role, 0, {}, false };
        switch (role) {
        case Role::Skip:
            return;
        case Role::LineBreak:
            m_writer.lineBreak();
            return;
        case Role::Inline:
        case Role::RowGroup:
            break;
        case Role::Block:
        case Role::ClosedDetails:
            m_writer.requireBreaks(1);
            break;
        case Role::Paragraph:
            m_writer.requireBreaks(2);
            break;
        case Role::Preformat:
            m_writer.requireBreaks(1);
            ++m_preformatDepth;
            break;
        case Role::Table:
            m_writer.requireBreaks(1);
            m_rowsPerTable.push_back(0);
            break;
        case Role::Row:
            if (!m_rowsPerTable.empty() && m_rowsPerTable.back()++ > 0)
                m_writer.requireBreaks(1);
            m_cellsPerRow.push_back(0);
            break;
        case Role::Cell: {
            const bool first = m_cellsPerRow.empty() || m_cellsPerRow.back()++ == 0;
            frame.cell = m_writer.enterCell(first);
            break;
        }
        }
        m_stack.push_back(frame);
    }

    void leave(const Frame& frame)
    {
        switch (frame.role) {
        case Role::Block:
        case Role::ClosedDetails:
            m_writer.requireBreaks(1);
            break;
        case Role::Paragraph:
            m_writer.requireBreaks(2);
            break;
        case Role::Preformat:
            --m_preformatDepth;
            m_writer.requireBreaks(1);
            break;
        case Role::Table:
            m_rowsPerTable.pop_back();
            m_writer.requireBreaks(1);
            break;
        case Role::Row:
            m_cellsPerRow.pop_back();
            break;
        case Role::Cell:
            m_writer.leaveCell(frame.cell);
            break;
        default:
            break;
        }
    }

    void text(const GumboNode* node)
    {
        // White space between the parts of a table lays out nothing.
        if (node->parent && isTableStructure(node->parent))
            return;
        const QString text = QString::fromUtf8(node->v.text.text);
        if (m_preformatDepth > 0)
            m_writer.preformattedText(text);
        else
            m_writer.flowText(text);
    }

    TextWriter m_writer;
    std::vector<Frame> m_stack;
    std::vector<int> m_rowsPerTable;
    std::vector<int> m_cellsPerRow;
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

QString renderBody(const ParsedHtml& parsed, qsizetype sizeHint)
{
    return InnerTextWalker(sizeHint).run(bodyOf(parsed));
}

// ---------------------------------------------------------------------------------------------
// Links and title

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

struct DocumentFacts
{
    std::vector<const char*> hrefs;
    const char* baseHref = nullptr;
    const GumboNode* title = nullptr;
};

// The whole document in order, head included. Template contents are not part of the document,
// and a browser that runs scripts reads no markup inside <noscript>.
DocumentFacts collectFacts(const ParsedHtml& parsed)
{
    DocumentFacts facts;
    const GumboNode* document = parsed.document();
    if (!document)
        return facts;
    std::vector<std::pair<const GumboNode*, unsigned>> stack { { document, 0u } };
    while (!stack.empty()) {
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
                    facts.hrefs.push_back(href);
                break;
            case GUMBO_TAG_BASE:
                if (!facts.baseHref)
                    facts.baseHref = attributeValue(child, "href");
                break;
            case GUMBO_TAG_TITLE:
                if (!facts.title)
                    facts.title = child;
                break;
            case GUMBO_TAG_NOSCRIPT:
                continue;
            default:
                break;
            }
        }
        stack.emplace_back(child, 0u);
    }
    return facts;
}

} // namespace

QString innerTextOfHtml(const QString& html)
{
    const ParsedHtml parsed(html);
    return renderBody(parsed, html.size() / 2);
}

HtmlPage parseHtmlPage(const QString& html, const QUrl& baseUrl)
{
    const ParsedHtml parsed(html);
    HtmlPage page;
    page.innerText = renderBody(parsed, html.size() / 2);

    const DocumentFacts facts = collectFacts(parsed);
    QUrl base = baseUrl;
    if (facts.baseHref) {
        const QUrl declared = baseUrl.resolved(QUrl(cleanedHref(facts.baseHref), QUrl::TolerantMode));
        if (declared.isValid() && !declared.isEmpty())
            base = declared;
    }
    page.links.reserve(static_cast<qsizetype>(facts.hrefs.size()));
    for (const char* href : facts.hrefs)
        page.links.append(resolvedHref(base, cleanedHref(href)));
    if (facts.title)
        page.title = collapsedTitle(facts.title);
    return page;
}

} // namespace veldrin
