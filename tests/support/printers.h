#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable failure messages: gtest would otherwise print a QString as its raw code units.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << "{ ";
    for (const QString& text : list)
        *os << '"' << text.toStdString() << "\" ";
    *os << '}';
}

namespace veldrin::test {

// A text of a test table (UTF-16 literal) as a QString; a null entry gives the null string.
inline QString str(const char16_t* text)
{
    return text ? QString::fromUtf16(text) : QString();
}

} // namespace veldrin::test
