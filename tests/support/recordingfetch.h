#pragma once

#include "app/context.h"

#include <QMap>
#include <QStringList>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace veldrin::test {

// Stands in for the page-text fetch of a context: answers each address with the exact text
// given for it (CR LF included), records every address asked for, and fails for an address it
// was given no page for. The fetch runs on a worker thread, so everything here is locked.
class RecordingFetch
{
public:
    RecordingFetch();

    // Installs this fetch into the context; it must outlive every fetch the context starts.
    void install(Context& context);

    // `status` is the answer's HTTP status that travels beside the text (0: none known).
    void setPage(const QString& url, const QString& text, long status = 0);
    void setFailure(const QString& url, const QString& reason = QStringLiteral("refused"));

    // Every address fetched so far, in order.
    QStringList urls() const;

    // Holds every fetch from now on until release(), then answers as usual: a page whose
    // fetch outlasts the wait.
    void hold();
    void release();
    // True once every fetch that started has returned.
    bool idle() const;

private:
    struct State;
    std::shared_ptr<State> d;
};

} // namespace veldrin::test
