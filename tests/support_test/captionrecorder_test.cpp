#include "support/captionrecorder.h"
#include "support/recorders.h"

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

using namespace veldrin::test;

namespace {

using Captions = QList<std::pair<QString, QString>>;

// A caption is recorded when it stands while the event loop runs, or when the test asks; one
// replaced before the loop runs again was never on screen. Unnamed and hidden controls have
// no caption to fit.
TEST(CaptionRecorder, RecordsTheCaptionsThatStandWhileTheEventLoopRuns)
{
    QWidget window;
    auto* status = new QLabel(QStringLiteral("准备就绪"), &window);
    status->setObjectName(QStringLiteral("lblStatus"));
    auto* hidden = new QLabel(QStringLiteral("隐藏"), &window);
    hidden->setObjectName(QStringLiteral("lblHidden"));
    hidden->hide();
    new QLabel(QStringLiteral("无名"), &window);
    window.show();

    Captions seen;
    CaptionRecorder recorder(window, [&](const QWidget& control, const QString& caption) {
        EXPECT_EQ(shownText(&control), caption) << "seen while it is shown";
        seen.append({ control.objectName(), caption });
    });
    status->setText(QStringLiteral("正在查询中..."));
    bool waited = false;
    QTimer::singleShot(0, &window, [&] { waited = true; });
    ASSERT_TRUE(waitUntil([&] { return waited; }));
    status->setText(QStringLiteral("一闪而过"));
    status->setText(QStringLiteral("查询完毕"));
    recorder.recordNow();
    status->setText(QStringLiteral("准备就绪"));
    recorder.recordNow();

    const Captions expected = {
        { QStringLiteral("lblStatus"), QStringLiteral("准备就绪") },
        { QStringLiteral("lblStatus"), QStringLiteral("正在查询中...") },
        { QStringLiteral("lblStatus"), QStringLiteral("查询完毕") },
    };
    EXPECT_EQ(recorder.captions(), expected);
    EXPECT_EQ(seen, expected);
}

TEST(CaptionRecorder, ProgramTextsAreTheLiteralsOfItsSources)
{
    EXPECT_TRUE(isProgramText(QStringLiteral("准备就绪")));
    EXPECT_TRUE(isProgramText(QStringLiteral("主机IP地址：")));
    EXPECT_TRUE(isProgramText(QStringLiteral("暂无建议.\r\n"))) << "line breaks as the sources escape them";
    EXPECT_FALSE(isProgramText(QStringLiteral("主机IP地址：127.0.0.1"))) << "a fixed start and a value";
    EXPECT_FALSE(isProgramText(QStringLiteral("IP地址"))) << "only a whole literal, not a part of one";
}

} // namespace
