#include "checks/person/idcard.h"

#include <array>

namespace veldrin {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The weight of position i is 2^(18 - i) mod 11.
constexpr std::array<int, 17> weights { 7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2 };

// The check character by the weighted sum modulo 11.
constexpr char16_t checkCharacters[] = u"10X98765432";

} // namespace

QString idCardUpperCased(QStringView typed)
{
    QString upper = typed.toString();
    for (QChar& c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return upper;
}

std::optional<QChar> expectedCheckCharacter(QStringView first17)
{
    if (first17.size() != static_cast<qsizetype>(weights.size()))
        return std::nullopt;
    int sum = 0;
    for (qsizetype i = 0; i < first17.size(); ++i) {
        if (!isAsciiDigit(first17[i]))
            return std::nullopt;
        sum += (first17[i].unicode() - u'0') * weights[static_cast<std::size_t>(i)];
    }
    return QChar(checkCharacters[sum % 11]);
}

IdCardCheck checkIdCard(QStringView number)
{
    if (number.size() != 18)
        return IdCardCheck::Malformed;
    const std::optional<QChar> expected = expectedCheckCharacter(number.first(17));
    if (!expected)
        return IdCardCheck::Malformed;
    const QChar last = number[17];
    if (*expected == u'X')
        return last == u'X' ? IdCardCheck::Genuine : IdCardCheck::Fake;
    if (last == u'X')
        return IdCardCheck::Fake;
    if (!isAsciiDigit(last))
        return IdCardCheck::Malformed;
    return last == *expected ? IdCardCheck::Genuine : IdCardCheck::Fake;
}

} // namespace veldrin
