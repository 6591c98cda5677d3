#pragma once

#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QString>

namespace veldrin {

// The IP-location service's page for one address, read alike by the IP and the host lookups.
inline QString ipLocationQuery(const QString& address)
{
    return u"/ips.asp?ip=" + percentEncodeUserPart(address) + u"&action=2";
}

// The location runs from the start marker, which is kept, to four characters before the end
// marker.
inline constexpr QStringView ipLocationStartMarker = u"本站主数据：";
inline constexpr Cut ipLocationCut { ipLocationStartMarker, -ipLocationStartMarker.size(),
                                     u"如果您发现查询结果不详细或不正确，请使用IP数据库自助添加功能进行修正", 4 };

} // namespace veldrin
