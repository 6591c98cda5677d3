#include "support/fixtureserver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <httplib.h>
#include <iconv.h>
#include <mutex>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace veldrin::test {

namespace {

struct Route
{
    enum Kind
    {
        Page,
        Redirect,
        Stall,
        Held,
        Drop,
        Chunked
    } kind
        = Page;
    int status = 200;
    std::string contentType;
    std::string body;
    std::string location;
};

} // namespace

QByteArray encodeGbk(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv cannot convert UTF-8 to GBK");
    QByteArray out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        throw std::runtime_error("text has characters GBK cannot hold");
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

struct FixtureServer::Impl
{
    httplib::Server server;
    std::thread thread;
    std::atomic<bool> listenEnded { false };
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool released = false;
    std::map<std::string, Route> routes;
    QList<Request> requests;

    void handle(const httplib::Request& req, httplib::Response& res)
    {
        Route route;
        {
            std::lock_guard lock(mutex);
            Request recorded;
            recorded.method = QString::fromStdString(req.method);
            recorded.target = QString::fromStdString(req.target);
            recorded.path = QString::fromStdString(req.path);
            for (const auto& [name, value] : req.headers)
                recorded.headers.insert(QString::fromStdString(name).toLower(), QString::fromStdString(value));
            recorded.body = QByteArray::fromStdString(req.body);
            requests.append(recorded);
            const auto it = routes.find(req.path);
            if (it == routes.end()) {
                res.status = 404;
                res.set_content("<html><body>no such fixture page</body></html>", "text/html");
                return;
            }
            route = it->second;
        }
        switch (route.kind) {
        case Route::Page:
            res.status = route.status;
            res.set_content(route.body, route.contentType);
            break;
        case Route::Redirect:
            res.status = route.status;
            res.set_header("Location", route.location);
            break;
        case Route::Stall: {
            std::unique_lock lock(mutex);
            // Bounded so a forgotten server cannot hold a test run for ever.
            wake.wait_for(lock, std::chrono::seconds(120), [this] { return stopping; });
            res.status = 503;
            break;
        }
        case Route::Held: {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, std::chrono::seconds(120), [this] { return stopping || released; });
            res.status = released ? route.status : 503;
            if (released)
                res.set_content(route.body, route.contentType);
            break;
        }
        case Route::Drop:
            res.set_content_provider(100000, "text/html", [](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset > 0)
                    return false; // closes the connection with most of the body missing
                const std::string part = "<html><body>partial";
                sink.write(part.data(), part.size());
                return true;
            });
            break;
        case Route::Chunked:
            res.status = route.status;
            res.set_chunked_content_provider(route.contentType,
                                             [body = route.body](size_t offset, httplib::DataSink& sink) {
                                                 if (offset >= body.size()) {
                                                     sink.done();
                                                     return true;
                                                 }
                                                 const size_t chunk = std::min<size_t>(1024, body.size() - offset);
                                                 sink.write(body.data() + offset, chunk);
                                                 return true;
                                             });
            break;
        }
    }

    void start()
    {
        thread = std::thread([this] {
            server.listen_after_bind();
            listenEnded = true;
        });
        // Until listen_after_bind() has begun, stop() does nothing and a server stopped then would
        // listen for ever afterwards; so the server is handed out only once it says it runs.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!server.is_running() && !listenEnded && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (server.is_running() && !listenEnded)
            return;
        shutDown();
        throw std::runtime_error("fixture server did not start listening within 10 s");
    }

    // Ends the listening thread whatever it is doing: a thread that has not begun to listen yet
    // is waited for first, and stalled handlers are woken so the thread pool can finish.
    void shutDown()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        while (!server.is_running() && !listenEnded)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!listenEnded)
            server.stop();
        thread.join();
    }
};

