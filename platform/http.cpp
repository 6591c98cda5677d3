#include "platform/http.h"

#include <curl/curl.h>
#include <memory>

namespace veldrin {

namespace {

// Some services refuse a request that names no client at all.
constexpr char userAgent[] = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)";

// curl_global_init is not thread-safe; a function-local static runs it exactly once, whichever
// thread fetches first. It is never undone: the process ends with the handles gone anyway.
void ensureCurlInitialised()
{
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

struct Transfer
{
    QByteArray body;
    qint64 maxBytes = 0;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
    bool cancelled = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* userData)
{
    auto* transfer = static_cast<Transfer*>(userData);
    const size_t bytes = size * count;
    // A server that sends no length (or lies about it) is cut off here, not at the memory limit.
    if (transfer->body.size() + static_cast<qint64>(bytes) > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

int checkCancel(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<Transfer*>(userData);
    if (transfer->cancel && transfer->cancel->load()) {
        transfer->cancelled = true;
        return 1;
    }
    return 0;
}

QString reasonFor(CURLcode code, const Transfer& transfer)
{
    if (transfer.cancelled)
        return QStringLiteral("已取消");
    if (transfer.tooLarge)
        return QStringLiteral("应答过大");
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("无法解析主机名");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("无法连接到服务器");
    case CURLE_OPERATION_TIMEDOUT:
        return timedOutError();
    case CURLE_TOO_MANY_REDIRECTS:
        return QStringLiteral("重定向次数过多");
    case CURLE_FILESIZE_EXCEEDED:
        return QStringLiteral("应答过大");
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("已取消");
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
        return QStringLiteral("连接中断");
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return QStringLiteral("网址无效");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
        return QStringLiteral("安全连接失败");
    default:
        return QString::fromUtf8(curl_easy_strerror(code));
    }
}

// The address goes out as given, except for what no request line may carry: blanks, control
// characters and non-ASCII characters are written as %XX of their UTF-8 bytes, as a browser
// does. Everything else, a "%" included, is left alone, so callers that encode do not get
// their escapes encoded twice.
QByteArray requestUrl(const QString& url)
{
    const QByteArray utf8 = url.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            static constexpr char hex[] = "0123456789ABCDEF";
            out.append('%');
            out.append(hex[byte >> 4]);
            out.append(hex[byte & 0x0F]);
        } else {
            out.append(c);
        }
    }
    return out;
}

struct CurlEasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct CurlListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

QString serverErrorOf(long status)
{
    if (status < 500 || status > 599)
        return {};
    return QStringLiteral("服务器错误（%1）").arg(status);
}

HttpResponse httpGet(const QString& url, const HttpRequestOptions& options)
{
    ensureCurlInitialised();

    HttpResponse response;
    response.finalUrl = url;

    const std::unique_ptr<CURL, CurlEasyDeleter> handle(curl_easy_init());
    if (!handle) {
        response.error = QStringLiteral("无法创建网络请求");
        return response;
    }
    CURL* const curl = handle.get();

    Transfer transfer;
    transfer.maxBytes = options.limits.maxBytes;
    transfer.cancel = options.cancel;

    std::unique_ptr<curl_slist, CurlListDeleter> headers;
    if (options.formContentType) {
        // Sent although the request carries no body: some services answer differently without it.
        headers.reset(curl_slist_append(nullptr, "CONTENT-TYPE: application/x-www-form-urlencoded"));
        if (!headers) {
            response.error = QStringLiteral("无法创建网络请求");
            return response;
        }
    }

    const QByteArray urlBytes = requestUrl(url);
    curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    if (headers)
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, options.limits.maxRedirects);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.limits.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.limits.totalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.limits.maxBytes));
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    // Time-outs by signal would hit whichever thread the signal lands on.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    response.status = status;

    if (code != CURLE_OK || transfer.tooLarge || transfer.cancelled) {
        response.error = reasonFor(code, transfer);
        return response;
    }

    char* effectiveUrl = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effectiveUrl) == CURLE_OK && effectiveUrl)
        response.finalUrl = QString::fromUtf8(effectiveUrl);
    char* contentType = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        response.contentType = QByteArray(contentType);
    response.ok = true;
    response.body = std::move(transfer.body);
    return response;
}

} // namespace veldrin
