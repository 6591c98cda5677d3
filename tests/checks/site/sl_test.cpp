#include "app/form1.h"
#include "checks/site/slpanel.h"
#include "support/enablelog.h"
#include "support/recorders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

const QString failureText = QStringLiteral("查询失败，请稍后再试！");
const QString progressText = QStringLiteral("正在查询服务器主机信息中...");

struct SlPanelTest : ::testing::Test
{
    TestSeams seams;
    QTemporaryDir scripts;
    BuiltPanel built;
    QLineEdit* txtSLURL = nullptr;
    QPushButton* cmdGO = nullptr;
    QPlainTextEdit* txtSLJG = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(scripts.isValid());
        built = buildPanel(QStringLiteral("frmSL"), seams.context);
        txtSLURL = built.control<QLineEdit>(u"txtSLURL");
        cmdGO = built.control<QPushButton>(u"cmdGO");
        txtSLJG = built.control<QPlainTextEdit>(u"txtSLJG");
        ASSERT_TRUE(txtSLURL && cmdGO && txtSLJG);
        seams.dialogs.watched = built.panel.get();
    }

    // A stand-in for the name-server tool: a shell script of the test's own, started by the
    // real runner.
    void useTool(const QString& body, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const QString path = scripts.filePath(QStringLiteral("tool.sh"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("#!/bin/sh\n" + body.toUtf8() + '\n');
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        seams.net.useToolProgram(seams.context, path, timeout);
    }

    QString workFile() const { return seams.net.workFolder() + QStringLiteral("/1.txt"); }

    void query(const QString& name)
    {
        txtSLURL->setText(name);
        QTest::mouseClick(cmdGO, Qt::LeftButton);
    }

    void expectEnabled()
    {
        EXPECT_TRUE(cmdGO->isEnabled());
        EXPECT_TRUE(txtSLURL->isEnabled());
        EXPECT_TRUE(txtSLJG->isEnabled());
    }
};

// Only "http" and "ftp" at the very start, in small letters, are refused with the prefix box;
// an empty name or one the tool would take for an option gets a one-line refusal. Neither
// reaches the tool or changes the panel.
TEST_F(SlPanelTest, PrefixesAndOptionLikeNamesAreRefused)
{
    const QString prefixBox = QStringLiteral("输入时禁止输入“http”和“ftp”否则无法查询！请去掉！");
    const QString nameBox = QStringLiteral("请输入正确的域名！");
    const std::pair<QString, QString> cases[] = {
        { QStringLiteral("http://www.example.com"), prefixBox },
        { QStringLiteral("httpbin.org"), prefixBox },
        { QStringLiteral("ftp"), prefixBox },
        { QStringLiteral("ftp.example.com"), prefixBox },
        { QString(), nameBox },
        { QStringLiteral("-type=mx"), nameBox },
        { QStringLiteral("HTTP.example.com"), QString() },
        { QStringLiteral("www.example.com"), QString() },
        { QStringLiteral("Ftp.example.com"), QString() },
    };
    for (const auto& [name, box] : cases) {
        SCOPED_TRACE(name.toStdString());
        seams.dialogs.boxes.clear();
        seams.net.toolArguments.clear();
        txtSLJG->setPlainText(QStringLiteral("上一次的结果"));
        query(name);
        if (box.isEmpty()) {
            EXPECT_TRUE(seams.dialogs.boxes.isEmpty());
            EXPECT_EQ(seams.net.toolArguments, QStringList({ name }));
            EXPECT_EQ(txtSLJG->toPlainText(), failureText) << "the inert tool gives no output";
        } else {
            ASSERT_EQ(seams.dialogs.boxes.size(), 1);
            EXPECT_EQ(seams.dialogs.boxes.first().style, MsgCritical);
            EXPECT_EQ(seams.dialogs.boxes.first().title, QStringLiteral("错误"));
            EXPECT_EQ(seams.dialogs.boxes.first().text, box);
            EXPECT_TRUE(seams.net.toolArguments.isEmpty());
            EXPECT_EQ(txtSLJG->toPlainText(), QStringLiteral("上一次的结果"));
        }
        EXPECT_EQ(txtSLURL->text(), name);
        expectEnabled();
    }
}

// Whatever the tool writes is shown tidied, even after a failing exit status: blanks and TABs
// gone, "Addresses:" on a line of its own in Chinese; the work file is removed afterwards.
TEST_F(SlPanelTest, ToolOutputIsTidiedWhateverTheExitStatus)
{
    useTool(QStringLiteral(
        "printf 'Non-authoritative answer:\\nName:\\texample.com\\nAddresses:\\t1.2.3.4\\n\\t  5.6.7.8\\n'\n"
        "exit 1"));
    EnableLog log({ cmdGO, txtSLURL, txtSLJG });
    query(QStringLiteral("example.com"));

    EXPECT_EQ(txtSLJG->toPlainText(),
              QStringLiteral("Non-authoritativeanswer:\nName:example.com\n服务器主机信息：\n1.2.3.4\n5.6.7.8\n"));
    EXPECT_EQ(seams.net.toolArguments, QStringList({ QStringLiteral("example.com") }));
    EXPECT_FALSE(QFile::exists(workFile()));
    EXPECT_TRUE(QFileInfo(seams.net.workFolder()).isDir());
    expectEnabled();
    EXPECT_EQ(log.changes,
              QStringList({ QStringLiteral("cmdGO-"), QStringLiteral("txtSLURL-"), QStringLiteral("txtSLJG-"),
                            QStringLiteral("cmdGO+"), QStringLiteral("txtSLURL+"), QStringLiteral("txtSLJG+") }));
}

// A stale work file is never shown: it is removed before the tool starts, so a tool that
// writes nothing, or one that cannot start, ends with the failure text.
TEST_F(SlPanelTest, StaleFileAndSilentToolGiveTheFailureText)
{
    useTool(QStringLiteral("exit 0"));
    ASSERT_TRUE(QDir().mkpath(seams.net.workFolder()));
    QFile stale(workFile());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("Addresses: 6.6.6.6\n");
    stale.close();

    query(QStringLiteral("example.com"));
    EXPECT_EQ(txtSLJG->toPlainText(), failureText);
    EXPECT_FALSE(QFile::exists(workFile()));
    expectEnabled();

    seams.net.useToolProgram(seams.context, scripts.filePath(QStringLiteral("missing-tool")));
    query(QStringLiteral("example.com"));
    EXPECT_EQ(txtSLJG->toPlainText(), failureText);
    expectEnabled();
}

// The work folder is the user's alone: one of the user's own that is open to others is closed
// and used; a link in its place is refused with the failure text, and the tool never runs.
TEST_F(SlPanelTest, WorkFolderIsClosedOrRefused)
{
    const QString ran = scripts.filePath(QStringLiteral("ran"));
    useTool(QStringLiteral("touch '%1'\nprintf 'Addresses:\\t1.2.3.4\\n'").arg(ran));
    const QString folder = seams.net.workFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));

    query(QStringLiteral("example.com"));
    EXPECT_EQ(txtSLJG->toPlainText(), QStringLiteral("服务器主机信息：\n1.2.3.4\n"));
    EXPECT_EQ(QFileInfo(folder).permissions() & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());
    expectEnabled();

    QFile::remove(ran);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    const QString elsewhere = scripts.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, folder));
    query(QStringLiteral("example.com"));
    EXPECT_EQ(txtSLJG->toPlainText(), failureText);
    EXPECT_FALSE(QFile::exists(ran));
    expectEnabled();
}

