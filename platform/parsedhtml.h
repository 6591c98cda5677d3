#pragma once

#include <gumbo.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace veldrin::html {

class ParseArena;

// Owns one gumbo parse of a UTF-8 buffer, which must outlive it: gumbo's nodes point into it.
// A parse that ran out of memory has no document.
class ParsedHtml
{
public:
    explicit ParsedHtml(std::string_view utf8);
    ~ParsedHtml();
    ParsedHtml(const ParsedHtml&) = delete;
    ParsedHtml& operator=(const ParsedHtml&) = delete;

    bool complete() const { return m_output != nullptr; }
    const GumboNode* document() const { return m_output ? m_output->document : nullptr; }
    const GumboNode* root() const { return m_output ? m_output->root : nullptr; }

private:
    std::unique_ptr<ParseArena> m_arena; // holds the whole tree
    std::optional<std::string> m_tamed; // the page gumbo reads, where it had to be mended
    GumboOutput* m_output = nullptr;
};

const GumboVector* childrenOf(const GumboNode* node);

inline const GumboNode* childAt(const GumboVector* children, unsigned index)
{
    return static_cast<const GumboNode*>(children->data[index]);
}

bool isHtmlElement(const GumboNode* node, GumboTag tag);

// Attribute names come lower-cased from the tokenizer.
const char* attributeValue(const GumboNode* node, const char* name);

bool hasAttribute(const GumboNode* node, const char* name);

bool equalsAsciiCaseless(std::string_view text, std::string_view lowerCase);

// Whether an element gumbo has no tag for (most SVG elements, the newer HTML ones) is named
// `lowerCaseName`, in whatever case the page wrote it.
bool tagNameIs(const GumboNode* node, std::string_view lowerCaseName);

} // namespace veldrin::html
