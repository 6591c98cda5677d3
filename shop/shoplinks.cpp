#include "shop/shoplinks.h"

#include <QUrl>
#include <algorithm>

namespace veldrin {

bool isShopLink(QStringView link)
{
    const qsizetype digitAt = shopHostPrefix.size();
    return link.size() > digitAt && link.startsWith(shopHostPrefix) && link.endsWith(shopHostEnding)
        && link[digitAt] >= u'0' && link[digitAt] <= u'9';
}

bool isCreditLink(const QString& link)
{
    if (!link.contains(creditPageMark))
        return false;
    const QUrl url(link);
    const QString scheme = url.scheme(); // lower-cased by QUrl
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http" || scheme == u"https");
}

namespace {

std::optional<QString> firstOf(const QStringList& links, bool (*passes)(const QString&))
{
    const auto found = std::find_if(links.cbegin(), links.cend(), passes);
    return found == links.cend() ? std::nullopt : std::optional<QString>(*found);
}

} // namespace

std::optional<QString> shopLinkOf(const QStringList& links)
{
    return firstOf(links, [](const QString& link) { return isShopLink(link); });
}

std::optional<QString> creditLinkOf(const QStringList& links)
{
    return firstOf(links, isCreditLink);
}

} // namespace veldrin
