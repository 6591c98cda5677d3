#pragma once

#include <QString>
#include <QStringView>
#include <array>

namespace veldrin {

// The number a figure's text begins with. Blanks, tabs and line feeds are skipped wherever
// they stand ("1 000" reads 1000); then an optional sign, digits with at most one ".", and an
// optional exponent; reading stops at the first other character (so "12,345" reads 12).
// Text that begins with no number reads 0; "inf", "nan" and hex are no numbers, and a figure
// too large for a double reads as the largest one, so it still counts as large.
double leadingNumber(QStringView text);

// A check box's value: the dimmed third state is neither ticked nor unticked.
enum class Tick
{
    No = 0,
    Yes = 1,
    Dimmed = 2,
};

// The observations of the eight check boxes, Check2 to Check9 in order.
enum ShopCheck
{
    ConsumerProtection, // Check2: ticked when the shop has joined the protection service
    Violations, // Check3
    RefundDisputes, // Check4
    ComplaintDisputes, // Check5
    Penalties, // Check6
    MatchesDescription, // Check7: ticked when better than other shops
    ServiceAttitude, // Check8
    DispatchSpeed, // Check9
    ShopCheckCount
};

struct ShopFigures
{
    double credit = 0;
    double goodRatings = 0;
    double badRatings = 0;
    std::array<Tick, ShopCheckCount> checks {};
};

struct ShopAssessment
{
    int score = 0; // 0..100
    QString report; // the whole text of the report box
};

ShopAssessment scoreShop(const ShopFigures& figures);

} // namespace veldrin
