#include "platform/convert.h"

#include <cmath>

namespace veldrin {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<double> toNumber(const QString& text)
{
    qsizetype i = 0;
    qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    while (n > i && isBlank(text[n - 1]))
        --n;
    QString plain;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        plain += text[i++];
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        plain += text[i++];
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        plain += text[i++];
        while (i < n && isDigit(text[i])) {
            plain += text[i++];
            ++digits;
        }
    }
    if (digits == 0 || i != n)
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isWholeNumber(double value)
{
    return std::isfinite(value) && value == std::trunc(value);
}

QString percentEncodeUserPart(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(QByteArrayLiteral("*")));
}

} // namespace veldrin
