#pragma once

#include "platform/http.h"
#include "platform/webtext.h"

#include <QString>
#include <functional>

namespace veldrin {

// Fetches the visible text of a page; GetWebText in production, a recording fake in tests.
// Called on a worker thread, so it must not touch objects of the calling thread.
using PageTextFetch = std::function<WebText(const QString& url, const FetchLimits& limits)>;

// The lookups are written as plain synchronous steps, but a page may take up to the whole-answer
// limit. So `fetch` runs on a thread of its own while the caller waits in a local event loop that
// takes no user input: painting, timers and other panels' loader events go on, clicks and keys
// wait until the caller has returned, as they would behind a busy thread.
//
// The deadline is the whole-answer limit and covers decoding and parsing too: a page that is
// still being parsed when it passes is a time-out, and the worker's late result is dropped.
WebText fetchWaiting(const PageTextFetch& fetch, const QString& url, const FetchLimits& limits);

} // namespace veldrin
