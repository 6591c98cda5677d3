#include "support/recorders.h"

#include "platform/pageparse.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <unistd.h>
#include <vector>

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

namespace {

// The children of `pid`, on any of its threads, running or ended but not yet reaped.
std::vector<pid_t> childrenOf(pid_t pid)
{
    std::vector<pid_t> children;
    const QString tasks = u"/proc/" + QString::number(pid) + u"/task";
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile list(tasks + u'/' + task + u"/children");
        if (!list.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& child : list.readAll().split(' ')) {
            if (!child.trimmed().isEmpty())
                children.push_back(pid_t(child.trimmed().toInt()));
        }
    }
    return children;
}

// Whether `pid` has ended: a zombie, or gone (reaped while it was looked at) by now.
bool hasEnded(pid_t pid)
{
    QFile stat(u"/proc/" + QString::number(pid) + u"/stat");
    const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const qsizetype state = line.lastIndexOf(')') + 2; // after the command, which may hold anything
    return state < 2 || state >= line.size() || line[state] == 'Z' || line[state] == 'X';
}

} // namespace

bool hasChildProcesses()
{
    const pid_t parser = pageParserProcess();
    for (const pid_t child : childrenOf(getpid())) {
        if (child != parser)
            return true;
        const std::vector<pid_t> pages = childrenOf(parser);
        if (std::any_of(pages.begin(), pages.end(), [](pid_t page) { return !hasEnded(page); }))
            return true;
    }
    return false;
}

} // namespace veldrin::test
