#include "shop/shopscore.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace veldrin {

namespace {

constexpr double below = -std::numeric_limits<double>::infinity();

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// One step of a figure's rule: from `from` (included) up to the next band's `from`.
struct Band
{
    double from;
    int effect;
};

// Bad ratings below 1 change nothing.
constexpr Band badRatingBands[] = { { 1, -15 }, { 30, -20 }, { 100, -25 }, { 500, -30 }, { 2000, -35 } };
// From 1000 to under 5000 the shop loses 6 points, so no figure goes unrated.
constexpr Band goodRatingBands[]
    = { { below, -12 }, { 1000, -6 }, { 5000, 3 }, { 10000, 5 }, { 50000, 8 }, { 100000, 10 }, { 500000, 20 } };
constexpr Band creditBands[]
    = { { below, -20 }, { 500, -15 }, { 2000, 2 }, { 5000, 5 }, { 10000, 10 }, { 100000, 15 }, { 500000, 20 } };

int effectOf(std::span<const Band> bands, double figure)
{
    int effect = 0;
    for (const Band& band : bands) {
        if (figure >= band.from)
            effect = band.effect;
    }
    return effect;
}

struct CheckRule
{
    Tick when;
    int effect;
    const char16_t* problem; // null: the rule adds no line to the report
};

// Check2 to Check9 in order. An unticked Check2 sets the score to 70; being the first rule,
// it is 30 down from the start.
constexpr int unprotectedScore = 70;
constexpr CheckRule checkRules[ShopCheckCount] = {
    { Tick::No, 0, u"该店铺没加入消费者保障服务。" },
    { Tick::Yes, -15, u"该店铺最近违规。" },
    { Tick::Yes, -15, u"该店铺最近有退款纠纷。" },
    { Tick::Yes, -15, u"该店铺最近有投诉纠纷。" },
    { Tick::Yes, -30, u"该店铺最近被处罚。" },
    { Tick::No, -5, nullptr },
    { Tick::No, -5, nullptr },
    { Tick::No, -2, nullptr },
};

// The report's thresholds are not the scoring bands: they are their own.
constexpr double tooManyBadRatings = 30;
constexpr double creditTooLow = 1000;

struct Verdict
{
    int from;
    const char16_t* text;
};
constexpr Verdict verdicts[] = {
    { 80, u"经过评估，该店总体水平较好，可以购买！" },
    { 60, u"经过评估，该店总体水平一般，购物需谨慎！" },
    { 0, u"经过评估，该店总体水平太差，购物有较大风险，不建议在此店购物！" },
};

} // namespace

double leadingNumber(QStringView text)
{
    QString kept;
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            kept += c;
    }
    const qsizetype n = kept.size();
    const auto signAt = [&](qsizetype at) {
        return at < n && (kept[at] == u'+' || kept[at] == u'-') ? at + 1 : at;
    };
    const auto digitsFrom = [&](qsizetype at) {
        while (at < n && isDigit(kept[at]))
            ++at;
        return at;
    };

    const qsizetype digitsStart = signAt(0);
    qsizetype end = digitsFrom(digitsStart);
    qsizetype digits = end - digitsStart;
    if (end < n && kept[end] == u'.') {
        const qsizetype fractionEnd = digitsFrom(end + 1);
        digits += fractionEnd - (end + 1);
        end = fractionEnd;
    }
    if (digits == 0)
        return 0;
    // An "e" with no digit after it (and its sign) is no exponent: the number ends before it.
    if (end < n && (kept[end] == u'e' || kept[end] == u'E')) {
        const qsizetype exponentStart = signAt(end + 1);
        const qsizetype exponentEnd = digitsFrom(exponentStart);
        if (exponentEnd > exponentStart)
            end = exponentEnd;
    }
    const double value = QLocale::c().toDouble(QStringView(kept).left(end));
    if (std::isinf(value))
        return std::copysign(std::numeric_limits<double>::max(), value);
    return value;
}

ShopAssessment scoreShop(const ShopFigures& figures)
{
    int score = 100;
    QString report = QStringLiteral("经过检测该店存在的问题有：");
    for (int check = 0; check < ShopCheckCount; ++check) {
        const CheckRule& rule = checkRules[check];
        if (figures.checks[check] != rule.when)
            continue;
        score = check == ConsumerProtection ? unprotectedScore : score + rule.effect;
        if (rule.problem)
            report += QString::fromUtf16(rule.problem);
    }
    score += effectOf(badRatingBands, figures.badRatings);
    score += effectOf(goodRatingBands, figures.goodRatings);
    score += effectOf(creditBands, figures.credit);
    score = std::clamp(score, 0, 100);

    if (figures.badRatings >= tooManyBadRatings)
        report += u"该店铺差评太多。";
    if (figures.credit < creditTooLow)
        report += u"该店铺信用太低。";
    report += u"该店铺评分：" + QString::number(score) + u" 分。";
    for (const Verdict& verdict : verdicts) {
        if (score >= verdict.from) {
            report += QString::fromUtf16(verdict.text);
            break;
        }
    }
    return ShopAssessment { score, report };
}

} // namespace veldrin
