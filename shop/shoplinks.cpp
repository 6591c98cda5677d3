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
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme(); // lower-cased by QUrl
    if (scheme != u"http" && scheme != u"https")
        return false;
    if (!url.userInfo().isEmpty() || url.port() != -1)
        return false;
    // Lower-cased by QUrl too; a host under the rating host must end at a label boundary, so
    // "evilrate.tb.example" is not one.
    const QString host = url.host();
    const bool onRatingHost = host.compare(ratingHost, Qt::CaseInsensitive) == 0
        || (host.size() > ratingHost.size() + 1 && host.endsWith(ratingHost, Qt::CaseInsensitive)
            && host[host.size() - ratingHost.size() - 1] == u'.');
    return onRatingHost && url.path(QUrl::FullyEncoded).startsWith(creditPathPrefix);
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
