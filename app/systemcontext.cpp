#include "app/systemcontext.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <cstdlib>

namespace veldrin {

void SystemDialogs::messageBox(QWidget* owner, int style, const QString& title, const QString& text)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style) {
    case MsgCritical:
        icon = QMessageBox::Critical;
        break;
    case MsgExclamation:
        icon = QMessageBox::Warning;
        break;
    case MsgInformation:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox box(icon, title, QString(), QMessageBox::Ok, owner);
    // No box of this program uses markup, and many quote page text (a version, a cut value):
    // shown as rich text, "<b>5.0</b>" would lose its tags and the line breaks would go.
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    box.exec();
}

void SystemShell::open(QWidget*, const QString& target)
{
    // A local file (the help file) goes by path; everything else is an address with a scheme.
    const QFileInfo file(target);
    const QUrl url = file.isAbsolute() && file.exists() ? QUrl::fromLocalFile(target) : QUrl(target);
    QDesktopServices::openUrl(url);
}

void SystemProcess::endNow()
{
    std::_Exit(0);
}

SystemInstanceGuard::SystemInstanceGuard()
    : m_lock(InstanceLock::defaultPath())
{
}

bool SystemInstanceGuard::anotherInstanceRunning()
{
    // A lock that cannot be had at all says nothing about another instance: run.
    return m_lock.acquire() == InstanceLock::State::HeldElsewhere;
}

Context SystemSeams::context(const QString& programFolder)
{
    Context context;
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.process = &process;
    context.instance = &instance;
    context.hotKey = &hotKey;
    context.programFolder = programFolder;
    context.makePageLoader = [limits = context.fetchLimits](QObject* parent) {
        return createHttpPageLoader(limits, parent);
    };
    context.resolveName = [](const QString& name) {
        return resolveIpv4(name);
    };
    context.sendEcho = [](std::optional<Ipv4Address> destination, const EchoRequest& request) {
        return veldrin::sendEcho(destination, request);
    };
    context.runNameServer = [tool = NameServerTool::system()](const QString& name) {
        return runNameServerTool(tool, name);
    };
    return context;
}

} // namespace veldrin
