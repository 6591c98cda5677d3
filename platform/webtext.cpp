#include "platform/webtext.h"

#include "platform/innertext.h"
#include "platform/textcodec.h"

namespace veldrin {

QString pageTextOfGbk(QByteArray body)
{
    const QByteArray utf8 = decodeGbkToUtf8(body);
    body = QByteArray();
    return innerTextOfUtf8Html(utf8);
}

WebText GetWebText(const QString& url, const FetchLimits& limits)
{
    HttpRequestOptions options;
    options.limits = limits;
    options.formContentType = true;
    HttpResponse response = httpGet(url, options);
    if (!response.ok)
        return WebText { false, {}, response.error };
    return WebText { true, pageTextOfGbk(std::move(response.body)), {} };
}

} // namespace veldrin
