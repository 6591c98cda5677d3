#include "checks/site/zhujipanel.h"

#include "app/messages.h"
#include "app/panellayout.h"
#include "app/resulttext.h"
#include "checks/site/iplocationpage.h"
#include "platform/textsearch.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// The address label's caption; the lookup writes the address after it.
QString addressCaption()
{
    return QStringLiteral("主机IP地址：");
}

const QString errorTitle = QStringLiteral("错误");
const QString failedStatus = QStringLiteral("出现错误");

// The resolver takes a name of at most this many characters.
constexpr qsizetype longestHostName = 64;

const QStringList resolutionCauses = {
    QStringLiteral("输入网址错误，请检查后重新输入！"),
    QStringLiteral("尚未连接互联网，请连接后再试！"),
    QStringLiteral("您的系统不能进行域名解析，请检查系统设置！"),
};

const QStringList failureCauses = {
    QStringLiteral("服务器繁忙或网络不稳定，请退出大量占用网络的其他程序！"),
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("IP服务器繁忙或关闭，请稍后再试！"),
};

} // namespace

ZhuJiPanel::ZhuJiPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmZhuJi"), QStringLiteral("主机地址所在地"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblZZURL"), QStringLiteral("网址："), row.prompt);
    m_txtZhuJi = addLineEdit(QStringLiteral("txtZhuJi"), row.box);
    m_txtZhuJi->setFont(QFont(QStringLiteral("Verdana")));
    m_cmdZhuJiChaXun = addButton(QStringLiteral("cmdZhuJiChaXun"), QStringLiteral("查询"), row.button);
    m_lblZhuJiIP = addLabel(QStringLiteral("lblZhuJiIP"), addressCaption(), layout::lineAt(960));
    addLabel(QStringLiteral("lblZhuJiDZ"), QStringLiteral("主机所在地："), layout::lineAt(1380));
    m_txtZhuJiJG = addTextBox(QStringLiteral("txtZhuJiJG"), layout::lineAt(1740, 1560));
    QLabel* about = addLabel(QStringLiteral("lblZhuJiJS"),
                             QStringLiteral("本功能可以查询您需要的网站服务器放置地点，"
                                            "如果与真实放置地点差的太远，则可能是骗子网站。"),
                             layout::lineAt(3420, 720));
    about->setTextFormat(Qt::PlainText);
    about->setWordWrap(true);
    m_lblZhuJi = addLabel(QStringLiteral("lblZhuJi"), QStringLiteral("准备就绪"), layout::lineAt(4260));
    layout::setTextColour(m_lblZhuJi, layout::statusBlue);

    connect(m_cmdZhuJiChaXun, &QPushButton::clicked, this, [this] { cmdZhuJiChaXun_Click(); });
    attachKeyHandler(m_txtZhuJi, [this](int& k) { txtZhuJi_KeyPress(k); });
}

QWidget* ZhuJiPanel::focusBox() const
{
    return m_txtZhuJi;
}

void ZhuJiPanel::resetPanel()
{
    enableUnlessRunning(m_txtZhuJi);
    m_txtZhuJi->clear();
    enableUnlessRunning(m_cmdZhuJiChaXun);
    m_lblZhuJiIP->setText(addressCaption());
}

void ZhuJiPanel::cmdZhuJiChaXun_Click()
{
    queryStarting(QStringLiteral("cmdZhuJiChaXun_Click"));
    const QString host = m_txtZhuJi->text();
    // The length first: "ftp" alone is too short before it is a scheme.
    if (host.size() < 4)
        return showFailure(QStringLiteral("请输入正确的网站后再试！错误原因："),
                           { QStringLiteral("网址输入错误，请检查后重新输入！") });
    if (host.startsWith(u"http") || host.startsWith(u"ftp"))
        return showBox(MsgCritical, errorTitle,
                       { QStringLiteral("网址输入错误！错误原因："),
                         QStringLiteral("网址中不能含有“http”和“ftp”，请重新输入后再试！") });

    m_lblZhuJiIP->setText(addressCaption());
    BusyGuard busy(*this, { m_txtZhuJi, m_cmdZhuJiChaXun });
    m_lblZhuJi->setText(QStringLiteral("正在解析域名中..."));

    if (host.size() > longestHostName)
        return showLookupFailure();
    // Both off the UI thread, so the status above is drawn while they take their time.
    const QList<Ipv4Address> resolved = context().resolveNameWaiting(host);
    // Only the first address is echoed. An unresolved name sends nothing, so no answer can be
    // counted for it, not even where the system would answer an echo to 0.0.0.0 itself.
    const std::optional<Ipv4Address> destination
        = resolved.isEmpty() ? std::nullopt : std::optional<Ipv4Address>(resolved.first());
    const EchoResult echo = context().sendEchoWaiting(destination, EchoRequest {});
    if (!echo.opened) {
        showBox(MsgNone, appTitle(), { QStringLiteral("检测失败") });
        busy.end();
        m_lblZhuJi->setText(failedStatus);
        return;
    }
    // The host's address is the one that answered, not the one that was resolved: a router
    // reporting an error is located in the host's place.
    QString address;
    if (echo.replies > 0)
        address = echo.from.text();
    else
        showBox(MsgNone, appTitle(), { QStringLiteral("解析域名超时") });
    if (echo.status != 0)
        showBox(MsgCritical, errorTitle, { QStringLiteral("检测失败!") });
    m_strIP = address;

    // Every dotted address has at least seven characters.
    if (m_strIP.size() < 7) {
        busy.end();
        m_lblZhuJi->setText(failedStatus);
        showFailure(QStringLiteral("域名解析错误，错误原因："), resolutionCauses);
        m_lblZhuJiIP->setText(addressCaption());
        return;
    }

    m_lblZhuJiIP->setText(addressCaption() + m_strIP);
    m_lblZhuJi->setText(QStringLiteral("正在连接服务器中..."));
    const std::optional<QString> page = fetchPage(Service::IpLocation, ipLocationQuery(m_strIP));
    if (!page)
        return showLookupFailure();
    m_txtZhuJiTT = *page;
    const std::optional<QString> location = cut(m_txtZhuJiTT, ipLocationCut);
    if (!location)
        return showLookupFailure();
    showInTextBox(m_txtZhuJiJG, *location);
    busy.end();
    m_lblZhuJi->setText(QStringLiteral("准备就绪"));
}

// The box comes while the panel is still disabled; the guard enables it once it is closed.
// The result box keeps the previous host's location.
void ZhuJiPanel::showLookupFailure()
{
    m_lblZhuJi->clear();
    m_lblZhuJiIP->setText(addressCaption());
    showFailure(QStringLiteral("出现错误！错误原因："), failureCauses);
}

void ZhuJiPanel::txtZhuJi_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdZhuJiChaXun_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