// While the tool runs the window takes input: a panel reset enables and empties the result
// box but leaves the input and the button disabled until the tool has ended.
TEST_F(SlPanelTest, ResetDuringTheWaitLeavesTheLookupItsControls)
{
    const QString started = scripts.filePath(QStringLiteral("started"));
    const QString go = scripts.filePath(QStringLiteral("go"));
    useTool(QStringLiteral("touch '%1'\nwhile [ ! -e '%2' ]; do sleep 0.02; done\nprintf 'Addresses:\\t1.2.3.4\\n'")
                .arg(started, go));

    QList<Look> duringWait;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (!QFile::exists(started) || QFile::exists(go))
            return;
        duringWait << Look { txtSLJG->toPlainText(), txtSLJG->isEnabled(), true };
        built.panel->resetPanel();
        duringWait << Look { txtSLURL->text(), txtSLURL->isEnabled(), true }
                   << Look { txtSLJG->toPlainText(), txtSLJG->isEnabled(), true }
                   << Look { QString(), cmdGO->isEnabled(), true };
        QFile(go).open(QIODevice::WriteOnly);
    });
    driver.start(10);
    query(QStringLiteral("example.com"));

    ASSERT_EQ(duringWait.size(), 4);
    EXPECT_EQ(duringWait[0], (Look { progressText, false, true }));
    EXPECT_EQ(duringWait[1], (Look { QString(), false, true })) << "the input stays disabled";
    EXPECT_EQ(duringWait[2], (Look { QString(), true, true })) << "the result box follows the reset";
    EXPECT_FALSE(duringWait[3].enabled) << "the button stays disabled";
    EXPECT_EQ(txtSLJG->toPlainText(), QStringLiteral("服务器主机信息：\n1.2.3.4\n"));
    expectEnabled();
}

