#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace veldrin {

// GBK (code page 936) bytes to text, with the mappings of the C library's iconv; a byte
// sequence that is not GBK becomes U+FFFD and decoding goes on, so decoding never fails.
QString decodeGbk(const QByteArray& bytes);

// The same characters as UTF-8, written straight into one buffer: the form the HTML parser
// reads, with no UTF-16 string on the way.
QByteArray decodeGbkToUtf8(QByteArrayView bytes);

// The charset an answer declares: the Content-Type header's charset, else a <meta charset>
// or <meta http-equiv="Content-Type" content="...charset=..."> near the start of the body.
// Empty when none is declared.
QByteArray declaredCharset(const QByteArray& contentTypeHeader, const QByteArray& body);

// Decodes with the declared charset (UTF-8, GBK/GB2312/GB18030, ISO-8859-1/windows-1252 and
// whatever else iconv knows), falling back to GBK when none is declared or it is unknown.
// A page starting with a UTF-8 byte-order mark is UTF-8 whatever it declares. What comes out
// is always well formed: a sequence that is not becomes U+FFFD.
QString decodeDeclared(const QByteArray& contentTypeHeader, const QByteArray& body);
QByteArray decodeDeclaredToUtf8(const QByteArray& contentTypeHeader, const QByteArray& body);

} // namespace veldrin
