#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <memory>

namespace veldrin::test {

// A loopback HTTP server on its own thread, so the UI thread can block in a fetch while it
// answers. Listens on 127.0.0.1 on an ephemeral port and records every request.
// The constructor returns once the server accepts connections, and the destructor ends even
// with requests still open (stalls are woken).
//
// Ready-made pages:
//   /gbk       text/html in GBK:   <p>中文页面</p><p>第二段</p>
//   /utf8      the same page in UTF-8 (declared as such)
//   /404, /500 error statuses with a page body ("页面不存在" / "服务器错误", GBK)
//   /redirect  302 to /gbk;  /loop  redirects to itself for ever
//   /stall     never answers; wakes only when the server shuts down
//   /drop      promises a body, sends part of it and closes the connection
class FixtureServer
{
public:
    struct Request
    {
        QString method;
        QString target; // path and query exactly as sent
        QString path; // decoded path
        QMap<QString, QString> headers; // names lower-cased
        QByteArray body;
    };

    FixtureServer();
    ~FixtureServer();
    FixtureServer(const FixtureServer&) = delete;
    FixtureServer& operator=(const FixtureServer&) = delete;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const;
    QString url(const QString& pathAndQuery) const;

    // Serves `body` at `path` (the path alone, any query matches) with the status and type.
    void setPage(const QString& path, const QByteArray& body,
                 const QByteArray& contentType = QByteArrayLiteral("text/html"), int status = 200);
    // Same, but the body is `html` (UTF-8 source text) encoded as GBK.
    void setGbkPage(const QString& path, const QString& html, int status = 200);
    void setRedirect(const QString& path, const QString& location, int status = 302);
    void setStall(const QString& path);
    // Serves `body` at `path` only once release() is called (or, with a 503, when the server
    // shuts down): a service that answers when the test says.
    void setHeldPage(const QString& path, const QByteArray& body,
                     const QByteArray& contentType = QByteArrayLiteral("text/html"), int status = 200);
    void release();
    // Serves `body` in chunks with no Content-Length, so the client learns the size only as
    // the bytes arrive.
    void setChunkedPage(const QString& path, const QByteArray& body,
                        const QByteArray& contentType = QByteArrayLiteral("text/html"));

    QList<Request> requests() const;
    Request lastRequest() const;
    void clearRequests();

    // An address on loopback where nothing listens: connecting is refused at once.
    static QString refusedUrl(const QString& pathAndQuery = QStringLiteral("/"));

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Text to GBK bytes (for building pages), via iconv.
QByteArray encodeGbk(const QString& text);

} // namespace veldrin::test
