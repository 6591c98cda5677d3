#include "checks/site/ipaddress.h"

#include "platform/convert.h"

#include <cmath>

namespace veldrin {

namespace {

constexpr qsizetype maxLength = 15; // "255.255.255.255"

// A part's number, rounded down, must lie in 0..255.
IpCheck checkPart(const QString& part)
{
    const std::optional<double> number = toNumber(part);
    if (!number)
        return IpCheck::NotANumber;
    const double whole = std::floor(*number);
    return whole < 0 || whole > 255 ? IpCheck::Malformed : IpCheck::Valid;
}

} // namespace

IpCheck checkIpAddress(const QString& typed)
{
    if (typed.size() > maxLength)
        return IpCheck::Malformed;
    QString address = typed;
    address.replace(u'*', u'0');

    qsizetype partStart = 0;
    for (int dots = 0; dots < 3; ++dots) {
        const qsizetype dot = address.indexOf(u'.', partStart);
        if (dot < 0)
            return IpCheck::Malformed;
        if (const IpCheck part = checkPart(address.mid(partStart, dot - partStart)); part != IpCheck::Valid)
            return part;
        partStart = dot + 1;
    }
    const QString last = address.mid(partStart);
    if (last.contains(u'.'))
        return IpCheck::Malformed;
    return checkPart(last);
}

} // namespace veldrin
