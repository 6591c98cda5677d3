#include "checks/person/qqpanel.h"

#include "app/panellayout.h"
#include "checks/person/phonenumbers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

const QString ResultCaption = QStringLiteral("对方情况：");
const QString IdleStatus = QStringLiteral("准备就绪");

// A load that failed (refused, timed out, a 5xx answer) is the service's or the network's
// fault, not the number's.
const QStringList LoadFailureCauses = {
    QStringLiteral("QQ服务器繁忙或检修维护，请稍后再试！"),
    QStringLiteral("网络不稳定或繁忙，请退出占用大量网络资源的程序！"),
};

} // namespace

QqPanel::QqPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmQQ"), QStringLiteral("QQ在线查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("Label5"), QStringLiteral("输入QQ号："), row.prompt);
    m_Text4 = addLineEdit(QStringLiteral("Text4"), row.box);
    m_Command9 = addButton(QStringLiteral("Command9"), QStringLiteral("查询"), row.button);
    m_Label24 = addLabel(QStringLiteral("Label24"), ResultCaption, layout::lineAt(1140));
    m_Label26 = addLabel(QStringLiteral("Label26"), IdleStatus, layout::lineAt(4320));

    connect(m_Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(m_WebQQ, &PageLoader::titleChange, this, [this] { WebQQ_TitleChange(); });
    attachKeyHandler(m_Text4, [this](int& k) { Text4_KeyPress(k); });
}

QWidget* QqPanel::focusBox() const
{
    return m_Text4;
}

void QqPanel::Command9_Click()
{
    queryStarting(QStringLiteral("Command9_Click"));

    // A refused number also clears the last result.
    m_Label24->setText(ResultCaption);
    const std::optional<QString> number = messengerNumberText(m_Text4->text());
    if (!number) {
        // The box comes over the disabled panel, which is enabled once it is closed.
        BusyGuard refusing(*this, { m_Command9, m_Text4 });
        showFailure(QStringLiteral("请输入正确QQ号！错误原因："),
                    { QStringLiteral("输入QQ号应该在10000-9999999999之间，请检查后重新输入！") });
        return;
    }

    m_Label26->setText(QStringLiteral("正在查询QQ在线状态..."));
    // The blank before "alt" goes out encoded: an address with a raw blank is refused.
    bQQPending.arm({ m_Command9, m_Text4 },
                   context().services[Service::MessengerPresence].url(u"/pa?p=1:" + *number + u":1%20alt=test"));
}

void QqPanel::WebQQ_TitleChange()
{
    std::unique_ptr<BusyGuard> busy = bQQPending.take();
    if (!busy)
        return;

    // The presence service answers by sending the loader on to one of two pictures of
    // another host; only those exact addresses count.
    const Endpoint& pictures = context().services[Service::MessengerPicture];
    const bool failed = m_WebQQ->loadFailed();
    const QString location = failed ? QString() : m_WebQQ->locationUrl();
    QString result;
    if (location == pictures.url(QStringLiteral("/qq_online.gif")))
        result = QStringLiteral("对方情况：在线");
    else if (location == pictures.url(QStringLiteral("/qq_offline.gif")))
        result = QStringLiteral("对方情况：离线或隐身");

    busy->end();
    m_Label26->setText(IdleStatus);
    if (failed)
        return showFailure(QStringLiteral("出现错误！错误原因："), LoadFailureCauses);
    if (result.isEmpty()) {
        return showFailure(QStringLiteral("您输入的QQ号不合法！错误原因："),
                           { QStringLiteral("您输入的QQ号不合法，请检查后重新输入！") });
    }
    m_Label24->setText(result);
}

void QqPanel::Text4_KeyPress(int& KeyAscii)
{
    // The button stays disabled while a presence request is pending; Enter must not start a
    // second one.
    if (KeyAscii == KeyEnter && m_Command9->isEnabled())
        Command9_Click();
    refuseListed(KeyAscii, RefusedList::MessengerNumber);
}

} // namespace veldrin
