#include "platform/nameservertool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace veldrin;

namespace {

// The permission bits of `path` itself (a link is not followed).
mode_t modeOf(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : mode_t(~0U);
}

class NameServerToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        // The tool says what it was, and how the file it writes into was made.
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\ntouch '" + ran.toUtf8() + "'\necho out\nstat -L -c %a /dev/stdout\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ToolOutput run(const QString& folder) const
    {
        return runNameServerTool(NameServerTool { script, folder }, QStringLiteral("a.com"));
    }

    QTemporaryDir root;
    const QString script = root.filePath(QStringLiteral("tool.sh"));
    const QString ran = root.filePath(QStringLiteral("ran"));
    const QStringList answer { QStringLiteral("out"), QStringLiteral("600") };
};

// The work folder holds what the tool wrote, so only a real folder of the user's own is used:
// a symbolic link (wherever it points), a plain file, someone else's folder or a missing
// program gives no output, starts nothing and changes nothing.
TEST_F(NameServerToolTest, WorkFolderMustBeAFolderOfTheUsersOwn)
{
    const QString real = root.filePath(QStringLiteral("real"));
    ASSERT_TRUE(QDir().mkdir(real));
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0777), 0);
    const QString link = root.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(real, link));
    const QString plain = root.filePath(QStringLiteral("plain"));
    QFile(plain).open(QIODevice::WriteOnly);
    // Someone else's: a folder given away when the test may do so, else the root folder, which
    // an ordinary user can neither write nor change.
    QString foreign = QDir::rootPath();
    if (::geteuid() == 0) {
        foreign = root.filePath(QStringLiteral("foreign"));
        ASSERT_TRUE(QDir().mkdir(foreign));
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(foreign).constData(), 0777), 0);
    }
    const mode_t foreignMode = modeOf(foreign);

    for (const QString& folder : { link, plain, foreign }) {
        SCOPED_TRACE(folder.toStdString());
        const ToolOutput output = run(folder);
        EXPECT_FALSE(output.ok);
        EXPECT_FALSE(output.error.isEmpty());
        EXPECT_FALSE(QFile::exists(ran));
    }
    EXPECT_EQ(modeOf(real), mode_t(0777)) << "a link's target is left alone";
    EXPECT_EQ(modeOf(foreign), foreignMode);
    EXPECT_FALSE(QFile::exists(foreign + QStringLiteral("/1.txt")));
    EXPECT_FALSE(runNameServerTool(NameServerTool { QStringLiteral("tool.sh"), real }, QStringLiteral("a.com")).ok)
        << "a program without an absolute path is never looked up";
}

// A missing folder is made for the user alone, and one of the user's own that is open to
// others is closed before the tool writes into it; the work file is the user's alone too.
TEST_F(NameServerToolTest, WorkFolderIsPrivateBeforeUse)
{
    const QString made = root.filePath(QStringLiteral("made"));
    const QString open = root.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkdir(open));
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0777), 0);
    const QString shared = root.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0750), 0);

    for (const QString& folder : { made, open, shared }) {
        SCOPED_TRACE(folder.toStdString());
        const ToolOutput output = run(folder);
        EXPECT_TRUE(output.ok) << output.error.toStdString();
        EXPECT_EQ(output.lines, answer);
        EXPECT_EQ(modeOf(folder), mode_t(0700));
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/1.txt")));
    }
}

// A link planted under the work file's name is removed, never followed: what it points to
// is neither written nor read, nor removed.
TEST_F(NameServerToolTest, WorkFileIsNeverALink)
{
    const QString folder = root.filePath(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString target = root.filePath(QStringLiteral("target"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Addresses: 6.6.6.6\n");
    }
    ASSERT_TRUE(QFile::link(target, folder + QStringLiteral("/1.txt")));

    const ToolOutput output = run(folder);
    EXPECT_TRUE(output.ok) << output.error.toStdString();
    EXPECT_EQ(output.lines, answer);
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArrayLiteral("Addresses: 6.6.6.6\n"));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/1.txt")));
    EXPECT_FALSE(QFileInfo(folder + QStringLiteral("/1.txt")).isSymLink());
}

} // namespace
