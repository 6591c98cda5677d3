#pragma once

#include "platform/echo.h"
#include "platform/http.h"
#include "platform/nameresolution.h"
#include "platform/nameservertool.h"
#include "platform/pageloader.h"
#include "platform/services.h"
#include "platform/waitingfetch.h"
#include "platform/webtext.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace veldrin {

// Message-box style values: the icon, with one OK button.
enum MessageStyle
{
    MsgNone = 0,
    MsgCritical = 16,
    MsgExclamation = 48,
    MsgInformation = 64
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Modal message box with one OK button. `text` joins its lines with a carriage return
    // alone, as the messages are written; the box shows them as real line breaks.
    virtual void messageBox(QWidget* owner, int style, const QString& title, const QString& text) = 0;
};

class Shell
{
public:
    virtual ~Shell() = default;
    // Hands a web address, mail or messenger link, or a file path to the desktop's default
    // handler. Fire and forget: whatever the handler does is not reported.
    virtual void open(QWidget* owner, const QString& target) = 0;
};

class ProcessControl
{
public:
    virtual ~ProcessControl() = default;
    // Ends the program at once: no further event runs and nothing is saved. A fake records
    // the call and returns, so every caller returns straight after calling it.
    virtual void endNow() = 0;
};

class InstanceGuard
{
public:
    virtual ~InstanceGuard() = default;
    // True when another instance of the program already ran when this process first asked.
    // The answer is fixed at that first question, so a later one never mistakes this
    // process's own hold for another instance.
    virtual bool anotherInstanceRunning() = 0;
};

class WindowHotKey
{
public:
    virtual ~WindowHotKey() = default;
    // From now on Alt+A, pressed anywhere on the desktop, brings `window` forward. Where the
    // platform offers no global key, nothing happens; the caller is not told either way.
    virtual void registerAltA(QWidget* window) = 0;
};

using PageLoaderFactory = std::function<std::unique_ptr<PageLoader>(QObject* parent)>;

// Name resolution, the echo request and the name-server tool (resolveIpv4, sendEcho,
// runNameServerTool in production).
using NameResolver = std::function<QList<Ipv4Address>(const QString& name)>;
using EchoSender = std::function<EchoResult(std::optional<Ipv4Address> destination, const EchoRequest& request)>;
using HostListTool = std::function<ToolOutput(const QString& name)>;

// Everything a window or panel needs from outside itself. Production builds it once in
// main(); tests build their own with recorders and a loopback service table.
struct Context
{
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    ProcessControl* process = nullptr;
    InstanceGuard* instance = nullptr;
    WindowHotKey* hotKey = nullptr;
    ServiceTable services = ServiceTable::defaults();
    FetchLimits fetchLimits;
    QString programFolder;
    PageLoaderFactory makePageLoader;
    // Inert until set: a context not built by the program itself resolves no name, sends no
    // echo and starts no program.
    NameResolver resolveName = [](const QString&) {
        return QList<Ipv4Address>();
    };
    EchoSender sendEcho = [](std::optional<Ipv4Address>, const EchoRequest&) {
        return EchoResult();
    };
    HostListTool runNameServer = [](const QString&) {
        return ToolOutput { false, {}, QStringLiteral("no name-server tool") };
    };
    // How page text is had; tests give exact texts per address instead.
    PageTextFetch pageText = [](const QString& url, const FetchLimits& limits) {
        return GetWebText(url, limits);
    };

    // The only way a lookup or window fetches a page: the service's address with
    // `pathAndQuery` (whose user part the caller has percent-encoded), within the context's
    // limits, waited for while the windows take no input but a way out (fetchWaiting). No
    // value when the page could not be had or the server answered with an error (500 to 599):
    // the lookup's failure path, never its error page read as a result.
    std::optional<QString> fetchPage(Service service, const QString& pathAndQuery) const
    {
        WebText text = fetchWaiting(pageText, services[service].url(pathAndQuery), fetchLimits);
        return text.ok ? std::optional<QString>(std::move(text.text)) : std::nullopt;
    }

    // How much longer than a resolution's or an echo's own time-out the wait for it lasts.
    static constexpr std::chrono::milliseconds waitGrace { 1000 };

    // Name resolution and the echo, waited for like a page (runWaiting): the window repaints
    // while they take their time. Their own time-outs hold; the wait gives them a moment more,
    // and one that has not answered by then counts as no address, or as no reply.
    QList<Ipv4Address> resolveNameWaiting(const QString& name) const
    {
        return runWaiting([resolve = resolveName, name] { return resolve(name); }, resolverTimeout + waitGrace)
            .value_or(QList<Ipv4Address>());
    }
    EchoResult sendEchoWaiting(std::optional<Ipv4Address> destination, const EchoRequest& request) const
    {
        return runWaiting([echo = sendEcho, destination, request] { return echo(destination, request); },
                          request.timeout + waitGrace)
            .value_or(EchoResult {
                .opened = true, .replies = 0, .from = {}, .status = 0, .error = QStringLiteral("no answer in time") });
    }

    // Never null: without a factory (or when it makes none) every navigation ends as a failed
    // load, so a lookup on such a loader reports its failure instead of waiting for ever.
    std::unique_ptr<PageLoader> pageLoader(QObject* parent) const
    {
        std::unique_ptr<PageLoader> loader = makePageLoader ? makePageLoader(parent) : nullptr;
        return loader ? std::move(loader) : createFailingPageLoader(QStringLiteral("no page loader"), parent);
    }
};

} // namespace veldrin
