#include "support/fakepageloader.h"

#include <QTimer>

namespace veldrin::test {

void FakePageLoader::setDocument(const QString& innerText, const QStringList& links, const QString& location,
                                 const QString& title)
{
    m_innerText = innerText;
    m_links = links;
    m_location = location.isEmpty() ? lastNavigation() : location;
    m_title = title;
    m_error.clear();
}

void FakePageLoader::completeWith(const QString& innerText, const QStringList& links, const QString& location,
                                  const QString& title)
{
    setDocument(innerText, links, location, title);
    fireCompletion();
}

void FakePageLoader::failWith(const QString& reason)
{
    setDocument({});
    m_error = reason;
    fireCompletion();
}

void FakePageLoader::fireCompletion()
{
    const QPointer<FakePageLoader> self(this);
    const qsizetype navigationsBefore = navigations.size();
    Q_EMIT titleChange(m_title);
    // A slot may have navigated anew or destroyed the loader; a real loader then drops the
    // rest of this page's events, and so does the fake.
    if (self && navigations.size() == navigationsBefore)
        Q_EMIT documentComplete(m_location);
}

void FakePageLoader::completeLater(const QString& innerText, const QStringList& links, const QString& location,
                                   const QString& title)
{
    QTimer::singleShot(0, this,
                       [this, innerText, links, location, title] { completeWith(innerText, links, location, title); });
}

void FakePageLoader::fireTitleChange(const QString& location, const QString& title)
{
    m_location = location;
    m_title = title;
    m_error.clear();
    Q_EMIT titleChange(title);
}

void FakeLoaderFactory::install(Context& context)
{
    context.makePageLoader = maker();
}

PageLoaderFactory FakeLoaderFactory::maker()
{
    return [this](QObject* parent) {
        auto loader = std::make_unique<FakePageLoader>(parent);
        m_loaders.append(loader.get());
        return std::unique_ptr<PageLoader>(std::move(loader));
    };
}

FakePageLoader* FakeLoaderFactory::named(const QString& objectName) const
{
    for (const QPointer<FakePageLoader>& loader : m_loaders) {
        if (loader && loader->objectName() == objectName)
            return loader;
    }
    return nullptr;
}

} // namespace veldrin::test
