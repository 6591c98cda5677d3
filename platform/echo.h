#pragma once

#include "platform/nameresolution.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

namespace veldrin {

// One echo request: its data, the time-to-live it leaves with and how long to wait for the
// answer.
struct EchoRequest
{
    QByteArray data = QByteArray(32, 'A');
    int timeToLive = 255;
    std::chrono::milliseconds timeout { 2000 };
};

struct EchoResult
{
    // An echo socket could be opened: unprivileged where the system allows it, raw otherwise.
    bool opened = false;
    // Answers counted: 1 for an echo reply or for an ICMP error that quotes this request, 0
    // when none came within the time-out or the request could not be sent.
    int replies = 0;
    // Who answered: the host itself, or the router that reported the error.
    Ipv4Address from;
    // 0 for an echo reply; for an ICMP error its type and code as (type << 8) | code, which is
    // never 0 because no error type is below 3.
    std::uint32_t status = 0;
    QString error; // why nothing was counted, for the log
};

// Opens an echo socket and, when a destination is given, sends one echo request to it and
// waits for its answer until the request's time-out; the deadline holds across packets that
// answer someone else. Without a destination only the socket is tried, and nothing is sent.
EchoResult sendEcho(std::optional<Ipv4Address> destination, const EchoRequest& request = {});

} // namespace veldrin
