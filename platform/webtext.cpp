#include "platform/webtext.h"

#include "platform/textcodec.h"

namespace veldrin {

std::optional<QString> pageTextOfGbk(QByteArray body, const ParseStop& stop)
{
    const QByteArray utf8 = decodeGbkToUtf8(body);
    body = QByteArray();
    return innerTextOfUtf8Html(utf8, stop);
}

QString pageTextOfGbk(QByteArray body)
{
    return pageTextOfGbk(std::move(body), ParseStop {}).value_or(QString());
}

WebText GetWebText(const QString& url, const FetchLimits& limits)
{
    ParseStop stop;
    stop.deadline = std::chrono::steady_clock::now() + limits.totalTimeout;
    HttpRequestOptions options;
    options.limits = limits;
    options.formContentType = true;
    HttpResponse response = httpGet(url, options);
    if (!response.ok)
        return WebText { false, {}, response.error, response.status };
    std::optional<QString> text = pageTextOfGbk(std::move(response.body), stop);
    if (!text)
        return WebText { false, {}, stop.reached() ? timedOutError() : unparsedPageError(), response.status };
    return WebText { true, std::move(*text), {}, response.status };
}

} // namespace veldrin
