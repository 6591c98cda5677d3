#include "checks/site/icppanel.h"

#include "app/panellayout.h"
#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

namespace veldrin {

namespace {

const QColor stateRed(192, 0, 0);
const QColor statusDarkBlue(0, 0, 192);

const QString fetchingState = QStringLiteral("备案状态：获取中...");
const QString readyStatus = QStringLiteral("准备就绪");

// The record states a page can name, and the caption each gives. The one written earliest in
// the page decides; at one position the first listed.
constexpr QStringView notRecorded = u"未备案";
constexpr QStringView noRecordInfo = u"目前暂无该域名备案信息";
constexpr QStringView recorded = u"已备案";
const std::array<QString, 3> stateCaptions = {
    QStringLiteral("备案状态：未备案"),
    QStringLiteral("备案状态：未知，请用方法二进行精确查询！"),
    QStringLiteral("备案状态：已备案"),
};

QLabel* colouredLabel(QLabel* label, const QColor& colour)
{
    layout::setTextColour(label, colour);
    return label;
}

} // namespace

QString strippedIcpAddress(const QString& typed)
{
    QString address = typed;
    for (QStringView prefix : { u"http://", u"HTTP://" }) {
        if (address.startsWith(prefix)) {
            address.remove(0, prefix.size());
            break;
        }
    }
    for (QStringView prefix : { u"www.", u"WWW." }) {
        if (address.startsWith(prefix)) {
            address.remove(0, prefix.size());
            break;
        }
    }
    return address;
}

IcpPanel::IcpPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmICP"), QStringLiteral("ICP证书"), parent)
    , m_webIcp(addPageLoader(QStringLiteral("WebICP")))
    , m_bICPPending(*this, *m_webIcp)
{
    addLabel(QStringLiteral("Label22"), QStringLiteral("查询方法一：数据库式查询"), layout::lineAt(360));
    const layout::InputRow row = layout::inputRowAt(720);
    addLabel(QStringLiteral("Label23"), QStringLiteral("网址："), row.prompt);
    m_txtICP = addLineEdit(QStringLiteral("txtICP"), row.box);
    m_txtICP->setFont(QFont(QStringLiteral("Verdana")));
    m_Command6 = addButton(QStringLiteral("Command6"), QStringLiteral("查询"), row.button);
    addLabel(QStringLiteral("Label27"), QStringLiteral("优点：查询方便"), QRect(240, 1260, 2520, 300));
    addLabel(QStringLiteral("Label31"), QStringLiteral("缺点：不稳定，不准确，缺结果"), QRect(2880, 1260, 2910, 300));
    m_Label25 = colouredLabel(addLabel(QStringLiteral("Label25"), QStringLiteral("备案状态："), layout::lineAt(1620)),
                              stateRed);
    m_Label30 = colouredLabel(addLabel(QStringLiteral("Label30"), readyStatus, layout::lineAt(1980)), statusDarkBlue);

    auto* line = layout::place(new QFrame(this), QStringLiteral("Line2"), QRect(240, 2400, 5550, 30));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QLabel* second
        = addLabel(QStringLiteral("Label28"), QStringLiteral("查询方法二：信产部官网查询（打开后点击公共信息查询）"),
                   layout::lineAt(2520, 420));
    second->setWordWrap(true);
    QPushButton* command10
        = addButton(QStringLiteral("Command10"), QStringLiteral("打开信产部查询网址"), QRect(240, 3000, 2400, 420));
    addLabel(QStringLiteral("Label29"), QStringLiteral("优点：结果全面，数据权威"), layout::lineAt(3540));
    addLabel(QStringLiteral("Label32"), QStringLiteral("缺点：查询麻烦"), layout::lineAt(3900));

    connect(m_Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
    attachKeyHandler(m_txtICP, [this](int& k) { txtICP_KeyPress(k); });
    connect(m_webIcp, &PageLoader::progressChange, this, [this] { WebICP_ProgressChange(); });
    connect(m_webIcp, &PageLoader::documentComplete, this, [this] { WebICP_DocumentComplete(); });
}

void IcpPanel::Command6_Click()
{
    queryStarting(QStringLiteral("Command6_Click"));
    if (m_txtICP->text().size() < 4) {
        showFailure(QStringLiteral("请输入正确的网址！错误原因："),
                    { QStringLiteral("网址输入错误，请检查后重新输入！") });
        return;
    }
    m_Label25->setText(fetchingState);
    // The box shows what is sent.
    m_txtICP->setText(strippedIcpAddress(m_txtICP->text()));
    m_Label30->setText(QStringLiteral("正在连接服务器..."));
    m_bICPPending.arm(
        { m_Command6, m_txtICP },
        context().services[Service::IcpLookup].url(u"/index.html?hostName=" + percentEncodeUserPart(m_txtICP->text())),
        BusyGuard::EnableOrder::AsListed);
}

void IcpPanel::WebICP_ProgressChange()
{
    if (m_bICPPending.isArmed())
        m_Label30->setText(QStringLiteral("正在查询该网站的备案信息..."));
}

void IcpPanel::WebICP_DocumentComplete()
{
    auto busy = m_bICPPending.take();
    if (!busy)
        return;
    // A page that could not be had is no page without a record: it is the failure path.
    if (m_webIcp->loadFailed())
        return showLookupFailure(std::move(busy));
    const QString strICPPage = m_webIcp->innerText();
    const std::optional<PhraseHit> hit = findEarliest(strICPPage, { notRecorded, noRecordInfo, recorded });
    if (!hit) {
        m_Label30->setText(readyStatus);
        return showLookupFailure(std::move(busy));
    }
    m_Label25->setText(stateCaptions[hit->index]);
    busy.reset();
    m_Label30->setText(readyStatus);
}

// The panel is enabled before the box.
void IcpPanel::showLookupFailure(std::unique_ptr<BusyGuard> busy)
{
    m_Label30->setText(QStringLiteral("查询失败"));
    m_Label25->setText(QStringLiteral("备案状态：未知"));
    busy.reset();
    showFailure(QStringLiteral("查询失败，请使用方法二查询！错误原因："),
                { QStringLiteral("服务器繁忙或维护检修，请稍后再试！"),
                  QStringLiteral("IE版本过低会IE浏览器被恶意修改，请重装IE6.0以上版本！") });
}

void IcpPanel::Command10_Click()
{
    context().shell->open(window(), context().services[Service::IcpRegistry].url(QStringLiteral("/CX/main.jsp")));
}

void IcpPanel::txtICP_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        Command6_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
