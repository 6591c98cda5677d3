#pragma once

#include "platform/http.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace veldrin {

// A page loader without a window, in place of a hidden browser control: navigate() returns at
// once and the page arrives later through signals on the thread that owns the loader.
//
// Every navigation ends with exactly one titleChange and one documentComplete, in that
// order: an empty document when the page could not be had (location is then the requested
// address). A new navigate() abandons the one in progress; nothing of the abandoned one is
// delivered afterwards. Calling navigate() from a slot of documentComplete is allowed.
//
// The events of one navigation, each queued, never emitted from inside navigate():
//   progressChange(0, 100)    soon after navigate()
//   progressChange(100, 100)  the page is in: the document below is already set
//   titleChange(title)
//   documentComplete(locationUrl)
//   progressChange(0, 0)      idle again
// A slot that navigates anew (or destroys the loader) ends this sequence where it stands.
// Every navigation ends: the fetch limits bound how long a page may take, parsing included.
class PageLoader : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~PageLoader() override = default;

    virtual void navigate(const QString& url) = 0;

    // The current document: set just before titleChange of its navigation is emitted.
    virtual QString innerText() const = 0;
    virtual QStringList links() const = 0;
    virtual QString locationUrl() const = 0;
    virtual QString title() const = 0;
    // Why the current document could not be had (refused, timed out, too large, broken), or
    // empty when it was loaded. A failed load is an empty document, never a page without
    // markers: lookups send it to their failure path.
    virtual QString loadError() const = 0;
    bool loadFailed() const { return !loadError().isEmpty(); }

    // A silent loader shows no dialog of its own. Ours never shows any; kept so callers can
    // state what they need.
    void setSilent(bool silent) { m_silent = silent; }
    bool silent() const { return m_silent; }

Q_SIGNALS:
    void progressChange(int progress, int progressMax);
    void titleChange(const QString& title);
    void documentComplete(const QString& url);

private:
    bool m_silent = false;
};

// Production loader: HTTP off the UI thread, charset as the answer declares it (else GBK),
// the same inner-text walker as the page-text fetch.
std::unique_ptr<PageLoader> createHttpPageLoader(const FetchLimits& limits, QObject* parent = nullptr);

// A loader for a context that has none to give: every navigation ends, with the usual events,
// as a failed load for `reason`.
std::unique_ptr<PageLoader> createFailingPageLoader(const QString& reason, QObject* parent = nullptr);

} // namespace veldrin
