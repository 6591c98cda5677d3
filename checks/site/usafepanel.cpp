#include "checks/site/usafepanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "checks/site/verdictbadge.h"
#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// Sentences that end the check with their verdict; the one written earliest in the page wins.
constexpr QStringView safeSentence = u"安全，未在该网站发现重大的安全问题。";
constexpr QStringView noResultSentence = u"没有任何结果";
constexpr QStringView notRatedSentence = u"未知，还未对此网站进行检测";
// Marks the site unsafe unless one of those follows; the categories named are then ticked.
constexpr QStringView unsafeSentence = u"不安全，该网站存在恶意行为，不建议进行访问。";

// The behaviour section runs from its marker, kept, to just before the last details marker.
constexpr QStringView behaviourMarker = u"恶意行为：";
constexpr Cut behaviourSection { behaviourMarker, -behaviourMarker.size(), u"恶意行为详情", 0 };

struct Category
{
    const char16_t* name;
    const char16_t* hint;
};
constexpr std::array<Category, 6> categories = { {
    { u"带毒挂马", u"网站本身含有或被插入恶意代码，用户访问就会中毒" },
    { u"钓鱼或诈骗", u"伪装成知名网站或制造假网站，骗取用户帐号信息、钱财等" },
    { u"恶意推广", u"通过病毒、流氓软件、垃圾邮件等方式把自己设为主页、弹出窗口、骗取用户点击" },
    { u"不安全下载", u"通过该网站下载的文件含有病毒、流氓软件等不安全的程序" },
    { u"大量弹窗", u"该网站不断弹出无法关闭的窗口" },
    { u"诱导链接", u"该网站上有明显的指向其他不安全站点的链接，诱使用户点击" },
} };

constexpr QStringView stateMarker = u"当前状态：";

// Both checks report a failure with this box; its first cause has no number.
const QStringList failureLines = {
    QStringLiteral("出现错误！错误原因："),
    QStringLiteral("IE损坏，请重新安装IE6.0以上版本！"),
    QStringLiteral("2.服务器繁忙或维护检修，请稍后再试！"),
    QStringLiteral("3.网络繁忙不稳定，请退出大量占用网络资源的程序！"),
};

QLabel* badge(QWidget* panel, const QString& name, const QPixmap& picture)
{
    auto* label = layout::place(new QLabel(panel), name, QRect(240, 1500, 1230, 1590));
    label->setPixmap(picture);
    label->hide();
    return label;
}

} // namespace

std::optional<QString> malwareStateLine(const QString& page)
{
    const qsizetype start = FindLastPos(stateMarker, page);
    if (start == 0)
        return std::nullopt;
    const qsizetype blank = findFrom(u" ", page, start);
    return cutText(page, start, blank > 0 ? blank : page.size() + 1);
}

USafePanel::USafePanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmUSafe"), QStringLiteral("网址安全检查"), parent)
    , m_webUS(addPageLoader(QStringLiteral("WebUS")))
    , m_bUSPending(*this, *m_webUS)
{
    addLabel(QStringLiteral("Label13"), QStringLiteral("网址安全情况检查："), layout::lineAt(360));
    const layout::InputRow safety = layout::inputRowAt(720);
    addLabel(QStringLiteral("Label14"), QStringLiteral("网址："), safety.prompt);
    m_txtUS = addLineEdit(QStringLiteral("txtUS"), safety.box);
    m_txtUS->setToolTip(QStringLiteral("输入网址查询其安全性"));
    m_cmdUS = addButton(QStringLiteral("cmdUS"), QStringLiteral("测试"), safety.button);
    m_lblUS = addLabel(QStringLiteral("lblUS"), QStringLiteral("准备就绪"), layout::lineAt(1170));

    // The three verdicts stand at one place; a check shows at most one of them.
    m_imgSafe = badge(this, QStringLiteral("imgSafe"),
                      verdictBadge(QColor(0x2e, 0xa0, 0x43), BadgeMark::Tick, QStringLiteral("安全")));
    m_imgNoSafe = badge(this, QStringLiteral("imgNoSafe"),
                        verdictBadge(QColor(0xd0, 0x2a, 0x2a), BadgeMark::Cross, QStringLiteral("不安全")));
    m_imgNoKnow = badge(this, QStringLiteral("imgNoKnow"),
                        verdictBadge(QColor(0x8c, 0x8c, 0x8c), BadgeMark::Question, QStringLiteral("未知")));

    auto* frmUS = layout::place(new QGroupBox(QStringLiteral("恶意行为"), this), QStringLiteral("frmUS"),
                                QRect(1620, 1500, 4170, 1590));
    for (std::size_t i = 0; i < categories.size(); ++i) {
        const int column = static_cast<int>(i % 2);
        const int line = static_cast<int>(i / 2);
        auto* box
            = layout::place(new QCheckBox(QString::fromUtf16(categories[i].name), frmUS),
                            u"chkUS" + QString::number(i + 1), QRect(180 + column * 2040, 330 + line * 390, 1890, 300));
        box->setToolTip(QString::fromUtf16(categories[i].hint));
        m_chkUS[i] = box;
    }

    addLabel(QStringLiteral("Label34"), QStringLiteral("网页挂马查询："), layout::lineAt(3180));
    const layout::InputRow malware = layout::inputRowAt(3540);
    addLabel(QStringLiteral("Label35"), QStringLiteral("网址："), malware.prompt);
    m_txtGM = addLineEdit(QStringLiteral("txtGM"), malware.box);
    m_txtGM->setToolTip(QStringLiteral("输入网址，查询其安全性，可输入详细页面"));
    m_cmdGMCX = addButton(QStringLiteral("cmdGMCX"), QStringLiteral("测试"), malware.button);
    m_Label36 = addLabel(QStringLiteral("Label36"), QStringLiteral("当前状态：未知"), layout::lineAt(4080));
    m_Label36->setTextFormat(Qt::PlainText);

    connect(m_cmdUS, &QPushButton::clicked, this, [this] { cmdUS_Click(); });
    connect(m_cmdGMCX, &QPushButton::clicked, this, [this] { cmdGMCX_Click(); });
    attachKeyHandler(m_txtUS, [this](int& k) { txtUS_KeyPress(k); });
    attachKeyHandler(m_txtGM, [this](int& k) { txtGM_KeyPress(k); });
    connect(m_webUS, &PageLoader::progressChange, this,
            [this](int progress, int progressMax) { WebUS_ProgressChange(progress, progressMax); });
    connect(m_webUS, &PageLoader::documentComplete, this, [this] { WebUS_DocumentComplete(); });
}

