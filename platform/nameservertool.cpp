#include "platform/nameservertool.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace veldrin {

namespace {

// The folder exists (made when missing), is a real folder and belongs to this user.
bool ensurePrivateFolder(const QString& folder, QString& error)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        error = QStringLiteral("work folder cannot be made: ") + folder;
        return false;
    }
    struct stat info
    {
    };
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        error = QStringLiteral("work folder is not a private folder of this user: ") + folder;
        return false;
    }
    return true;
}

bool removeIfPresent(const QString& file)
{
    return ::unlink(QFile::encodeName(file).constData()) == 0 || errno == ENOENT;
}

// Line by line as a text file reads: a break is LF, CR LF or CR, and a break at the very end
// starts no further line.
QStringList linesOf(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (normalised.endsWith(u'\n'))
        normalised.chop(1);
    return normalised.split(u'\n');
}

} // namespace

NameServerTool NameServerTool::system()
{
    NameServerTool tool;
    tool.program = QStringLiteral("/usr/bin/nslookup");
    tool.workFolder
        = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/veldrin");
    return tool;
}

ToolOutput runNameServerTool(const NameServerTool& tool, const QString& argument)
{
    ToolOutput output;
    if (tool.workFolder.isEmpty() || !QDir::isAbsolutePath(tool.program)) {
        output.error = QStringLiteral("no name-server tool");
        return output;
    }
    // The parent of the work folder is ordinary (a cache folder); only the work folder itself
    // must be private.
    QDir().mkpath(QFileInfo(tool.workFolder).absolutePath());
    if (!ensurePrivateFolder(tool.workFolder, output.error))
        return output;
    const QString workFile = tool.workFolder + u'/' + workFileName();
    if (!removeIfPresent(workFile)) {
        output.error = QStringLiteral("stale work file cannot be removed: ") + workFile;
        return output;
    }
    const auto removeWorkFile = qScopeGuard([&workFile] { removeIfPresent(workFile); });

    QProcess process;
    process.setProgram(tool.program);
    process.setArguments({ argument });
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(workFile, QIODevice::Truncate);
    process.setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    deadline.start(tool.timeout);
    process.start();
    if (process.state() != QProcess::NotRunning || process.error() != QProcess::FailedToStart)
        loop.exec();

    if (process.error() == QProcess::FailedToStart) {
        output.error = QStringLiteral("the tool cannot start: ") + process.errorString();
        return output;
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        output.error = QStringLiteral("the tool did not end within %1 ms").arg(tool.timeout.count());
        return output;
    }

    QFile file(workFile);
    if (!file.open(QIODevice::ReadOnly)) {
        output.error = QStringLiteral("work file cannot be read: ") + file.errorString();
        return output;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) {
        output.error = QStringLiteral("the tool wrote nothing");
        return output;
    }
    QStringDecoder decode(QStringDecoder::System);
    output.lines = linesOf(decode(bytes));
    output.ok = true;
    return output;
}

} // namespace veldrin
