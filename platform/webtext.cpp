#include "platform/webtext.h"

#include "platform/innertext.h"
#include "platform/textcodec.h"

namespace veldrin {

WebText GetWebText(const QString& url, const FetchLimits& limits)
{
    HttpRequestOptions options;
    options.limits = limits;
    options.formContentType = true;
    const HttpResponse response = httpGet(url, options);
    if (!response.ok)
        return WebText { false, {}, response.error };
    return WebText { true, innerTextOfHtml(decodeGbk(response.body)), {} };
}

} // namespace veldrin
