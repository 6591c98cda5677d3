#include "platform/instancelock.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace veldrin {

InstanceLock::InstanceLock(QString lockFilePath)
    : m_path(std::move(lockFilePath))
{
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InstanceLock::State InstanceLock::acquire()
{
    if (m_state != State::NotTried)
        return m_state;

    const QByteArray encoded = QFile::encodeName(m_path);
    // Close-on-exec: a child process (the name-server tool) must not inherit the descriptor,
    // or the lock would outlive this process. No-follow: in a shared temporary folder the name
    // must not lead somewhere else.
    int fd = -1;
    do {
        fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_state = State::Unavailable;
        return m_state;
    }

    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_fd = fd;
        m_state = State::Held;
    } else {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        m_state = taken ? State::HeldElsewhere : State::Unavailable;
    }
    return m_state;
}

QString InstanceLock::defaultPath()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(QStringLiteral("veldrin.lock"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("veldrin-%1.lock").arg(::getuid()));
}

} // namespace veldrin
