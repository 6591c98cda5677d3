#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>

namespace veldrin {

// Limits of every HTTP transfer. Nothing waits forever: a host that does not answer, or
// answers without end, becomes an error the caller reports.
struct FetchLimits
{
    std::chrono::milliseconds connectTimeout { 5000 };
    std::chrono::milliseconds totalTimeout { 20000 };
    qint64 maxBytes = 16 * 1024 * 1024;
    long maxRedirects = 10;
};

// The outcome of one GET: either the whole answer, or an error with its reason, never a
// partial body passed off as a page.
struct HttpResponse
{
    bool ok = false;
    QString error; // why it failed, for the user; empty when ok
    long status = 0; // HTTP status of the last answer (not judged by anyone here)
    QString finalUrl; // address after redirects; the requested one when nothing answered
    QByteArray contentType; // the last answer's Content-Type header, raw
    QByteArray body;
};

struct HttpRequestOptions
{
    FetchLimits limits;
    // Sends "CONTENT-TYPE: application/x-www-form-urlencoded" and an empty body, as the
    // page-text fetch does; the page loader sends a plain GET.
    bool formContentType = false;
    // Polled during the transfer; setting it ends the transfer as an error.
    const std::atomic<bool>* cancel = nullptr;
};

// One blocking GET of `url` on libcurl. Thread-safe: each call has its own handle.
HttpResponse httpGet(const QString& url, const HttpRequestOptions& options);

// A server that answers 500 to 599 had no page to give: its error page carries none of a
// lookup's markers and must not be read as a result. A 4xx page is still a page (services
// answer "not found" that way). The reason for such a status, or empty for any other.
QString serverErrorOf(long status);

// The reason given for a transfer, or the work after it, that outlasted its limit.
inline QString timedOutError()
{
    return QStringLiteral("访问超时");
}

} // namespace veldrin
