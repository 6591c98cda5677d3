#include "support/netfakes.h"

namespace veldrin::test {

void FakeNet::install(Context& context)
{
    context.resolveName = [this](const QString& name) {
        resolved.append(name);
        return addresses.value(name);
    };
    context.sendEcho = [this](std::optional<Ipv4Address> destination, const EchoRequest& request) {
        echoed.append(destination);
        echoRequests.append(request);
        EchoResult result = echo;
        if (answerFromDestination && destination && result.replies > 0)
            result.from = *destination;
        return result;
    };
    context.runNameServer = [this](const QString& name) {
        toolArguments.append(name);
        return toolOutput;
    };
}

void FakeNet::useToolProgram(Context& context, const QString& program, std::chrono::milliseconds timeout)
{
    const NameServerTool tool { program, workFolder(), timeout };
    context.runNameServer = [this, tool](const QString& name) {
        toolArguments.append(name);
        return runNameServerTool(tool, name);
    };
}

Ipv4Address ipv4(int a, int b, int c, int d)
{
    return Ipv4Address { { static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c),
                           static_cast<std::uint8_t>(d) } };
}

} // namespace veldrin::test
