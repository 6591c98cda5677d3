#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

namespace veldrin {

// The check character of a resident identity number (ISO 7064 MOD 11-2) that its first 17
// digits call for: a digit or 'X'. No value when one of them is not an ASCII digit.
std::optional<QChar> expectedCheckCharacter(QStringView first17);

// The number as it is checked and sent: its ASCII letters upper-cased (a final "x" becomes "X"),
// every other character as it is, so the number keeps its length ("ß" does not become "SS").
QString idCardUpperCased(QStringView typed);

enum class IdCardCheck
{
    Genuine,
    Fake,
    // A character that must be a digit is not one: the check cannot be made.
    Malformed
};

// Whether the 18-character `number`, upper-cased by idCardUpperCased, carries the check
// character its first 17 digits call for. An expected 'X' is met by "X" alone, so any other
// last character, digit or not, makes the number fake; an expected digit is never met by "X",
// and any other non-digit last character leaves the check unmade.
IdCardCheck checkIdCard(QStringView number);

} // namespace veldrin
