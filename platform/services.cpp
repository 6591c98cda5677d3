#include "platform/services.h"

namespace veldrin {

QString Endpoint::url(const QString& pathAndQuery) const
{
    QString base = scheme + u"://" + host;
    if (port != 0)
        base += u':' + QString::number(port);
    return base + pathAndQuery;
}

ServiceTable ServiceTable::defaults()
{
    ServiceTable table;
    const auto set = [&table](Service service, const char16_t* host, int port = 0) {
        table[service] = Endpoint { QStringLiteral("http"), QString::fromUtf16(host), port };
    };
    set(Service::Whois, u"whois.veldrin.example");
    table.whoisSiteName = QStringLiteral("whois.veldrin.example");
    set(Service::IpLocation, u"ip.veldrin.example");
    // The mobile-number and ICP services answer on port 8080 only.
    set(Service::MobileLocation, u"mobile.veldrin.example", 8080);
    set(Service::IdCard, u"idcard.veldrin.example");
    set(Service::TrafficRank, u"rank.veldrin.example");
    set(Service::SearchEngineA, u"search-a.veldrin.example");
    set(Service::SearchEngineB, u"search-b.veldrin.example");
    set(Service::IcpLookup, u"icp.veldrin.example", 8080);
    set(Service::IcpRegistry, u"icp-registry.veldrin.example");
    set(Service::UrlReputationA, u"urlsafe-a.veldrin.example");
    set(Service::UrlReputationB, u"urlsafe-b.veldrin.example");
    set(Service::PhoneDirectory, u"phone.veldrin.example");
    set(Service::MessengerPresence, u"presence.veldrin.example");
    set(Service::MessengerPicture, u"presence-pic.veldrin.example");
    set(Service::Forum, u"forum.veldrin.example");
    set(Service::ShopSearch, u"shop.veldrin.example");
    set(Service::ShopRating, u"rate.veldrin.example");
    set(Service::ReportCentre, u"report.veldrin.example");
    set(Service::FileScanner, u"filescan.veldrin.example");
    set(Service::Postcode, u"postcode.veldrin.example");
    set(Service::Download, u"download.veldrin.example");
    set(Service::VersionPage, u"version.veldrin.example");
    set(Service::MakerSite, u"www.veldrin.example");
    table.maker = MakerInfo { QStringLiteral("support@veldrin.example"), QStringLiteral("400400401"),
                              QStringLiteral("Veldrin") };
    return table;
}

void ServiceTable::pointAllAt(const QString& host, int port)
{
    for (Endpoint& endpoint : m_endpoints)
        endpoint = Endpoint { QStringLiteral("http"), host, port };
}

} // namespace veldrin
