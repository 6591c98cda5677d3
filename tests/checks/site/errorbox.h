#pragma once

#include "support/recorders.h"

#include <gtest/gtest.h>

namespace veldrin::test {

// The boxes of these panels' lookups are titled "错误"; most have the critical icon.
inline void expectErrorBox(const ShownBox& box, const QString& text, int style = MsgCritical)
{
    EXPECT_EQ(box.style, style);
    EXPECT_EQ(box.title, QStringLiteral("错误"));
    EXPECT_EQ(box.text, text);
}

} // namespace veldrin::test
