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
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace veldrin {

namespace {

// An open file descriptor, closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(Descriptor&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

// The folder exists (made when missing), is a real folder, not a link to one, belongs to this
// user and is open to no one else: one that is ours but open to group or others is closed
// (0700) before use. Everything after the open works on the folder itself, so it cannot be
// swapped for another between the checks and the use.
Descriptor openPrivateFolder(const QString& folder, QString& error)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        error = QStringLiteral("work folder cannot be made: ") + folder;
        return Descriptor();
    }
    Descriptor dir(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info
    {
    };
    if (!dir.isOpen() || ::fstat(dir.get(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        error = QStringLiteral("work folder is not a folder of this user: ") + folder;
        return Descriptor();
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::fchmod(dir.get(), S_IRWXU) != 0) {
        error = QStringLiteral("work folder cannot be made private: ") + folder;
        return Descriptor();
    }
    return dir;
}

bool removeIfPresent(int dir, const char* name)
{
    return ::unlinkat(dir, name, 0) == 0 || errno == ENOENT;
}

// Everything in the file from its start, or nothing when it cannot be read.
std::optional<QByteArray> readAllOf(int fd)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return std::nullopt;
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
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
    const Descriptor folder = openPrivateFolder(tool.workFolder, output.error);
    if (!folder.isOpen())
        return output;
    const QByteArray workFile = QFile::encodeName(workFileName());
    if (!removeIfPresent(folder.get(), workFile.constData())) {
        output.error = QStringLiteral("stale work file cannot be removed: ") + workFileName();
        return output;
    }
    // Made afresh and never through a link: whatever appears under the name between the removal
    // and here makes the lookup fail instead of being written or read. The tool writes into this
    // very file, and it is read back from it.
    const Descriptor work(::openat(folder.get(), workFile.constData(),
                                   O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (!work.isOpen()) {
        output.error = QStringLiteral("work file cannot be made: ") + QString::fromLocal8Bit(::strerror(errno));
        return output;
    }
    const auto removeWorkFile
        = qScopeGuard([&folder, &workFile] { removeIfPresent(folder.get(), workFile.constData()); });

    QProcess process;
    process.setProgram(tool.program);
    process.setArguments({ argument });
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // Runs in the child once its standard channels are set up: the work file takes the place
    // of /dev/null as its standard output.
    const int workFd = work.get();
    process.setChildProcessModifier([workFd] { ::dup2(workFd, STDOUT_FILENO); });

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

    const std::optional<QByteArray> read = readAllOf(work.get());
    if (!read) {
        output.error = QStringLiteral("work file cannot be read: ") + QString::fromLocal8Bit(::strerror(errno));
        return output;
    }
    const QByteArray& bytes = *read;
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
