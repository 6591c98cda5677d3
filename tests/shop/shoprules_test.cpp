#include "shop/shoplinks.h"
#include "shop/shopscore.h"
#include "support/printers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace veldrin;
using namespace veldrin::test;

namespace {

TEST(ShopLinks, ShopLinkIsThePrefixADigitAndTheEnding)
{
    const std::pair<const char16_t*, bool> cases[] = {
        { u"http://shop1.tb.example/", true },
        { u"http://shop0abc.tb.example/", true },
        { u"http://shop9.anything.tb.example/", true },
        { u"http://shop.tb.example/", false }, // "." where the digit stands
        { u"http://shopa1.tb.example/", false },
        { u"http://shop１.tb.example/", false }, // a full-width digit is no decimal digit
        { u"https://shop1.tb.example/", false },
        { u"HTTP://shop1.tb.example/", false },
        { u"http://shop1.tb.example", false }, // the ending needs its "/"
        { u"http://shop1.tb.example/index.htm", false },
        { u"http://shop1.tb.example.other.org/", false },
        { u"http://shop1", false },
        { u"http://shop", false },
        { u"", false },
    };
    for (const auto& [link, passes] : cases)
        EXPECT_EQ(isShopLink(str(link)), passes) << str(link).toStdString();

    EXPECT_EQ(shopLinkOf({ QStringLiteral("http://www.tb.example/"), QStringLiteral("http://shop2.tb.example/"),
                           QStringLiteral("http://shop3.tb.example/") }),
              QStringLiteral("http://shop2.tb.example/"));
    EXPECT_EQ(shopLinkOf({ QStringLiteral("http://www.tb.example/") }), std::nullopt);
    EXPECT_EQ(shopLinkOf({}), std::nullopt);
}

TEST(ShopLinks, CreditLinkIsARatingHostPageUnderTheRatingPath)
{
    const std::pair<const char16_t*, bool> cases[] = {
        { u"http://rate.tb.example/user-rate-1.htm", true },
        { u"https://rate.tb.example/user-rate-1.htm?x=1", true },
        { u"HTTP://rate.tb.example/user-rate", true },
        { u"http://RATE.tb.Example/user-rate", true }, // host names know no case
        { u"http://www.rate.tb.example/user-rate-1.htm", true },
        { u"http://rate.tb.example/user-rat", false },
        { u"http://rate.tb.example/", false },
        { u"http://rate.tb.example/x/user-rate-1.htm", false },
        { u"http://rate.tb.example", false },
        // Foreign hosts that only mention the rating host.
        { u"http://www.tb.example/go?to=rate.tb.example/user-rate-1.htm", false },
        { u"http://evil.example/rate.tb.example/user-rate-1.htm", false },
        { u"http://rate.tb.example@evil.example/user-rate-1.htm", false },
        { u"http://rate.tb.example@evil.example/", false },
        { u"http://evil.example\\@rate.tb.example/user-rate-1.htm", false },
        { u"http://evilrate.tb.example/user-rate-1.htm", false },
        { u"http://rate.tb.example.evil.example/user-rate-1.htm", false },
        { u"http://.rate.tb.example/user-rate-1.htm", false },
        // Nothing but the plain host: no user name, no port of its own.
        { u"http://user@rate.tb.example/user-rate-1.htm", false },
        { u"http://rate.tb.example:8080/user-rate-1.htm", false },
        { u"http://rate.tb.example:80/user-rate-1.htm", false },
        { u"javascript:location='http://rate.tb.example/user-rate-1.htm'", false },
        { u"file:///rate.tb.example/user-rate-1.htm", false },
        { u"ftp://rate.tb.example/user-rate-1.htm", false },
        { u"http:rate.tb.example/user-rate-1.htm", false },
        { u"rate.tb.example/user-rate-1.htm", false },
        { u"", false },
    };
    for (const auto& [link, passes] : cases)
        EXPECT_EQ(isCreditLink(str(link)), passes) << str(link).toStdString();

    EXPECT_EQ(creditLinkOf({ QStringLiteral("javascript:'rate.tb.example/user-rate'"),
                             QStringLiteral("http://rate.tb.example/user-rate-2.htm"),
                             QStringLiteral("http://rate.tb.example/user-rate-3.htm") }),
              QStringLiteral("http://rate.tb.example/user-rate-2.htm"));
    EXPECT_EQ(creditLinkOf({ QStringLiteral("http://shop2.tb.example/") }), std::nullopt);
}

TEST(LeadingNumber, ReadsTheNumberTheTextBeginsWith)
{
    constexpr double largest = std::numeric_limits<double>::max();
    const std::pair<const char16_t*, double> cases[] = {
        { u"", 0 },
        { u"   ", 0 },
        { u" \t\n ", 0 },
        { u"1200", 1200 },
        { u"  98.5  ", 98.5 },
        { u"1 000", 1000 },
        { u" 1\t2\n3 ", 123 },
        { u"- 5", -5 },
        { u"-5", -5 },
        { u"+7", 7 },
        { u"3e3", 3000 },
        { u"2E-1", 0.2 },
        { u"1 e 3", 1000 },
        { u"1e", 1 },
        { u"1e+", 1 },
        { u"1ex", 1 },
        { u"1e999", largest },
        { u"-1e999", -largest },
        { u"1e-999", 0 },
        { u".5", 0.5 },
        { u"5.", 5 },
        { u"1.5.3", 1.5 },
        { u"100分", 100 },
        { u"12,345", 12 },
        { u"12.3.4", 12.3 },
        { u"abc", 0 },
        { u"分100", 0 },
        { u".", 0 },
        { u"-", 0 },
        { u"e5", 0 },
        { u"\r5", 0 }, // a carriage return is not skipped
        { u"inf", 0 },
        { u"Infinity", 0 },
        { u"nan", 0 },
        { u"0x1A", 0 },
        { u"&H1A", 0 },
        { u"１２", 0 },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(leadingNumber(str(text)), expected) << str(text).toStdString();
}

constexpr Tick Y = Tick::Yes;
constexpr Tick N = Tick::No;
constexpr Tick D = Tick::Dimmed;
using Ticks = std::array<Tick, ShopCheckCount>;
// Check2 to Check9 as a clean shop has them: no rule of the check boxes applies.
constexpr Ticks clean = { Y, N, N, N, N, Y, Y, Y };
// Clean but penalised (Check6): 70, so the figures' effects show below the clamp.
constexpr Ticks penalised = { Y, N, N, N, Y, Y, Y, Y };

int scoreOf(const char16_t* credit, const char16_t* good, const char16_t* bad, const Ticks& ticks)
{
    ShopFigures figures { leadingNumber(str(credit)), leadingNumber(str(good)), leadingNumber(str(bad)), ticks };
    return scoreShop(figures).score;
}

TEST(ScoreShop, EachFigureBandIncludesItsLowerBound)
{
    struct Row
    {
        const char16_t* credit;
        const char16_t* good;
        const char16_t* bad;
        int score;
    };
    // From 70: good 1000 takes -6, credit 500 takes -15, bad 0 nothing (49).
    const Row rows[] = {
        { u"500", u"1000", u"0", 49 },
        // Credit.
        { u"0", u"1000", u"0", 44 },
        { u"499", u"1000", u"0", 44 },
        { u"999", u"1000", u"0", 49 },
        { u"1000", u"1000", u"0", 49 },
        { u"1999", u"1000", u"0", 49 },
        { u"2000", u"1000", u"0", 66 },
        { u"4999", u"1000", u"0", 66 },
        { u"5000", u"1000", u"0", 69 },
        { u"10000", u"1000", u"0", 74 },
        { u"99999", u"1000", u"0", 74 },
        { u"100000", u"1000", u"0", 79 },
        { u"499999", u"1000", u"0", 79 },
        { u"500000", u"1000", u"0", 84 },
        { u"1e999", u"1000", u"0", 84 },
        { u"-5", u"1000", u"0", 44 },
        // Bad ratings: below 1 nothing.
        { u"500", u"1000", u"0.5", 49 },
        { u"500", u"1000", u"-5", 49 },
        { u"500", u"1000", u"1", 34 },
        { u"500", u"1000", u"29", 34 },
        { u"500", u"1000", u"30", 29 },
        { u"500", u"1000", u"99", 29 },
        { u"500", u"1000", u"100", 24 },
        { u"500", u"1000", u"499", 24 },
        { u"500", u"1000", u"500", 19 },
        { u"500", u"1000", u"1999", 19 },
        { u"500", u"1000", u"2000", 14 },
        { u"500", u"1000", u"1e999", 14 },
        // Good ratings: from 1000 to under 5000 the -6.
        { u"500", u"999", u"0", 43 },
        { u"500", u"4999", u"0", 49 },
        { u"500", u"5000", u"0", 58 },
        { u"500", u"9999", u"0", 58 },
        { u"500", u"10000", u"0", 60 },
        { u"500", u"49999", u"0", 60 },
        { u"500", u"50000", u"0", 63 },
        { u"500", u"99999", u"0", 63 },
        { u"500", u"100000", u"0", 65 },
        { u"500", u"499999", u"0", 65 },
        { u"500", u"500000", u"0", 75 },
        // Texts read by their leading number.
        { u"500", u"1 000", u"0", 49 },
        { u"500", u"3e3", u"0", 49 },
        { u"500", u"5000分", u"0", 58 },
        { u"500", u"12,345", u"0", 43 },
        { u"abc", u"1000", u"   ", 44 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(scoreOf(row.credit, row.good, row.bad, penalised), row.score)
            << str(row.credit).toStdString() << " / " << str(row.good).toStdString() << " / "
            << str(row.bad).toStdString();
}

TEST(ScoreShop, CheckBoxRulesAndTheClamp)
{
    struct Row
    {
        const char* name;
        Ticks ticks;
        const char16_t* credit;
        const char16_t* good;
        const char16_t* bad;
        int score;
    };
    const Row rows[] = {
        // 70, -5, -5, -2, then -12 and -20.
        { "nothing ticked, no figures", { N, N, N, N, N, N, N, N }, u"0", u"0", u"0", 26 },
        { "clean with good figures", { Y, N, N, N, N, Y, Y, Y }, u"3000", u"12000", u"10", 92 },
        // The unticked Check2 sets 70 whatever came before; it is the first rule.
        { "only Check2 unticked", { N, N, N, N, N, Y, Y, Y }, u"2000", u"5000", u"0", 75 },
        { "each problem", { Y, Y, Y, Y, Y, Y, Y, Y }, u"2000", u"5000", u"0", 30 },
        { "Check7 to Check9 unticked", { Y, N, N, N, N, N, N, N }, u"2000", u"5000", u"0", 93 },
        // A dimmed box is neither ticked nor unticked: no rule applies.
        { "all dimmed", { D, D, D, D, D, D, D, D }, u"2000", u"1000", u"0", 96 },
        { "raw 140", clean, u"500000", u"500000", u"0", 100 },
        { "raw -84", { N, Y, Y, Y, Y, N, N, N }, u"0", u"0", u"2000", 0 },
        { "raw -12", { N, Y, Y, Y, Y, N, N, N }, u"500000", u"500000", u"2000", 0 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(scoreOf(row.credit, row.good, row.bad, row.ticks), row.score) << row.name;
}

TEST(ScoreShop, ReportListsTheProblemsTheScoreAndOneVerdict)
{
    struct Row
    {
        const char* name;
        Ticks ticks;
        double credit, good, bad;
        const char16_t* report;
    };
    const Row rows[] = {
        { "nothing ticked, no figures",
          { N, N, N, N, N, N, N, N },
          0,
          0,
          0,
          u"经过检测该店存在的问题有：该店铺没加入消费者保障服务。该店铺信用太低。该店铺评分：26 分。"
          u"经过评估，该店总体水平太差，购物有较大风险，不建议在此店购物！" },
        { "every problem",
          { N, Y, Y, Y, Y, N, N, N },
          999,
          0,
          30,
          u"经过检测该店存在的问题有：该店铺没加入消费者保障服务。该店铺最近违规。该店铺最近有退款纠纷。"
          u"该店铺最近有投诉纠纷。该店铺最近被处罚。该店铺差评太多。该店铺信用太低。该店铺评分：0 分。"
          u"经过评估，该店总体水平太差，购物有较大风险，不建议在此店购物！" },
        { "no problem", clean, 3000, 12000, 10,
          u"经过检测该店存在的问题有：该店铺评分：92 分。经过评估，该店总体水平较好，可以购买！" },
        // Exactly 80 is good; bad 100 is too many, credit 2000 is not too low.
        { "exactly 80", clean, 2000, 5000, 100,
          u"经过检测该店存在的问题有：该店铺差评太多。该店铺评分：80 分。经过评估，该店总体水平较好，可以购买！" },
        { "79",
          { Y, N, N, N, N, Y, Y, N },
          2000,
          1000,
          1,
          u"经过检测该店存在的问题有：该店铺评分：79 分。经过评估，该店总体水平一般，购物需谨慎！" },
        { "exactly 60", penalised, 2000, 5000, 1,
          u"经过检测该店存在的问题有：该店铺最近被处罚。该店铺评分：60 分。经过评估，该店总体水平一般，购物需谨慎！" },
        { "59",
          { Y, Y, N, N, N, N, Y, N },
          2000,
          1000,
          1,
          u"经过检测该店存在的问题有：该店铺最近违规。该店铺评分：59 分。"
          u"经过评估，该店总体水平太差，购物有较大风险，不建议在此店购物！" },
        // The report's thresholds are not the bands': credit 500 to 999 and bad 1 to 29.
        { "credit 999, bad 29", clean, 999, 5000, 29,
          u"经过检测该店存在的问题有：该店铺信用太低。该店铺评分：73 分。经过评估，该店总体水平一般，购物需谨慎！" },
        { "dimmed Check2 and Check3",
          { D, D, N, N, N, Y, Y, Y },
          1000,
          5000,
          0,
          u"经过检测该店存在的问题有：该店铺评分：88 分。经过评估，该店总体水平较好，可以购买！" },
    };
    for (const Row& row : rows) {
        const ShopAssessment assessment = scoreShop(ShopFigures { row.credit, row.good, row.bad, row.ticks });
        EXPECT_EQ(assessment.report, str(row.report)) << row.name;
    }
}

} // namespace
