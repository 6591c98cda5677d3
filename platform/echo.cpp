#include "platform/echo.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace veldrin {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t echoRequestType = 8;
constexpr std::uint8_t echoReplyType = 0;
constexpr std::size_t icmpHeaderSize = 8;

class Socket
{
public:
    explicit Socket(int fd)
        : m_fd(fd)
    {
    }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

std::uint16_t readBig16(const unsigned char* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint16_t checksum(const QByteArray& packet)
{
    std::uint32_t sum = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(packet.constData());
    qsizetype i = 0;
    for (; i + 1 < packet.size(); i += 2)
        sum += readBig16(p + i);
    if (i < packet.size())
        sum += static_cast<std::uint32_t>(p[i] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

QByteArray echoPacket(std::uint16_t identifier, std::uint16_t sequence, const QByteArray& data)
{
    QByteArray packet(icmpHeaderSize, '\0');
    packet[0] = static_cast<char>(echoRequestType);
    packet[4] = static_cast<char>(identifier >> 8);
    packet[5] = static_cast<char>(identifier & 0xff);
    packet[6] = static_cast<char>(sequence >> 8);
    packet[7] = static_cast<char>(sequence & 0xff);
    packet += data;
    const std::uint16_t sum = checksum(packet);
    packet[2] = static_cast<char>(sum >> 8);
    packet[3] = static_cast<char>(sum & 0xff);
    return packet;
}

Ipv4Address addressOf(const in_addr& in)
{
    Ipv4Address address;
    std::memcpy(address.bytes.data(), &in.s_addr, 4);
    return address;
}

// Milliseconds left until `deadline`, never negative.
int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on the socket until the deadline; false when it has passed.
bool waitFor(int fd, short events, Clock::time_point deadline, short& revents)
{
    for (;;) {
        pollfd polled { fd, events, 0 };
        const int ready = ::poll(&polled, 1, remainingMs(deadline));
        if (ready > 0) {
            revents = polled.revents;
            return true;
        }
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

struct Sender
{
    int fd;
    Ipv4Address destination;
    std::uint16_t identifier;
    std::uint16_t sequence;
};

bool quotesOurEcho(const Sender& s, const unsigned char* icmp, std::size_t size, bool checkIdentifier)
{
    return size >= icmpHeaderSize && icmp[0] == echoRequestType && readBig16(icmp + 6) == s.sequence
        && (!checkIdentifier || readBig16(icmp + 4) == s.identifier);
}

// One answer on a raw socket: an echo reply to our request, or an ICMP error whose quoted
// packet is our request. False for anything else.
bool readRaw(const Sender& s, EchoResult& result)
{
    unsigned char packet[1500];
    sockaddr_in from {};
    socklen_t fromSize = sizeof from;
    const ssize_t got = ::recvfrom(s.fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got < static_cast<ssize_t>(sizeof(ip)))
        return false;
    const std::size_t size = static_cast<std::size_t>(got);
    const std::size_t headerSize = static_cast<std::size_t>(packet[0] & 0x0f) * 4;
    if (headerSize < sizeof(ip) || size < headerSize + icmpHeaderSize)
        return false;
    const unsigned char* icmp = packet + headerSize;
    const std::size_t icmpSize = size - headerSize;
    in_addr source {};
    std::memcpy(&source, packet + 12, 4);

    if (icmp[0] == echoReplyType) {
        if (readBig16(icmp + 4) != s.identifier || readBig16(icmp + 6) != s.sequence)
            return false;
        result.replies = 1;
        result.from = addressOf(source);
        result.status = 0;
        return true;
    }
    if (icmp[0] != ICMP_DEST_UNREACH && icmp[0] != ICMP_TIME_EXCEEDED && icmp[0] != ICMP_PARAMETERPROB
        && icmp[0] != ICMP_SOURCE_QUENCH && icmp[0] != ICMP_REDIRECT)
        return false;
    // The error quotes the IP header of our request and at least its first 8 bytes.
    const unsigned char* quoted = icmp + icmpHeaderSize;
    const std::size_t quotedSize = icmpSize - icmpHeaderSize;
    if (quotedSize < sizeof(ip))
        return false;
    const std::size_t quotedHeader = static_cast<std::size_t>(quoted[0] & 0x0f) * 4;
    if (quotedHeader < sizeof(ip) || quotedSize < quotedHeader + icmpHeaderSize || quoted[9] != IPPROTO_ICMP
        || std::memcmp(quoted + 16, s.destination.bytes.data(), 4) != 0)
        return false;
    if (!quotesOurEcho(s, quoted + quotedHeader, quotedSize - quotedHeader, true))
        return false;
    result.replies = 1;
    result.from = addressOf(source);
    result.status = static_cast<std::uint32_t>((icmp[0] << 8) | icmp[1]);
    return true;
}

// One echo reply on an unprivileged ping socket. The kernel hands it only the replies that
// carry its own identifier, without the IP header.
bool readPingReply(const Sender& s, EchoResult& result)
{
    unsigned char packet[1500];
    sockaddr_in from {};
    socklen_t fromSize = sizeof from;
    const ssize_t got = ::recvfrom(s.fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got < static_cast<ssize_t>(icmpHeaderSize) || packet[0] != echoReplyType || readBig16(packet + 6) != s.sequence)
        return false;
    result.replies = 1;
    result.from = addressOf(from.sin_addr);
    result.status = 0;
    return true;
}

// An ICMP error reported to a ping socket: it waits on the socket's error queue with the
// request it quotes as data and the reporting router as the offender.
bool readPingError(const Sender& s, EchoResult& result)
{
    unsigned char quoted[1500];
    alignas(cmsghdr) unsigned char control[512];
    sockaddr_in to {};
    iovec data { quoted, sizeof quoted };
    msghdr message {};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(s.fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (got < 0)
        return false;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR)
            continue;
        sock_extended_err error {};
        std::memcpy(&error, CMSG_DATA(c), sizeof error);
        if (error.ee_origin != SO_EE_ORIGIN_ICMP || !quotesOurEcho(s, quoted, static_cast<std::size_t>(got), false))
            return false;
        sockaddr_in offender {};
        std::memcpy(&offender, SO_EE_OFFENDER(reinterpret_cast<sock_extended_err*>(CMSG_DATA(c))), sizeof offender);
        result.replies = 1;
        result.from = offender.sin_family == AF_INET ? addressOf(offender.sin_addr) : s.destination;
        result.status = static_cast<std::uint32_t>((error.ee_type << 8) | error.ee_code);
        return true;
    }
    return false;
}

} // namespace

EchoResult sendEcho(std::optional<Ipv4Address> destination, const EchoRequest& request)
{
    EchoResult result;
    bool raw = false;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        raw = true;
    }
    if (fd < 0) {
        result.error = QStringLiteral("no ICMP socket: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    const Socket socket(fd);
    result.opened = true;
    if (!destination) {
        result.error = QStringLiteral("no destination");
        return result;
    }

    const int ttl = request.timeToLive;
    ::setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    if (!raw) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
    }

    std::random_device entropy;
    const Sender sender { fd, *destination, static_cast<std::uint16_t>(entropy()),
                          static_cast<std::uint16_t>(entropy()) };
    // A ping socket writes its own identifier into the request; the one given here is replaced.
    const QByteArray packet = echoPacket(sender.identifier, sender.sequence, request.data);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    std::memcpy(&to.sin_addr.s_addr, destination->bytes.data(), 4);

    const Clock::time_point deadline = Clock::now() + request.timeout;
    ssize_t sent = -1;
    do {
        sent = ::sendto(fd, packet.constData(), static_cast<std::size_t>(packet.size()), 0,
                        reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        result.error = QStringLiteral("request not sent: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }

    short revents = 0;
    while (waitFor(fd, POLLIN, deadline, revents)) {
        if ((revents & POLLERR) != 0) {
            if (!raw && readPingError(sender, result))
                return result;
            // An error for someone else's packet, or a pending socket error: taken off, so the
            // next wait does not wake for it again.
            int pending = 0;
            socklen_t size = sizeof pending;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size);
        }
        if ((revents & POLLIN) != 0 && (raw ? readRaw(sender, result) : readPingReply(sender, result)))
            return result;
        if ((revents & (POLLIN | POLLERR)) == 0)
            break;
    }
    result.error = QStringLiteral("no answer within %1 ms").arg(request.timeout.count());
    return result;
}

} // namespace veldrin
