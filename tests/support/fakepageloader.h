#pragma once

#include "app/context.h"
#include "platform/pageloader.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace veldrin::test {

// A page loader the test drives by hand: it records every navigate() and loads nothing.
// The test sets the document and fires the events a real loader would, either at once
// (inside the call) or queued (delivered by the next turn of the event loop).
class FakePageLoader final : public PageLoader
{
public:
    using PageLoader::PageLoader;

    void navigate(const QString& url) override { navigations.append(url); }

    QString innerText() const override { return m_innerText; }
    QStringList links() const override { return m_links; }
    QString locationUrl() const override { return m_location; }
    QString title() const override { return m_title; }
    QString loadError() const override { return m_error; }

    // Sets the document the loader's readers see from now on (a loaded one).
    void setDocument(const QString& innerText, const QStringList& links = {}, const QString& location = {},
                     const QString& title = {});

    // Sets the document, then fires titleChange(title) and documentComplete(location), as a
    // finished navigation does. An empty location stands for the last navigated address.
    void completeWith(const QString& innerText, const QStringList& links = {}, const QString& location = {},
                      const QString& title = {});
    // The same, queued: nothing happens until the event loop runs.
    void completeLater(const QString& innerText, const QStringList& links = {}, const QString& location = {},
                       const QString& title = {});

    // Ends the last navigation as a failed load for `reason` (empty document, location the
    // navigated address), with the events a real loader fires.
    void failWith(const QString& reason);

    // Sets only the location, then fires titleChange (a page whose title changed).
    void fireTitleChange(const QString& location, const QString& title = {});
    void fireDocumentComplete() { Q_EMIT documentComplete(m_location); }
    void fireProgress(int progress, int progressMax) { Q_EMIT progressChange(progress, progressMax); }

    QString lastNavigation() const { return navigations.isEmpty() ? QString() : navigations.last(); }

    QStringList navigations;

private:
    void fireCompletion(); // titleChange, then documentComplete unless a slot navigated

    QString m_innerText;
    QStringList m_links;
    QString m_location;
    QString m_title;
    QString m_error;
};

// Hands out FakePageLoaders through a Context and keeps track of them, so a test can reach
// the loader a window made by its object name (set by the window after creation) or by order.
class FakeLoaderFactory
{
public:
    // Installs this factory as the context's loader maker. The factory must outlive every
    // window built from the context.
    void install(Context& context);
    PageLoaderFactory maker();

    int count() const { return static_cast<int>(m_loaders.size()); }
    FakePageLoader* at(int index) const { return m_loaders.value(index); }
    FakePageLoader* last() const { return m_loaders.isEmpty() ? nullptr : m_loaders.last().data(); }
    // The living loader with this object name, or null.
    FakePageLoader* named(const QString& objectName) const;

private:
    QList<QPointer<FakePageLoader>> m_loaders;
};

} // namespace veldrin::test
