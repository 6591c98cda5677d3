#include "platform/http.h"

namespace veldrin {

HttpResponse httpGet(const QString& url, const HttpRequestOptions&)
{
    HttpResponse r;
    r.finalUrl = url;
    r.error = QStringLiteral("not built yet");
    return r;
}

} // namespace veldrin
