#pragma once

#include <QString>

namespace veldrin {

// One lock per user, held for the life of the process: the second copy of the program finds
// it taken. An advisory lock on a file, which the kernel drops when the holder ends however
// it ends, so a crashed run leaves nothing behind that would block the next start.
class InstanceLock
{
public:
    enum class State
    {
        NotTried,
        Held, // this process holds it
        HeldElsewhere, // another process held it when this one tried
        Unavailable, // the lock file could not be opened: no answer either way
    };

    explicit InstanceLock(QString lockFilePath);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries once; every later call returns the state of that one try.
    State acquire();
    State state() const { return m_state; }
    QString path() const { return m_path; }

    // The user's runtime folder when there is one, else the temporary folder; the file name
    // carries the user id there, so two users of one machine each get their own lock.
    static QString defaultPath();

private:
    QString m_path;
    int m_fd = -1;
    State m_state = State::NotTried;
};

} // namespace veldrin
