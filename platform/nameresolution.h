#pragma once

#include <QList>
#include <QString>
#include <array>
#include <chrono>
#include <cstdint>

namespace veldrin {

// One IPv4 address, its bytes in network order.
struct Ipv4Address
{
    std::array<std::uint8_t, 4> bytes {};

    // Four decimal numbers without leading zeros joined by ".", in the order of the bytes.
    QString text() const;
    bool operator==(const Ipv4Address&) const = default;
};

// Every IPv4 address the system resolver gives for `name`, in the order it gives them; empty
// when the name does not resolve. The resolver's own retries can take long on a broken
// network, so the answer is waited for at most `timeout` and a late one counts as none.
constexpr std::chrono::milliseconds resolverTimeout { 10000 };
QList<Ipv4Address> resolveIpv4(const QString& name, std::chrono::milliseconds timeout = resolverTimeout);

} // namespace veldrin
