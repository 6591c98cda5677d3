#include "app/keyfilter.h"

#include <gtest/gtest.h>

using veldrin::isRefused;
using veldrin::refusedCharacters;
using veldrin::RefusedList;
using veldrin::refuseListed;

namespace {

constexpr RefusedList allLists[]
    = { RefusedList::Common,          RefusedList::Letters,   RefusedList::IdCard,          RefusedList::MobileNumber,
        RefusedList::TelephoneNumber, RefusedList::IpAddress, RefusedList::MessengerNumber, RefusedList::HostList };

// The common list by code point, as the program states it.
constexpr char16_t commonList[]
    = { 0x007E, 0xFF01, 0x0040, 0x0023, 0xFFE5, 0x0025, 0x2026, 0xFF1F, 0x0026, 0x002A, 0xFF08, 0xFF09, 0x007E, 0x0021,
        0x0040, 0x0024, 0x005E, 0x005F, 0x2014, 0x002B, 0x003C, 0x003E, 0x300A, 0x300B, 0x002F, 0x3001, 0x005C, 0x3002,
        0xFF0C, 0x0027, 0x201C, 0x201D, 0x0028, 0x0029, 0x007B, 0x007D, 0x3010, 0x3011, 0x005B, 0x005D, 0x0020 };

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// What each list must refuse, built from the rule it stands for rather than from its written text.
bool expectedRefused(RefusedList list, char16_t c)
{
    const bool common = std::find(std::begin(commonList), std::end(commonList), c) != std::end(commonList);
    const bool extra = QStringView(u"\"允许输入的字符").contains(QChar(c)) || c == u'\'' || c == u' ';
    switch (list) {
    case RefusedList::Common:
        return common;
    case RefusedList::Letters:
        return common || isAsciiLetter(c);
    case RefusedList::IdCard:
        return common || (isAsciiLetter(c) && c != u'x' && c != u'X');
    case RefusedList::MobileNumber:
    case RefusedList::TelephoneNumber:
        return common || isAsciiLetter(c) || c == u',' || c == u'.';
    case RefusedList::IpAddress:
        return (common && c != u'*') || isAsciiLetter(c) || c == u',' || c == u'-';
    case RefusedList::MessengerNumber:
        return common || isAsciiLetter(c) || extra;
    case RefusedList::HostList:
        return common || extra;
    }
    return false;
}

TEST(RefusedLists, CommonListHasItsFortyOneCharacters)
{
    const QString& common = refusedCharacters(RefusedList::Common);
    ASSERT_EQ(common.size(), 41);
    for (int i = 0; i < 41; ++i)
        EXPECT_EQ(common.at(i).unicode(), commonList[i]) << "at " << i;
}

// Every list against its rule over every character that appears in any list, plus the
// characters the rules single out and a sample of ordinary input.
TEST(RefusedLists, EachListRefusesExactlyWhatItDescribes)
{
    QString probe = QStringLiteral("0123456789abcxyzABCXYZ.,:;-=?|`\"*中文允许输入的字符　？，。\t");
    for (RefusedList list : allLists)
        probe += refusedCharacters(list);
    for (RefusedList list : allLists) {
        for (QChar c : probe) {
            EXPECT_EQ(isRefused(list, c.unicode()), expectedRefused(list, c.unicode()))
                << "list " << static_cast<int>(list) << " character U+" << std::hex << int(c.unicode());
        }
    }
}

TEST(RefusedLists, ControlKeysAndEnterPassEveryList)
{
    for (RefusedList list : allLists) {
        for (int key : { 8, 9, 13, 22, 27 }) {
            int code = key;
            refuseListed(code, list);
            EXPECT_EQ(code, key);
        }
        int slash = u'/';
        refuseListed(slash, list);
        EXPECT_EQ(slash, 0);
    }
}

} // namespace