QWidget* USafePanel::focusBox() const
{
    return m_txtUS;
}

void USafePanel::cmdUS_Click()
{
    queryStarting(QStringLiteral("cmdUS_Click"));
    if (m_txtUS->text().size() <= 4) {
        showBox(MsgExclamation, QStringLiteral("错误"), { QStringLiteral("请输入完整正确的网址！") });
        m_txtUS->setFocus();
        return;
    }
    for (QCheckBox* box : m_chkUS)
        box->setChecked(false);
    for (QLabel* picture : { m_imgNoSafe, m_imgNoKnow, m_imgSafe })
        picture->hide();
    m_lblUS->setText(QStringLiteral("正在分析网址..."));

    // The service wants the bare address: the box shows what is sent.
    QString strUSURL = m_txtUS->text();
    if (strUSURL.startsWith(u"http://")) {
        strUSURL.remove(0, 7);
        m_txtUS->setText(strUSURL);
    }
    if (strUSURL.endsWith(u'/')) {
        strUSURL.chop(1);
        m_txtUS->setText(strUSURL);
    }
    m_lblUS->setText(QStringLiteral("正在连接服务器..."));
    m_bUSPending.arm(
        { m_cmdUS, m_txtUS },
        context().services[Service::UrlReputationA].url(u"/aspx_2/search.aspx?kw=" + percentEncodeUserPart(strUSURL)));
}

// Written on every event that carries a maximum, pending or not; a loader's closing event
// carries none, so a finished check keeps its last status.
void USafePanel::WebUS_ProgressChange(int, int progressMax)
{
    if (progressMax != 0)
        m_lblUS->setText(QStringLiteral("正在查询网站安全信息..."));
}

void USafePanel::WebUS_DocumentComplete()
{
    auto busy = m_bUSPending.take();
    if (!busy)
        return;
    m_lblUS->setText(QStringLiteral("正在分析网址安全信息..."));
    // A page that could not be had is no verdict: it is the failure path.
    if (m_webUS->loadFailed())
        return showCheckFailure(std::move(busy));
    const QString strPage = m_webUS->innerText();

    const std::optional<PhraseHit> ending = findEarliest(strPage, { safeSentence, noResultSentence, notRatedSentence });
    if (ending) {
        // An unsafe sentence before it gives way, and the categories are not looked at.
        showVerdict(ending->index == 0 ? Verdict::Safe : Verdict::NotRated);
    } else {
        if (findFrom(unsafeSentence, strPage) > 0)
            showVerdict(Verdict::Unsafe);
        if (FindLastPos(behaviourMarker, strPage) > 0) {
            const std::optional<QString> section = cut(strPage, behaviourSection);
            if (!section)
                return showCheckFailure(std::move(busy));
            for (std::size_t i = 0; i < categories.size(); ++i) {
                if (section->contains(QStringView(categories[i].name)))
                    m_chkUS[i]->setChecked(true);
            }
        }
    }
    busy.reset();
    m_lblUS->setText(QStringLiteral("查询完毕"));
}

void USafePanel::showVerdict(Verdict verdict)
{
    m_imgSafe->setVisible(verdict == Verdict::Safe);
    m_imgNoSafe->setVisible(verdict == Verdict::Unsafe);
    m_imgNoKnow->setVisible(verdict == Verdict::NotRated);
}

// The panel part is enabled before the box.
void USafePanel::showCheckFailure(std::unique_ptr<BusyGuard> busy)
{
    showVerdict(Verdict::NotRated);
    busy.reset();
    m_lblUS->setText(QStringLiteral("出错了"));
    showBox(MsgCritical, QStringLiteral("错误"), failureLines);
}

void USafePanel::cmdGMCX_Click()
{
    queryStarting(QStringLiteral("cmdGMCX_Click"));
    BusyGuard busy(*this, { m_cmdGMCX, m_txtGM });
    m_Label36->setText(QStringLiteral("当前状态：查询中..."));
    const std::optional<QString> page
        = fetchPage(Service::UrlReputationB, u"/urlsearch.htm?searchUrl=" + percentEncodeUserPart(m_txtGM->text()));
    const std::optional<QString> state = page ? malwareStateLine(*page) : std::nullopt;
    if (!state) {
        m_Label36->setText(QStringLiteral("当前状态：出错了"));
        busy.end();
        return showBox(MsgCritical, QStringLiteral("错误"), failureLines);
    }
    showInLabel(m_Label36, *state);
}

void USafePanel::txtUS_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdUS_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

void USafePanel::txtGM_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdGMCX_Click();
    refuseListed(KeyAscii, RefusedList::Common);
}

} // namespace veldrin
