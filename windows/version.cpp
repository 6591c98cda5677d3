#include "windows/version.h"

#include "platform/convert.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace veldrin {

std::optional<bool> isNewerWholeVersion(const QString& published)
{
    const std::optional<double> number = toNumber(published.trimmed());
    if (!number)
        return std::nullopt;
    const std::optional<double> local = toNumber(localVersion());
    return std::trunc(*local) < std::trunc(*number);
}

FetchLimits startUpLimits(FetchLimits limits)
{
    using namespace std::chrono_literals;
    limits.connectTimeout = std::min<std::chrono::milliseconds>(limits.connectTimeout, 3s);
    limits.totalTimeout = std::min<std::chrono::milliseconds>(limits.totalTimeout, 6s);
    return limits;
}

} // namespace veldrin
