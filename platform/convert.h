#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace veldrin {

// The one number conversion of the program: optional blanks around, an optional sign,
// digits, an optional fraction. Empty text, "nan", "inf", hex, exponents and digit
// grouping are not numbers.
std::optional<double> toNumber(const QString& text);

// A typed number passes when its conversion equals its whole part.
bool isWholeNumber(double value);

// The user's part of a request address, percent-encoded as UTF-8. Unreserved characters
// and '*' stay as they are, so ordinary input gives the same request as typed while '&',
// '#', blanks and line breaks can no longer change the request's shape.
QString percentEncodeUserPart(const QString& text);

} // namespace veldrin
