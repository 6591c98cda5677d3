#include "platform/convert.h"

#include <gtest/gtest.h>

using veldrin::isWholeNumber;
using veldrin::percentEncodeUserPart;
using veldrin::toNumber;

namespace {

TEST(ToNumber, AcceptsPlainDecimalNumbersOnly)
{
    struct Case
    {
        const char16_t* text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        { u"0", 0.0 },  { u"255", 255.0 }, { u" 12 ", 12.0 }, { u"\t7", 7.0 },  { u"-3", -3.0 },
        { u"+4", 4.0 }, { u"1.5", 1.5 },   { u".5", 0.5 },    { u"12.", 12.0 }, { u"007", 7.0 },
        { u"", {} },    { u"   ", {} },    { u"-", {} },      { u".", {} },     { u"nan", {} },
        { u"inf", {} }, { u"0x1F", {} },   { u"1e3", {} },    { u"1,000", {} }, { u"1 2", {} },
        { u"12a", {} }, { u"１２", {} },   { u"--1", {} },    { u"1.2.3", {} }, { u"*", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(toNumber(QString::fromUtf16(c.text)), c.expected) << QString::fromUtf16(c.text).toStdString();
}

TEST(ToNumber, WholeNumberTest)
{
    EXPECT_TRUE(isWholeNumber(*toNumber(QStringLiteral("255"))));
    EXPECT_TRUE(isWholeNumber(*toNumber(QStringLiteral("-0"))));
    EXPECT_FALSE(isWholeNumber(*toNumber(QStringLiteral("2.5"))));
    EXPECT_TRUE(isWholeNumber(*toNumber(QStringLiteral("3.0"))));
}

TEST(PercentEncode, KeepsOrdinaryInputAndEscapesTheRest)
{
    struct Case
    {
        const char16_t* text;
        const char* expected;
    };
    const Case cases[] = {
        { u"www.example.com", "www.example.com" },
        { u"61.135.*.1", "61.135.*.1" },
        { u"a-b_c~d", "a-b_c~d" },
        { u"a&b=c", "a%26b%3Dc" },
        { u"x#y", "x%23y" },
        { u"two words", "two%20words" },
        { u"line\r\nbreak", "line%0D%0Abreak" },
        { u"刘德华", "%E5%88%98%E5%BE%B7%E5%8D%8E" },
        { u"a/b?c", "a%2Fb%3Fc" },
        { u"100%", "100%25" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(percentEncodeUserPart(QString::fromUtf16(c.text)), QString::fromLatin1(c.expected));
}

} // namespace
