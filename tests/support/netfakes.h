#pragma once

#include "app/context.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

namespace veldrin::test {

// Stand-ins for name resolution, the echo request and the name-server tool. Inert until told
// otherwise: no name resolves, the echo socket opens but nothing answers, and the tool gives
// no output. Each records what it was asked.
class FakeNet
{
public:
    // Answers for the resolver, by name.
    QMap<QString, QList<Ipv4Address>> addresses;
    QStringList resolved; // every name asked for

    // What the echo gives; `from` is ignored when `answerFromDestination` is set.
    EchoResult echo { true, 0, {}, 0, {} };
    bool answerFromDestination = false;
    QList<std::optional<Ipv4Address>> echoed; // every destination, none for an unresolved name
    QList<EchoRequest> echoRequests;

    ToolOutput toolOutput { false, {}, QStringLiteral("inert name-server tool") };
    QStringList toolArguments;

    void install(Context& context);

    // From now on the name-server lookups start `program` (a test's own script) through the
    // real runner, with a work folder of their own and the given time-out.
    void useToolProgram(Context& context, const QString& program,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));
    QString workFolder() const { return m_workRoot.path() + QStringLiteral("/work"); }

private:
    QTemporaryDir m_workRoot;
};

// An IPv4 address from its four numbers.
Ipv4Address ipv4(int a, int b, int c, int d);

} // namespace veldrin::test
