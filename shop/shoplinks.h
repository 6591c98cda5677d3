#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace veldrin {

// The link forms of the shop platform. They name the platform's own hosts, which stay the
// same wherever the search page is served from.
//
// A shop's own page: "http://shop", a decimal digit, then anything, ending in the platform's
// domain and "/" (as a browser gives an address with an empty path).
inline constexpr QStringView shopHostPrefix = u"http://shop";
inline constexpr QStringView shopHostEnding = u".tb.example/";
// A credit page: a page of the rating host (or of a host under it) whose path starts with
// "/user-rate".
inline constexpr QStringView ratingHost = u"rate.tb.example";
inline constexpr QStringView creditPathPrefix = u"/user-rate";

bool isShopLink(QStringView link);
// Only plain web addresses of the rating host count: the link is handed to the shell, so a
// script or file link, a foreign host that merely mentions the rating host in its path or
// user name, a look-alike host or one with a port of its own is no page to send the user to.
bool isCreditLink(const QString& link);

// The first link of `links`, in document order, of each form.
std::optional<QString> shopLinkOf(const QStringList& links);
std::optional<QString> creditLinkOf(const QStringList& links);

} // namespace veldrin
