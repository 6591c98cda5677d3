#include "support/printers.h"
#include "windows/version.h"

#include <gtest/gtest.h>
#include <optional>

using namespace veldrin;
using namespace std::chrono_literals;
using veldrin::test::str;

namespace {

// Only a larger whole-number part is newer; blanks and line breaks around the version are not
// part of the number; text that is no number has no answer.
TEST(Version, OnlyALargerWholeNumberPartIsNewer)
{
    struct Row
    {
        const char16_t* published;
        std::optional<bool> newer;
    };
    const Row rows[] = {
        { u"5.0", true },         { u"5", true },           { u"10.00", true },         { u"4.02", false },
        { u"4.5", false },        { u"4.99", false },       { u"4.01", false },         { u"3.9", false },
        { u"0.1", false },        { u"-5.0", false },       { u"\r\n4.01\r\n", false }, { u" 5.0\t", true },
        { u"\r\n5.0\r\n", true }, { u"abc", std::nullopt }, { u"", std::nullopt },      { u"5.0beta", std::nullopt },
        { u"4,5", std::nullopt }, { u"1e3", std::nullopt },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(str(row.published).toStdString());
        EXPECT_EQ(isNewerWholeVersion(str(row.published)), row.newer);
    }
}

// The version and the notes of one page are cut independently, each at its markers' last
// occurrence; the notes leave out the line break after their start marker and before "#End#".
TEST(Version, PageCutsTakeTheLastMarkers)
{
    struct Row
    {
        const char16_t* page;
        std::optional<QString> version;
        std::optional<QString> notes;
    };
    const Row rows[] = {
        { u"The Newest Vision：4.02########\r\n###Update Text###\r\n修正错误\r\n新增功能\r\n#End#", str(u"4.02"),
          str(u"修正错误\r\n新增功能") },
        { u"预告：The Newest Vision：9.9########\r\n###Update Text###\r\n旧\r\n#End#\r\n"
          u"The Newest Vision：4.03########\r\n###Update Text###\r\n新\r\n#End#",
          str(u"4.03"), str(u"新") },
        { u"The Newest Vision：########", str(u""), std::nullopt },
        { u"########The Newest Vision：4.02", std::nullopt, std::nullopt },
        { u"The Newest Vision:4.02########", std::nullopt, std::nullopt }, // half-width colon
        { u"The Newest Vision：4.02########\r\n###Update Text###\r\n说明", str(u"4.02"), std::nullopt },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(str(row.page).toStdString());
        EXPECT_EQ(publishedVersion(str(row.page)), row.version);
        EXPECT_EQ(cut(str(row.page), notesCut), row.notes);
    }
}

// The start-up check waits a few seconds at most; shorter limits stay as they are.
TEST(Version, StartUpLimitsAreShort)
{
    const FetchLimits standard = startUpLimits(FetchLimits {});
    EXPECT_EQ(standard.connectTimeout, 3s);
    EXPECT_EQ(standard.totalTimeout, 6s);

    FetchLimits quick;
    quick.connectTimeout = 1s;
    quick.totalTimeout = 2s;
    const FetchLimits kept = startUpLimits(quick);
    EXPECT_EQ(kept.connectTimeout, 1s);
    EXPECT_EQ(kept.totalTimeout, 2s);
    EXPECT_EQ(kept.maxBytes, quick.maxBytes);
}

} // namespace
