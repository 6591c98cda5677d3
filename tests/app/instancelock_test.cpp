#include "platform/instancelock.h"
#include "support/recorders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace veldrin;
using State = InstanceLock::State;

namespace {

// flock() locks belong to an open file, so two locks in one process contend as two processes would.
TEST(InstanceLock, SecondHolderFindsItTakenAndTheFirstKeepsItsAnswer)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("veldrin.lock"));

    auto first = std::make_unique<InstanceLock>(path);
    EXPECT_EQ(first->acquire(), State::Held);
    InstanceLock second(path);
    EXPECT_EQ(second.acquire(), State::HeldElsewhere);
    // Asked again, the holder does not mistake its own lock for another instance.
    EXPECT_EQ(first->acquire(), State::Held);

    first.reset();
    EXPECT_EQ(second.acquire(), State::HeldElsewhere) << "the answer is the one of the first try";
    InstanceLock third(path);
    EXPECT_EQ(third.acquire(), State::Held) << "released when its holder goes";
}

TEST(InstanceLock, NoFolderGivesNoAnswer)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    InstanceLock lock(folder.filePath(QStringLiteral("missing/veldrin.lock")));
    EXPECT_EQ(lock.acquire(), State::Unavailable);
}

// A child process started while the lock is held must not keep it alive after the holder.
TEST(InstanceLock, ChildProcessesDoNotInheritTheLock)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("veldrin.lock"));
    auto holder = std::make_unique<InstanceLock>(path);
    ASSERT_EQ(holder->acquire(), State::Held);

    QProcess child;
    child.start(QStringLiteral("sleep"), { QStringLiteral("30") });
    ASSERT_TRUE(child.waitForStarted(5000));
    holder.reset();
    InstanceLock next(path);
    EXPECT_EQ(next.acquire(), State::Held);
    child.kill();
    child.waitForFinished(5000);
}

// Whether process `pid` holds a flock() lock, read from the kernel's lock table without taking it.
bool holdsFileLock(qint64 pid)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = locks.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 4 && fields[1] == "FLOCK" && fields[4].toLongLong() == pid)
            return true;
    }
    return false;
}

// The real program started twice with one runtime folder: the second copy ends by itself at
// once, with exit code 0, while the first keeps running. The first one asks the version page
// of the real service table at start-up, so both run in a network namespace of their own that
// has nothing but a loopback device: no request leaves the machine.
TEST(InstanceLock, SecondProgramEndsWhileTheFirstRuns)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../veldrin");
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << "build the veldrin target first: " << program.toStdString();
    if (!QFile::exists(QStringLiteral("/proc/locks")))
        GTEST_SKIP() << "no /proc/locks to see the first instance's lock";
    const QString unshare = QStringLiteral("/usr/bin/unshare");
    const QStringList offline = { QStringLiteral("--net"), QStringLiteral("--"), program };
    if (QProcess::execute(unshare, { QStringLiteral("--net"), QStringLiteral("--"), QStringLiteral("/bin/true") }) != 0)
        GTEST_SKIP() << "no network namespace to be had (needs root or user namespaces): the real program would reach "
                        "out for its version page";

    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(unshare, offline);
    ASSERT_TRUE(first.waitForStarted(10000));
    const bool locked = test::waitUntil([&] { return holdsFileLock(first.processId()); }, std::chrono::seconds(20));
    EXPECT_TRUE(locked) << "the first instance never took its lock";
    EXPECT_TRUE(QFile::exists(runtime.filePath(QStringLiteral("veldrin.lock"))));

    if (locked) {
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(unshare, offline);
        ASSERT_TRUE(second.waitForStarted(10000));
        EXPECT_TRUE(second.waitForFinished(20000)) << "the second instance did not end by itself";
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished(5000);
        }
        EXPECT_EQ(first.state(), QProcess::Running);
    }
    first.kill();
    EXPECT_TRUE(first.waitForFinished(10000));
}

} // namespace
