#include "platform/documentfacts.h"

#include <cstring>
#include <utility>
#include <vector>

namespace veldrin::html {

namespace {

// The title element's text as it stands in the page, each piece of it NUL-ended.
std::string titlePiecesOf(const GumboNode* title)
{
    std::string pieces;
    const GumboVector* children = &title->v.element.children;
    for (unsigned i = 0; i < children->length; ++i) {
        const GumboNode* child = childAt(children, i);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
            pieces.append(child->v.text.text, std::strlen(child->v.text.text) + 1);
    }
    return pieces;
}

} // namespace

DocumentFacts collectFacts(const ParsedHtml& parsed)
{
    DocumentFacts facts;
    const GumboNode* document = parsed.document();
    if (!document)
        return facts;
    const GumboNode* title = nullptr;
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
                    facts.hrefs.append(href, std::strlen(href) + 1);
                break;
            case GUMBO_TAG_BASE:
                if (const char* href = attributeValue(child, "href"); href && !facts.hasBaseHref) {
                    facts.hasBaseHref = true;
                    facts.baseHref = href;
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
        facts.titlePieces = titlePiecesOf(title);
    return facts;
}

} // namespace veldrin::html
