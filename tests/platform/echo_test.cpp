#include "platform/echo.h"
#include "platform/nameresolution.h"

#include <gtest/gtest.h>

using namespace veldrin;

namespace {

TEST(Ipv4AddressText, FourNumbersWithoutLeadingZeros)
{
    EXPECT_EQ((Ipv4Address { { 192, 0, 2, 7 } }).text(), QStringLiteral("192.0.2.7"));
    EXPECT_EQ((Ipv4Address { { 0, 0, 0, 0 } }).text(), QStringLiteral("0.0.0.0"));
    EXPECT_EQ((Ipv4Address { { 255, 10, 100, 1 } }).text(), QStringLiteral("255.10.100.1"));
}

// Names the resolver must never be asked for: nothing, or a name a NUL would cut short.
TEST(NameResolution, EmptyOrCutShortNamesResolveToNothing)
{
    EXPECT_TRUE(resolveIpv4(QString()).isEmpty());
    EXPECT_TRUE(resolveIpv4(QStringLiteral("localhost") + QChar(u'\0') + QStringLiteral("x")).isEmpty());
}

// Without a destination only the socket is tried: nothing is sent and nothing counted.
TEST(Echo, NoDestinationSendsNothing)
{
    const EchoResult result = sendEcho(std::nullopt);
    EXPECT_EQ(result.replies, 0);
    EXPECT_EQ(result.status, 0u);
}

// The real thing, on loopback only: "localhost" resolves through the system resolver and an
// echo to 127.0.0.1 is answered by 127.0.0.1 with status 0.
TEST(Echo, LocalhostResolvesAndLoopbackAnswers)
{
    const QList<Ipv4Address> addresses = resolveIpv4(QStringLiteral("localhost"));
    EXPECT_TRUE(addresses.contains(Ipv4Address { { 127, 0, 0, 1 } }));

    const Ipv4Address loopback { { 127, 0, 0, 1 } };
    const EchoResult result = sendEcho(loopback);
    if (!result.opened)
        GTEST_SKIP() << "no ICMP socket can be opened here (" << result.error.toStdString()
                     << "): allow it with `setcap cap_net_raw+ep` on the program or the "
                        "net.ipv4.ping_group_range sysctl";
    EXPECT_EQ(result.replies, 1) << result.error.toStdString();
    EXPECT_EQ(result.from, loopback);
    EXPECT_EQ(result.status, 0u);
}

} // namespace
