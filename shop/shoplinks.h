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
// A credit page: the rating host followed by "/user-rate", anywhere in the address.
inline constexpr QStringView creditPageMark = u"rate.tb.example/user-rate";

bool isShopLink(QStringView link);
// Only web addresses count: a script or file link that happens to hold the mark is no page
// the user could be sent to.
bool isCreditLink(const QString& link);

// The first link of `links`, in document order, of each form.
std::optional<QString> shopLinkOf(const QStringList& links);
std::optional<QString> creditLinkOf(const QStringList& links);

} // namespace veldrin
