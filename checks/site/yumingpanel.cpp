#include "checks/site/yumingpanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "checks/site/whoisrows.h"
#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// A page that says so is no record, and is refused before any rewriting.
constexpr QStringView reservedSentence = u"the domain you want to register is reserved";

const QStringList failureCauses = {
    QStringLiteral("服务器繁忙，不能响应您的请求，请稍后再试！"),
    QStringLiteral("VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("域名输入错误，在信息库中不存在，请检查后重新输入！"),
};

} // namespace

YuMingPanel::YuMingPanel(Context& context, QWidget* parent)
    : YuMingPanel(context, rewriteWhoisRecord, parent)
{
}

YuMingPanel::YuMingPanel(Context& context, RecordRewrite rewrite, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmYuMing"), QStringLiteral("域名信息查询"), parent)
    , m_rewrite(std::move(rewrite))
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("lblYuMing"), QStringLiteral("域名："), row.prompt);
    const QFont verdana(QStringLiteral("Verdana"));
    m_txtYuMing = addLineEdit(QStringLiteral("txtYuMing"), row.box);
    m_txtYuMing->setFont(verdana);
    m_cmdYuMingChaXun = addButton(QStringLiteral("cmdYuMingChaXun"), QStringLiteral("查询"), row.button);
    m_txtYuMingJG = addTextBox(QStringLiteral("txtYuMingJG"), layout::lineAt(900, 3675));
    m_txtYuMingJG->setFont(verdana);
    m_txtYuMingJG->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(m_cmdYuMingChaXun, &QPushButton::clicked, this, [this] { cmdYuMingChaXun_Click(); });
    attachKeyHandler(m_txtYuMing, [this](int& k) { txtYuMing_KeyPress(k); });
}

QWidget* YuMingPanel::focusBox() const
{
    return m_txtYuMing;
}

void YuMingPanel::resetPanel()
{
    m_txtYuMing->clear();
    enableUnlessRunning(m_txtYuMing);
    enableUnlessRunning(m_cmdYuMingChaXun);
    m_txtYuMingJG->setEnabled(true);
    m_txtYuMingJG->clear();
}

void YuMingPanel::cmdYuMingChaXun_Click()
{
    queryStarting(QStringLiteral("cmdYuMingChaXun_Click"));
    // The result box is disabled with the others; every way out enables the button, the input
    // and the result box in that order, after the failure box where there is one.
    BusyGuard busy(*this, { m_cmdYuMingChaXun, m_txtYuMing, m_txtYuMingJG }, BusyGuard::EnableOrder::AsListed);
    m_txtYuMingJG->clear();
    m_txtYuMingJG->setPlainText(QStringLiteral("正在查询域名信息中..."));

    const std::optional<QString> page
        = fetchPage(Service::Whois, u"/whois/" + percentEncodeUserPart(m_txtYuMing->text()));
    if (!page)
        return showLookupFailure();
    showInTextBox(m_txtYuMingJG, *page);
    m_strYuMingPage = *page;
    // The search for the reserved sentence and some 160 replacement passes each run through the
    // whole record: about a second for the largest page the fetch accepts, so they run off the UI
    // thread as the fetch does, with the window painting behind the disabled panel. Both come
    // after the box shows the page, which stays there unrewritten for a reserved domain and for
    // a rewrite that outlasts the whole-answer limit: given up as a page would be, its late
    // result dropped. Either is the lookup's failure.
    std::optional<std::optional<QString>> rewritten = runWaiting(
        [rewrite = m_rewrite, record = m_strYuMingPage,
         siteName = context().services.whoisSiteName]() mutable -> std::optional<QString> {
            if (FindLastPos(reservedSentence, record) != 0)
                return std::nullopt;
            return rewrite(std::move(record), siteName);
        },
        context().fetchLimits.totalTimeout);
    if (!rewritten || !*rewritten)
        return showLookupFailure();
    m_strYuMingPage = std::move(**rewritten);
    showInTextBox(m_txtYuMingJG, m_strYuMingPage);
}

void YuMingPanel::showLookupFailure()
{
    showFailure(QStringLiteral("在查找域名信息过程中出现错误，错误原因："), failureCauses);
}

void YuMingPanel::txtYuMing_KeyPress(int& KeyAscii)
{
    // The button is disabled while a record is being fetched; Enter must not start a second
    // fetch into the same result box.
    if (KeyAscii == KeyEnter && m_cmdYuMingChaXun->isEnabled())
        cmdYuMingChaXun_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
