#include "platform/textsearch.h"
#include "support/printers.h"

#include <gtest/gtest.h>

using namespace veldrin;
using veldrin::test::str;

namespace {

struct FindCase
{
    const char16_t* needle;
    const char16_t* text;
    qsizetype expected;
};

void PrintTo(const FindCase& c, std::ostream* os)
{
    *os << QString::fromUtf16(c.needle).toStdString() << " in " << QString::fromUtf16(c.text).toStdString();
}

class FindLastPosTest : public ::testing::TestWithParam<FindCase>
{
};

TEST_P(FindLastPosTest, ReturnsStartOfLastOccurrence)
{
    const FindCase& c = GetParam();
    EXPECT_EQ(FindLastPos(QString::fromUtf16(c.needle), QString::fromUtf16(c.text)), c.expected)
        << QString::fromUtf16(c.needle).toStdString() << " in " << QString::fromUtf16(c.text).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, FindLastPosTest,
                         ::testing::Values(FindCase { u"ab", u"xabyab", 5 }, // the last one wins
                                           FindCase { u"aa", u"aaaa", 3 }, // overlaps count
                                           FindCase { u"A", u"a", 0 }, // exact case
                                           FindCase { u"：", u"a:b", 0 }, // full width is not half width
                                           FindCase { u"x", u"", 0 }, // empty text
                                           FindCase { u"", u"abc", 3 }, // empty needle: the length
                                           FindCase { u"", u"", 0 }, // both empty
                                           FindCase { u"abcd", u"abc", 0 }, // longer than the text
                                           FindCase { u"c", u"abc", 3 }, // at the very end
                                           FindCase { u"中文", u"中文x中文", 4 }, // counts UTF-16 units
                                           FindCase { u"b", u"\U0001F600b", 3 })); // a surrogate pair is two units

struct CutCase
{
    const char16_t* text;
    const char16_t* startMarker;
    qsizetype a;
    const char16_t* endMarker;
    qsizetype b;
    std::optional<const char16_t*> expected;
};

void PrintTo(const CutCase& c, std::ostream* os)
{
    *os << QString::fromUtf16(c.text).toStdString();
}

class CutTest : public ::testing::TestWithParam<CutCase>
{
};

TEST_P(CutTest, CutsBetweenLastMarkers)
{
    const CutCase& c = GetParam();
    const auto value = cutBetween(QString::fromUtf16(c.text), QString::fromUtf16(c.startMarker), c.a,
                                  QString::fromUtf16(c.endMarker), c.b);
    ASSERT_EQ(value.has_value(), c.expected.has_value()) << QString::fromUtf16(c.text).toStdString();
    if (value) {
        EXPECT_EQ(*value, QString::fromUtf16(*c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CutTest,
                         ::testing::Values(CutCase { u"axbcy", u"x", 0, u"y", 0, u"bc" },
                                           CutCase { u"axbyxcy", u"x", 0, u"y", 0, u"c" }, // last occurrences win
                                           CutCase { u"k:v\r\nEND", u"k:", 0, u"END", 2, u"v" }, // b = 2 drops CR LF
                                           CutCase { u"ab[v]", u"[", -1, u"]", 0, u"[v" }, // a = -len keeps the marker
                                           CutCase { u"a:  v;", u":", 1, u";", 0, u" v" }, // a = 1 skips one more
                                           CutCase { u"xy", u"x", 0, u"y", 0, u"" }, // a count of 0
                                           CutCase { u"abcdefghy", u"x", 0, u"y", 0,
                                                     std::nullopt }, // start marker absent
                                           CutCase { u"axbc", u"x", 0, u"y", 0, std::nullopt }, // end marker absent
                                           CutCase { u"ayxb", u"x", 0, u"y", 0, std::nullopt }, // end before start
                                           CutCase { u"x", u"x", 5, u"x", -10, u"" })); // start past the end

TEST(CutText, EdgesOfTheText)
{
    const QString text = QStringLiteral("abcdef");
    EXPECT_EQ(cutText(text, 2, 4), QStringLiteral("bc"));
    EXPECT_EQ(cutText(text, 5, 100), QStringLiteral("ef")); // more than remains: the rest
    EXPECT_EQ(cutText(text, 8, 9), QString()); // beyond the end: empty
    EXPECT_EQ(cutText(text, 3, 2), std::nullopt); // negative count
    EXPECT_EQ(cutText(text, 0, 3), std::nullopt); // before position 1
    EXPECT_EQ(cutText(text, -4, 3), std::nullopt);
}

TEST(FindFrom, FirstOccurrenceAtOrAfterAPosition)
{
    const QString text = QStringLiteral("a数b\r数c\r");
    EXPECT_EQ(findFrom(u"数", text, 1), 2);
    EXPECT_EQ(findFrom(u"数", text, 3), 5); // the one at the start position counts, earlier ones not
    EXPECT_EQ(findFrom(u"数", text, 5), 5);
    EXPECT_EQ(findFrom(u"\r", text, 6), 7);
    EXPECT_EQ(findFrom(u"数", text, 6), 0);
    EXPECT_EQ(findFrom(u"数", text, 0), 0);
    EXPECT_EQ(findFrom(u"数", text, 99), 0);
    EXPECT_EQ(findFrom(u"", text, 1), 0);
}

TEST(FindEarliest, TheEarliestPositionWinsAndTheListOrderBreaksTies)
{
    struct Row
    {
        const char16_t* text;
        std::optional<std::pair<qsizetype, qsizetype>> hit; // index, position
    };
    const Row rows[] = {
        { u"xx已备案yy未备案", std::pair<qsizetype, qsizetype>(0, 3) },
        { u"xx未备案yy已备案", std::pair<qsizetype, qsizetype>(1, 3) },
        { u"备案信息不存在", std::pair<qsizetype, qsizetype>(2, 1) },
        { u"已备案信息", std::pair<qsizetype, qsizetype>(0, 1) },
        { u"无", std::nullopt },
        { u"", std::nullopt },
    };
    for (const Row& row : rows) {
        const auto hit = findEarliest(str(row.text), { u"已备案", u"未备案", u"备案信息" });
        ASSERT_EQ(hit.has_value(), row.hit.has_value()) << str(row.text).toStdString();
        if (hit) {
            EXPECT_EQ(hit->index, row.hit->first) << str(row.text).toStdString();
            EXPECT_EQ(hit->position, row.hit->second) << str(row.text).toStdString();
        }
    }
    // At one position the phrase listed first wins, even when a later one is longer.
    EXPECT_EQ(findEarliest(u"备案信息", { u"备案", u"备案信息" })->index, 0);
    EXPECT_EQ(findEarliest(u"备案信息", { u"备案信息", u"备案" })->index, 0);
}

TEST(Cut, AConstantCutIsTheCutOfItsMarkersAndOffsets)
{
    constexpr Cut keepStart { u"[", -1, u"]", 0 };
    EXPECT_EQ(cut(QStringLiteral("ab[v]"), keepStart), QStringLiteral("[v"));
    EXPECT_EQ(cut(QStringLiteral("abv]"), keepStart), std::nullopt);
}

} // namespace
