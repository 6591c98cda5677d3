#include "platform/pageloader.h"

namespace veldrin {

std::unique_ptr<PageLoader> createHttpPageLoader(const FetchLimits&, QObject*)
{
    return nullptr;
}

} // namespace veldrin
