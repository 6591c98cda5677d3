#pragma once

#include <QString>
#include <array>

namespace veldrin {

// Every outside service the program reaches. The hosts are ours to choose; paths, query
// keys and ports belong to the lookups that build the addresses.
enum class Service
{
    Whois,
    IpLocation,
    MobileLocation,
    IdCard,
    TrafficRank,
    SearchEngineA,
    SearchEngineB,
    IcpLookup,
    IcpRegistry,
    UrlReputationA,
    UrlReputationB,
    PhoneDirectory,
    MessengerPresence,
    MessengerPicture,
    Forum,
    ShopSearch,
    ShopRating,
    ReportCentre,
    FileScanner,
    Postcode,
    Download,
    VersionPage,
    MakerSite,
    Count
};

struct Endpoint
{
    QString scheme = QStringLiteral("http");
    QString host;
    int port = 0; // 0: the scheme's default port

    // "scheme://host[:port]" followed by `pathAndQuery`, which starts with '/'.
    QString url(const QString& pathAndQuery) const;
};

// The maker's own particulars, shown in the contact labels and boxes.
struct MakerInfo
{
    QString mail;
    QString messengerNumber;
    QString siteName;
};

// One table of base addresses for the whole program; defaults live in services.cpp.
class ServiceTable
{
public:
    static ServiceTable defaults();

    const Endpoint& operator[](Service service) const { return m_endpoints[static_cast<int>(service)]; }
    Endpoint& operator[](Service service) { return m_endpoints[static_cast<int>(service)]; }

    // Points every service at one host and port, keeping the scheme plain HTTP: what the
    // tests do with their loopback fixture server.
    void pointAllAt(const QString& host, int port);

    MakerInfo maker;
    // The whois service's own site name as its pages show it; the domain record deletes it.
    QString whoisSiteName;

private:
    std::array<Endpoint, static_cast<int>(Service::Count)> m_endpoints;
};

} // namespace veldrin
