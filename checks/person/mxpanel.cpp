#include "checks/person/mxpanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"
#include "platform/convert.h"
#include "platform/textsearch.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veldrin {

namespace {

// The four indicators with their idle captions, top to bottom as the page gives them; the
// query brings these back.
constexpr NamedText IndicatorLabels[] = {
    { u"lblMX4", u"局限性人气指标：" },
    { u"lblMX3", u"广泛性人气指标：" },
    { u"lblMX2", u"流行趋势硬指标：" },
    { u"lblMX5", u"流行趋势总指标：" },
};
enum Indicator
{
    Topics,
    Posts,
    Trend,
    Fans
};

const QString IdleStatus = QStringLiteral("准备就绪");

constexpr QStringView postsEnd = u"篇，";
constexpr Cut topicsCut { u"共有主题数", 0, u"个，贴子数", 0 };
constexpr Cut postsCut { u"个，贴子数", 0, postsEnd, 0 };
constexpr QStringView fansMarker = u"本吧粉丝：";

// Cut from the fan count's caption, in this order.
constexpr QStringView fanClutter[] = { u"取消", u"查看本吧最新动态", u" " };

// From the 1-based `from` to the end of its line, the line's last character left out. The
// page's last line has no line break after it and ends at the end of the text.
std::optional<QString> restOfLine(const QString& text, qsizetype from)
{
    const qsizetype lineBreak = findFrom(u"\r", text, from);
    const qsizetype end = lineBreak != 0 ? lineBreak : text.size() + 1;
    return cutText(text, from, end - 1);
}

} // namespace

MxPanel::MxPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmMX"), QStringLiteral("明星知名度查询"), parent)
{
    const QFont yaHei(QStringLiteral("微软雅黑"));
    const layout::InputRow row = layout::inputRowAt(420);
    addLabel(QStringLiteral("lblMXName"), QStringLiteral("明星姓名："), row.prompt);
    m_txtMXName = addLineEdit(QStringLiteral("txtMXName"), row.box);
    m_txtMXName->setFont(yaHei);
    m_cmdMXCX = addButton(QStringLiteral("cmdMXCX"), QStringLiteral("查询"), row.button);
    m_cmdMXCX->setFont(yaHei);

    m_indicators = addLabelColumn(IndicatorLabels, 1140);
    for (QLabel* label : m_indicators)
        label->setTextFormat(Qt::PlainText);
    m_lblMX6 = addLabel(QStringLiteral("lblMX6"), IdleStatus, layout::lineAt(4320));

    connect(m_cmdMXCX, &QPushButton::clicked, this, [this] { cmdMXCX_Click(); });
    // The name box has no key handler and refuses nothing. Enter in it acts like the window's
    // default button: it runs the query, but only while the button itself could be pressed.
    connect(m_txtMXName, &QLineEdit::returnPressed, this, [this] {
        if (m_cmdMXCX->isEnabled())
            cmdMXCX_Click();
    });
    connect(m_WebMX, &PageLoader::documentComplete, this, [this] { WebMX_DocumentComplete(); });
}

void MxPanel::cmdMXCX_Click()
{
    queryStarting(QStringLiteral("cmdMXCX_Click"));
    m_lblMX6->setText(QStringLiteral("正在连接服务器..."));
    restoreCaptions(m_indicators, IndicatorLabels);
    // Any name is sent, an empty one included; the forum's answer decides what is shown.
    bMXPending.arm({ m_cmdMXCX, m_txtMXName },
                   context().services[Service::Forum].url(u"/f?kw=" + percentEncodeUserPart(m_txtMXName->text())));
}

void MxPanel::WebMX_DocumentComplete()
{
    std::unique_ptr<BusyGuard> busy = bMXPending.take();
    if (!busy)
        return;
    m_lblMX6->setText(QStringLiteral("正在评估明星信息..."));

    // Every box comes over the disabled panel; the guard enables it once the status is idle.
    if (m_WebMX->loadFailed()) {
        showNoResult();
    } else {
        m_strMXPage = m_WebMX->innerText();
        if (m_strMXPage.contains(u"抱歉，根据相关法律法规和政策，本吧暂不开放。"))
            showBox(MsgCritical, QStringLiteral("错误"),
                    { QStringLiteral("抱歉，根据相关法律法规和政策，本明星信息暂不开放。") });
        else if (m_strMXPage.contains(u"吧尚未建立"))
            showBox(MsgCritical, QStringLiteral("错误"), { QStringLiteral("此明星知名度过低或根本不存在！") });
        else if (!showIndicators())
            showNoResult();
    }
    m_lblMX6->setText(IdleStatus);
}

bool MxPanel::showIndicators()
{
    const QString& page = m_strMXPage;
    const auto captionOf = [](Indicator row, const QString& value) -> QString {
        return QString::fromUtf16(IndicatorLabels[row].text) + value + u'#';
    };
    const auto show = [this, &captionOf](Indicator row, const QString& value) {
        showInLabel(m_indicators[row], captionOf(row, value));
    };

    const std::optional<QString> topics = cut(page, topicsCut);
    if (!topics)
        return false;
    show(Topics, *topics);

    const std::optional<QString> posts = cut(page, postsCut);
    if (!posts)
        return false;
    show(Posts, *posts);

    // The third count runs from just after the first "数" that follows the last "篇，".
    const qsizetype count = findFrom(u"数", page, FindLastPos(postsEnd, page) + postsEnd.size());
    const std::optional<QString> trend = count != 0 ? restOfLine(page, count + 1) : std::nullopt;
    if (!trend)
        return false;
    show(Trend, *trend);

    const qsizetype fans = FindLastPos(fansMarker, page);
    const std::optional<QString> fanCount = fans != 0 ? restOfLine(page, fans + fansMarker.size()) : std::nullopt;
    if (!fanCount)
        return false;
    // Cleaned whole before it is shown: the label shows only the start of a long value.
    QString caption = captionOf(Fans, *fanCount);
    for (QStringView clutter : fanClutter)
        caption.remove(clutter.toString());
    showInLabel(m_indicators[Fans], caption);
    return true;
}

void MxPanel::showNoResult()
{
    showBox(MsgCritical, QStringLiteral("错误"),
            { QStringLiteral("没有查询到结果，可能由于服务器问题或网络问题，请稍后重试！") });
}

} // namespace veldrin