FixtureServer::FixtureServer()
    : d(std::make_unique<Impl>())
{
    d->server.set_keep_alive_max_count(1);
    const auto handler = [impl = d.get()](const httplib::Request& req, httplib::Response& res) {
        impl->handle(req, res);
    };
    d->server.Get(".*", handler);
    d->server.Post(".*", handler);
    d->port = d->server.bind_to_any_port("127.0.0.1");
    if (d->port <= 0)
        throw std::runtime_error("fixture server cannot bind to loopback");

    const QString page
        = QStringLiteral("<html><head><title>测试</title></head><body><p>中文页面</p><p>第二段</p></body></html>");
    setGbkPage(QStringLiteral("/gbk"), page);
    setPage(QStringLiteral("/utf8"), page.toUtf8(), QByteArrayLiteral("text/html; charset=utf-8"));
    setGbkPage(QStringLiteral("/404"), QStringLiteral("<html><body><h1>页面不存在</h1></body></html>"), 404);
    setGbkPage(QStringLiteral("/500"), QStringLiteral("<html><body><h1>服务器错误</h1></body></html>"), 500);
    setRedirect(QStringLiteral("/redirect"), QStringLiteral("/gbk"));
    setRedirect(QStringLiteral("/loop"), QStringLiteral("/loop"));
    setStall(QStringLiteral("/stall"));
    {
        std::lock_guard lock(d->mutex);
        d->routes["/drop"] = Route { Route::Drop, 200, {}, {}, {} };
    }
    d->start();
}

FixtureServer::~FixtureServer()
{
    d->shutDown();
}

int FixtureServer::port() const
{
    return d->port;
}

QString FixtureServer::url(const QString& pathAndQuery) const
{
    return QStringLiteral("http://127.0.0.1:") + QString::number(d->port) + pathAndQuery;
}

void FixtureServer::setPage(const QString& path, const QByteArray& body, const QByteArray& contentType, int status)
{
    std::lock_guard lock(d->mutex);
    d->routes[path.toStdString()] = Route { Route::Page, status, contentType.toStdString(), body.toStdString(), {} };
}

void FixtureServer::setGbkPage(const QString& path, const QString& html, int status)
{
    setPage(path, encodeGbk(html), QByteArrayLiteral("text/html"), status);
}

void FixtureServer::setRedirect(const QString& path, const QString& location, int status)
{
    std::lock_guard lock(d->mutex);
    d->routes[path.toStdString()] = Route { Route::Redirect, status, {}, {}, location.toStdString() };
}

void FixtureServer::setStall(const QString& path)
{
    std::lock_guard lock(d->mutex);
    d->routes[path.toStdString()] = Route { Route::Stall, 0, {}, {}, {} };
}

void FixtureServer::setHeldPage(const QString& path, const QByteArray& body, const QByteArray& contentType, int status)
{
    std::lock_guard lock(d->mutex);
    d->released = false;
    d->routes[path.toStdString()] = Route { Route::Held, status, contentType.toStdString(), body.toStdString(), {} };
}

void FixtureServer::release()
{
    {
        std::lock_guard lock(d->mutex);
        d->released = true;
    }
    d->wake.notify_all();
}

void FixtureServer::setChunkedPage(const QString& path, const QByteArray& body, const QByteArray& contentType)
{
    std::lock_guard lock(d->mutex);
    d->routes[path.toStdString()] = Route { Route::Chunked, 200, contentType.toStdString(), body.toStdString(), {} };
}

QList<FixtureServer::Request> FixtureServer::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

FixtureServer::Request FixtureServer::lastRequest() const
{
    std::lock_guard lock(d->mutex);
    return d->requests.isEmpty() ? Request {} : d->requests.last();
}

void FixtureServer::clearRequests()
{
    std::lock_guard lock(d->mutex);
    d->requests.clear();
}

QString FixtureServer::refusedUrl(const QString& pathAndQuery)
{
    // Take a free port from the kernel and let it go again: nothing listens there afterwards.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 9; // discard: closed on any test machine
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    if (fd >= 0)
        ::close(fd);
    return QStringLiteral("http://127.0.0.1:") + QString::number(port) + pathAndQuery;
}

} // namespace veldrin::test
