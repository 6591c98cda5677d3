#include "checks/person/phonenumbers.h"

#include "platform/convert.h"

namespace veldrin {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString withoutLeadingZeros(const QString& digits)
{
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == u'0')
        ++first;
    return digits.isEmpty() ? QStringLiteral("0") : digits.mid(first);
}

// The digit string one more (`step` 1) or one less (`step` -1, the digits above 0).
QString stepDigits(QString digits, int step)
{
    const QChar wrapFrom = step > 0 ? u'9' : u'0';
    const QChar wrapTo = step > 0 ? u'0' : u'9';
    qsizetype i = digits.size() - 1;
    for (; i >= 0 && digits[i] == wrapFrom; --i)
        digits[i] = wrapTo;
    if (i < 0)
        digits.prepend(u'1');
    else
        digits[i] = QChar(digits[i].unicode() + step);
    return withoutLeadingZeros(digits);
}

} // namespace

std::optional<QString> messengerNumberText(const QString& typed)
{
    if (typed.size() < 5 || typed.size() > 10)
        return std::nullopt;
    for (QChar c : typed) {
        if (!isAsciiDigit(c))
            return std::nullopt;
    }
    return withoutLeadingZeros(typed);
}

std::optional<QString> nextWholeNumberText(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("1");
    const std::optional<double> value = toNumber(text);
    if (!value || !isWholeNumber(*value))
        return std::nullopt;
    // The conversion has accepted the text, so it is blanks, a sign, digits and a fraction
    // of zeros: only the sign and the whole digits count.
    const QString plain = text.trimmed();
    qsizetype i = 0;
    const bool negative = i < plain.size() && plain[i] == u'-';
    if (i < plain.size() && (plain[i] == u'-' || plain[i] == u'+'))
        ++i;
    QString digits;
    for (; i < plain.size() && isAsciiDigit(plain[i]); ++i)
        digits += plain[i];
    const QString magnitude = withoutLeadingZeros(digits);
    if (!negative || magnitude == u"0")
        return stepDigits(magnitude, 1);
    const QString smaller = stepDigits(magnitude, -1);
    return smaller == u"0" ? smaller : u'-' + smaller;
}

RangeSearch rangeSearch(const QString& areaCode, const QString& number)
{
    const std::optional<double> area = toNumber(areaCode);
    const std::optional<double> whole = toNumber(number);
    if (!area || !whole)
        return {};
    if (!isWholeNumber(*area) || !isWholeNumber(*whole))
        return { RangeCheck::NotWhole, {} };
    if (number.size() < 4)
        return {};
    const QString prefix = number.left(number.size() - 4);
    const std::optional<QString> next = nextWholeNumberText(prefix);
    if (!next)
        return {};
    // q reads 电话号码, the area code and the range "p0000...p10000", blanks written "+".
    return { RangeCheck::Ready,
             u"/search?num=50&hl=en&lr=&newwindow=-1&q=%E7%94%B5%E8%AF%9D%E5%8F%B7%E7%A0%81+"
                 + percentEncodeUserPart(areaCode) + u'+' + percentEncodeUserPart(prefix) + u"0000..." + *next
                 + u"0000" };
}

} // namespace veldrin
