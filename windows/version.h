#pragma once

#include "platform/http.h"
#include "platform/textsearch.h"

#include <QString>
#include <optional>

namespace veldrin {

// The program's own version, as the start-up notice and the update window compare it.
inline QString localVersion()
{
    return QStringLiteral("4.01");
}

// Where the maker publishes the version page (Service::VersionPage) and the download page
// (Service::Download).
inline QString versionPagePath()
{
    return QStringLiteral("/veldrin/version.htm");
}
inline QString downloadPagePath()
{
    return QStringLiteral("/soft/veldrin.html");
}

// The version page's text carries the published version between the last "The Newest
// Vision：" (with a full-width colon) and the last "########", and the update notes between
// the line after the last "###Update Text###" and the line break before the last "#End#".
constexpr Cut versionCut { u"The Newest Vision：", 0, u"########", 0 };
constexpr Cut notesCut { u"###Update Text###", 2, u"#End#", 2 };

// The published version of a version page; no value when it cannot be cut.
inline std::optional<QString> publishedVersion(const QString& page)
{
    return cut(page, versionCut);
}

// Whether `published` counts as a newer version than the local one: only a larger whole-number
// part does, so 4.5 and 4.02 are not newer and 5.0 is. Blanks and line breaks around the
// version are not part of the number. No value when the version is not a number.
std::optional<bool> isNewerWholeVersion(const QString& published);

// The start-up check waits at most this long, so an unreachable or silent server delays the
// main window by a few seconds only; limits that are shorter already stay.
FetchLimits startUpLimits(FetchLimits limits);

} // namespace veldrin
