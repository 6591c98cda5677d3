#include "support/recorders.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cerrno>
#include <sys/wait.h>

namespace veldrin::test {

FetchLimits shortLimits()
{
    FetchLimits limits;
    limits.connectTimeout = std::chrono::milliseconds(1000);
    limits.totalTimeout = std::chrono::milliseconds(1500);
    return limits;
}

TestSeams::TestSeams(const QString& host, int port)
{
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.process = &process;
    context.instance = &instance;
    context.hotKey = &hotKey;
    net.install(context);
    context.services.pointAllAt(host, port);
    context.fetchLimits = shortLimits();
    context.programFolder = QCoreApplication::applicationDirPath();
    context.makePageLoader = [limits = context.fetchLimits](QObject* parent) {
        return createHttpPageLoader(limits, parent);
    };
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

bool hasChildProcesses()
{
    // Asked without reaping: a child that has ended is still there until its parent waits for it.
    siginfo_t info {};
    int result;
    do {
        result = waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT);
    } while (result < 0 && errno == EINTR);
    return !(result < 0 && errno == ECHILD);
}

} // namespace veldrin::test
