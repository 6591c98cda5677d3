#include "checks/person/idcard.h"
#include "checks/person/phonenumbers.h"
#include "support/printers.h"

#include <gtest/gtest.h>

using namespace veldrin;
using veldrin::test::str;

namespace {

TEST(IdCardCheck, ExpectedCheckCharacterFollowsTheWeightedSum)
{
    const std::pair<const char16_t*, char16_t> rows[] = {
        { u"11010519491231002", u'X' }, // sum mod 11 is 2
        { u"11010519491231001", u'1' }, { u"11010519491231007", u'0' },
        { u"11010519491231000", u'3' }, { u"00000000000000000", u'1' }, // sum 0
        { u"00000000000000001", u'X' }, // the last weight alone: 2
        { u"00000000000000010", u'8' }, // 4
    };
    for (const auto& [first17, expected] : rows)
        EXPECT_EQ(expectedCheckCharacter(str(first17)), std::optional<QChar>(QChar(expected)))
            << str(first17).toStdString();

    EXPECT_EQ(expectedCheckCharacter(u"1101051949123100X"), std::nullopt);
    EXPECT_EQ(expectedCheckCharacter(u"1101051949123100"), std::nullopt);
}

TEST(IdCardCheck, TheFirstMatchingRuleDecides)
{
    const std::pair<const char16_t*, IdCardCheck> rows[] = {
        // "X" expected: only "X" meets it.
        { u"11010519491231002X", IdCardCheck::Genuine },
        { u"110105194912310021", IdCardCheck::Fake },
        { u"11010519491231002A", IdCardCheck::Fake },
        { u"11010519491231002x", IdCardCheck::Fake }, // the caller upper-cases first
        // A digit expected: "X" is fake, another digit is fake, another non-digit is no check.
        { u"110105194912310011", IdCardCheck::Genuine },
        { u"110105194912310012", IdCardCheck::Fake },
        { u"11010519491231001X", IdCardCheck::Fake },
        { u"11010519491231001A", IdCardCheck::Malformed },
        { u"11010519491231001 ", IdCardCheck::Malformed },
        // A first 17 that are not all digits, or a length other than 18.
        { u"1101051949123100.1", IdCardCheck::Malformed },
        { u" 11010519491231001", IdCardCheck::Malformed },
        { u"11010519491231001", IdCardCheck::Malformed },
        { u"1101051949123100111", IdCardCheck::Malformed },
        { u"１10105194912310011", IdCardCheck::Malformed }, // a full-width digit is no digit
    };
    for (const auto& [number, expected] : rows)
        EXPECT_EQ(checkIdCard(str(number)), expected) << str(number).toStdString();
}

TEST(IdCardCheck, OnlyAsciiLettersAreUpperCased)
{
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        { u"11010519491231002x", u"11010519491231002X" },
        { u"11010519491231002X", u"11010519491231002X" },
        { u"abcxyz", u"ABCXYZ" },
        // The length stays: nothing becomes two characters, and no other letter changes.
        { u"11010519491231002ß", u"11010519491231002ß" },
        { u"11010519491231002ｘ", u"11010519491231002ｘ" }, // full-width
        { u"11010519491231002ı", u"11010519491231002ı" }, // dotless i, whose upper case is "I"
        { u"11010519491231002ǆ", u"11010519491231002ǆ" },
        { u"", u"" },
    };
    for (const auto& [typed, upper] : rows)
        EXPECT_EQ(idCardUpperCased(str(typed)), str(upper)) << str(typed).toStdString();

    // A final "ß" is a wrong check character where an "X" is due, not a malformed number.
    EXPECT_EQ(checkIdCard(idCardUpperCased(u"11010519491231002ß")), IdCardCheck::Fake);
}

TEST(MessengerNumber, FiveToTenAsciiDigitsWithoutLeadingZeros)
{
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        { u"10000", u"10000" }, { u"9999999999", u"9999999999" }, { u"000123", u"123" }, { u"00000", u"0" },
        { u"1234", nullptr },   { u"12345678901", nullptr },      { u"", nullptr },      { u"-1234", nullptr },
        { u"1234.0", nullptr }, { u" 12345", nullptr },           { u"1e+10", nullptr }, { u"１２３４５", nullptr },
    };
    for (const auto& [typed, expected] : rows) {
        const std::optional<QString> number = messengerNumberText(str(typed));
        EXPECT_EQ(number, expected ? std::optional<QString>(str(expected)) : std::nullopt) << str(typed).toStdString();
    }
}

TEST(RangeSearch, NextWholeNumberIsCountedOnTheDigits)
{
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        { u"", u"1" },
        { u"8888", u"8889" },
        { u"0999", u"1000" },
        { u"99999999999999999999", u"100000000000000000000" },
        { u"12345678901234567", u"12345678901234568" }, // beyond what a double holds exactly
        { u"12.", u"13" },
        { u"+7", u"8" },
        { u"-1234", u"-1233" },
        { u"-1", u"0" },
        { u"-0", u"1" },
        { u"-", nullptr },
        { u"1.5", nullptr },
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(nextWholeNumberText(str(text)), expected ? std::optional<QString>(str(expected)) : std::nullopt)
            << str(text).toStdString();
    }
}

TEST(RangeSearch, AddressOrRefusalForAreaCodeAndNumber)
{
    const QString query
        = QStringLiteral("/search?num=50&hl=en&lr=&newwindow=-1&q=%E7%94%B5%E8%AF%9D%E5%8F%B7%E7%A0%81+");
    struct Row
    {
        const char16_t* areaCode;
        const char16_t* number;
        RangeCheck check;
        const char16_t* range; // after the query's fixed start, when Ready
    };
    const Row rows[] = {
        { u"010", u"88888888", RangeCheck::Ready, u"010+88880000...88890000" },
        { u"010", u"1234", RangeCheck::Ready, u"010+0000...10000" },
        { u"010", u"123456789012", RangeCheck::Ready, u"010+123456780000...123456790000" },
        { u"0755", u"99999999", RangeCheck::Ready, u"0755+99990000...100000000" },
        // The user's parts go out percent-encoded.
        { u"010", u" 12345678", RangeCheck::Ready,
          u"010+%201234"
          u"0000...12350000" },
        { u"010", u"123", RangeCheck::Unreadable, nullptr },
        { u"", u"8888", RangeCheck::Unreadable, nullptr },
        { u"010", u"", RangeCheck::Unreadable, nullptr },
        { u"abc", u"88888888", RangeCheck::Unreadable, nullptr },
        { u"010", u"-1234", RangeCheck::Unreadable, nullptr }, // "-" left before the last four
        { u"10.5", u"88888888", RangeCheck::NotWhole, nullptr },
        { u"010", u"8888.5", RangeCheck::NotWhole, nullptr },
        // Both are numbers but one is not whole, the other no number: no number wins.
        { u"10.5", u"x", RangeCheck::Unreadable, nullptr },
    };
    for (const Row& row : rows) {
        const RangeSearch search = rangeSearch(str(row.areaCode), str(row.number));
        const std::string label = str(row.areaCode).toStdString() + " / " + str(row.number).toStdString();
        EXPECT_EQ(search.check, row.check) << label;
        EXPECT_EQ(search.pathAndQuery, row.range ? query + str(row.range) : QString()) << label;
    }
}

} // namespace
