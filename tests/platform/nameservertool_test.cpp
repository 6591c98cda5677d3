#include "platform/nameservertool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace veldrin;

namespace {

// The work folder holds what the tool wrote, so only a real folder of the user's own is used:
// a symbolic link (wherever it points), a plain file or a missing program gives no output
// and starts nothing.
TEST(NameServerTool, WorkFolderMustBeAPrivateFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString script = root.filePath(QStringLiteral("tool.sh"));
    const QString ran = root.filePath(QStringLiteral("ran"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\ntouch '" + ran.toUtf8() + "'\necho out\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString real = root.filePath(QStringLiteral("real"));
    ASSERT_TRUE(QDir().mkdir(real));
    const QString link = root.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(real, link));
    const QString plain = root.filePath(QStringLiteral("plain"));
    QFile(plain).open(QIODevice::WriteOnly);

    for (const QString& folder : { link, plain }) {
        SCOPED_TRACE(folder.toStdString());
        const ToolOutput output = runNameServerTool(NameServerTool { script, folder }, QStringLiteral("a.com"));
        EXPECT_FALSE(output.ok);
        EXPECT_FALSE(QFile::exists(ran));
    }
    EXPECT_FALSE(runNameServerTool(NameServerTool { QStringLiteral("tool.sh"), real }, QStringLiteral("a.com")).ok)
        << "a program without an absolute path is never looked up";

    // A missing folder is made, for the user alone.
    const QString made = root.filePath(QStringLiteral("made"));
    const ToolOutput output = runNameServerTool(NameServerTool { script, made }, QStringLiteral("a.com"));
    EXPECT_TRUE(output.ok) << output.error.toStdString();
    EXPECT_EQ(output.lines, QStringList({ QStringLiteral("out") }));
    EXPECT_EQ(QFileInfo(made).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther),
              QFileDevice::Permissions());
}

} // namespace
