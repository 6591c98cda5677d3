#pragma once

#include "platform/http.h"
#include "platform/innertext.h"

#include <QString>
#include <optional>

namespace veldrin {

struct WebText
{
    bool ok = false;
    QString text; // the page's visible text when ok
    QString error; // the reason when not ok
    long status = 0; // the answer's HTTP status, where one came (0 when none is known)
};

// The visible text of the page at `url`: one GET with the header
// "CONTENT-TYPE: application/x-www-form-urlencoded" and an empty body, redirects followed,
// no status judged (an error page's text comes back like any page, its status beside it), the
// bytes decoded as GBK whatever the server declares, and the body's inner text with CR LF line
// breaks. The URL is used as given. Positions into the text count UTF-16 code units.
// The whole-answer limit bounds the whole call, parsing included: a page still being parsed
// when it passes is given up as a time-out.
WebText GetWebText(const QString& url, const FetchLimits& limits = {});

// The text GetWebText makes of an answer's bytes: decoded as GBK straight into the UTF-8 the
// parser reads, then the body's inner text. The bytes are taken over and let go of before
// the parse, so a large page's GBK form is gone before its tree is built.
QString pageTextOfGbk(QByteArray body);
// The same, given up (no value) once `stop` is reached.
std::optional<QString> pageTextOfGbk(QByteArray body, const ParseStop& stop);

} // namespace veldrin