// No shell stands between the panel and the tool: the whole text is one argument, and the
// command after ";" never runs.
TEST_F(SlPanelTest, TypedTextReachesTheToolAsOneArgument)
{
    const QString arguments = scripts.filePath(QStringLiteral("arguments"));
    useTool(QStringLiteral("printf '%s\\n' \"$#\" \"$@\" > '%1'\necho ok").arg(arguments));
    const QString marker = scripts.filePath(QStringLiteral("X"));
    const QString name = u"a.com;touch " + marker;

    txtSLURL->clear();
    pasteText(txtSLURL, name);
    QTest::mouseClick(cmdGO, Qt::LeftButton);

    QFile recorded(arguments);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(recorded.readAll()), u"1\n" + name + u'\n');
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(txtSLJG->toPlainText(), QStringLiteral("ok\n"));
}

// A tool that outlives its time-out is killed and reaped, and the lookup ends with the
// failure text.
TEST_F(SlPanelTest, TimeOutKillsTheTool)
{
    const QString pidFile = scripts.filePath(QStringLiteral("pid"));
    useTool(QStringLiteral("echo $$ > '%1'\necho partial\nexec sleep 30").arg(pidFile), std::chrono::milliseconds(300));

    query(QStringLiteral("example.com"));

    EXPECT_EQ(txtSLJG->toPlainText(), failureText);
    expectEnabled();
    QFile recorded(pidFile);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    const pid_t pid = recorded.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    // Gone, not even a zombie: kill() would still find an unreaped child.
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_FALSE(QFile::exists(workFile()));
}

TEST(HostListTidy, BlanksThenAddressLabelThenTabs)
{
    EXPECT_EQ(tidyHostList({ QStringLiteral("Addresses:  1.2.3.4"), QStringLiteral("\tAddresses:\t5.6.7.8"),
                             QStringLiteral("Address: 9.9.9.9") }),
              QStringLiteral("服务器主机信息：\r\n1.2.3.4\r\n服务器主机信息：\r\n5.6.7.8\r\nAddress:9.9.9.9\r\n"));
    EXPECT_EQ(tidyHostList({ QStringLiteral("Address es:") }), QStringLiteral("服务器主机信息：\r\n\r\n"))
        << "blanks go first, so a label split by blanks is joined before it is replaced";
    EXPECT_EQ(tidyHostList({}), QString());
}

// The removed text stands in the main window's hidden Text6, outside every panel.
TEST(HostListTidy, RemovedTextIsTheMainWindowsHiddenText6)
{
    TestSeams seams;
    Form1 window(seams.context);
    auto* text6 = window.findChild<QLineEdit*>(QStringLiteral("Text6"));
    ASSERT_NE(text6, nullptr);
    EXPECT_EQ(text6->text(), QStringLiteral("\t"));
    EXPECT_TRUE(text6->isHidden());
    EXPECT_EQ(window.findChild<QWidget*>(QStringLiteral("frmSL"))->findChild<QLineEdit*>(QStringLiteral("Text6")),
              nullptr);
}

} // namespace
