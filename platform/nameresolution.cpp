#include "platform/nameresolution.h"

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <system_error>
#include <thread>

namespace veldrin {

QString Ipv4Address::text() const
{
    return QString::number(bytes[0]) + u'.' + QString::number(bytes[1]) + u'.' + QString::number(bytes[2]) + u'.'
        + QString::number(bytes[3]);
}

namespace {

QList<Ipv4Address> askResolver(const QByteArray& name)
{
    addrinfo hints {};
    hints.ai_family = AF_INET;
    // One entry per address rather than one per socket type.
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &found) != 0)
        return {};
    QList<Ipv4Address> addresses;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr)
            continue;
        sockaddr_in in {};
        std::memcpy(&in, entry->ai_addr, sizeof in);
        Ipv4Address address;
        std::memcpy(address.bytes.data(), &in.sin_addr.s_addr, 4);
        addresses.append(address);
    }
    ::freeaddrinfo(found);
    return addresses;
}

// Shared by the waiting caller and the worker, which may outlive the wait.
struct Answer
{
    std::mutex mutex;
    std::condition_variable ready;
    std::optional<QList<Ipv4Address>> addresses;
};

} // namespace

QList<Ipv4Address> resolveIpv4(const QString& name, std::chrono::milliseconds timeout)
{
    // A name with a NUL in it would be cut short by the resolver and answer for another name.
    const QByteArray encoded = name.toUtf8();
    if (encoded.isEmpty() || encoded.contains('\0'))
        return {};
    auto answer = std::make_shared<Answer>();
    try {
        std::thread([answer, encoded] {
            QList<Ipv4Address> addresses = askResolver(encoded);
            const std::lock_guard lock(answer->mutex);
            answer->addresses = std::move(addresses);
            answer->ready.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }
    std::unique_lock lock(answer->mutex);
    if (!answer->ready.wait_for(lock, timeout, [&] { return answer->addresses.has_value(); }))
        return {};
    return *answer->addresses;
}

} // namespace veldrin
