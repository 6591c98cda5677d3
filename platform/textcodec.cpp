#include "platform/textcodec.h"

namespace veldrin {

QString decodeGbk(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray declaredCharset(const QByteArray&, const QByteArray&)
{
    return {};
}

QString decodeDeclared(const QByteArray&, const QByteArray& body)
{
    return decodeGbk(body);
}

} // namespace veldrin
