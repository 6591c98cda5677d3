#pragma once

#include <QString>

namespace veldrin {

enum class IpCheck
{
    Valid,
    Malformed, // the warning label: too long, a dot missing, a fifth part, a part out of 0..255
    NotANumber, // a part that is empty or holds other characters: the lookup's error box
};

// The typed address test of the IP lookup. "*" stands for a number the user does not know and
// counts as 0. The parts are tested as they are found, so "x.1" is not a number (its first part
// fails before the second dot is looked for) while "1.x" lacks a dot.
IpCheck checkIpAddress(const QString& typed);

} // namespace veldrin
