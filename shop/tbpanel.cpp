#include "shop/tbpanel.h"

#include "app/messages.h"
#include "app/panellayout.h"
#include "platform/convert.h"
#include "platform/textsearch.h"
#include "shop/shoplinks.h"
#include "shop/shopscore.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

namespace {

const QString readyText = QStringLiteral("准备就绪");
constexpr QStringView notFoundText = u"没有找到相应的店铺信息";

struct FigureBox
{
    const char16_t* captionName;
    const char16_t* caption;
    const char16_t* boxName;
    const char16_t* hint;
    const char16_t* missing; // the box shown when the figure was left empty
};

// The three figures the user copies from the shop's credit page, top to bottom, which is also
// the order in which empty ones are reported. The boxes start empty and have no key handler:
// they take any text.
constexpr FigureBox FigureBoxes[] = {
    { u"Label33", u"信用：", u"Text9", u"信用低扣分，信用高加分", u"您没有填写店铺信用，无法评估！" },
    { u"Label37", u"最近半年好评：", u"Text7", u"好评低扣分，好评高加分", u"您没有填写最近半年好评，无法评估！" },
    { u"Label39", u"最近半年差评：", u"Text8", u"差评多扣分", u"您没有填写最近半年差评，无法评估！" },
};

struct CheckBoxText
{
    const char16_t* name;
    const char16_t* caption;
    const char16_t* hint;
};

// Check2 to Check9, in the order of ShopCheck.
constexpr CheckBoxText CheckBoxes[] = {
    { u"Check2", u"消费者保障服务(如交保证金请打钩)", u"不加入”消费者保障服务“扣分" },
    { u"Check3", u"违规行为(如有打钩)", u"有违规行为扣分" },
    { u"Check4", u"退款纠纷(如有打钩)", u"有退款纠纷扣分" },
    { u"Check5", u"投诉纠纷(如有打钩)", u"有投诉纠纷扣分" },
    { u"Check6", u"处罚情况(如有打钩)", u"有处罚情况扣分" },
    { u"Check7", u"宝贝与描述相符(比同行高打钩)", u"比同行低扣分" },
    { u"Check8", u"卖家服务态度(比同行高打钩)", u"卖家服务态度比同行差扣分" },
    { u"Check9", u"卖家发货速度(比同行高打钩)", u"发货速度比同行慢扣分" },
};
static_assert(std::size(CheckBoxes) == ShopCheckCount);

// Where each check box stands: the four short "如有打钩" captions in the left column, the
// longer ones in the right.
constexpr int checkColumn[ShopCheckCount] = { 1, 0, 0, 0, 0, 1, 1, 1 };
constexpr int checkRow[ShopCheckCount] = { 0, 0, 1, 2, 3, 1, 2, 3 };

const QStringList loadFailureCauses = {
    QStringLiteral("淘宝服务器繁忙或检修维护，请稍后再试！"),
    QStringLiteral("网络不稳定或繁忙，请退出占用大量网络资源的程序！"),
};

Tick tickOf(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return Tick::Yes;
    case Qt::Unchecked:
        return Tick::No;
    case Qt::PartiallyChecked:
        break;
    }
    return Tick::Dimmed;
}

} // namespace

TbPanel::TbPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmTB"), QStringLiteral("淘宝商户信用"), parent)
{
    const layout::InputRow row = layout::inputRowAt(300);
    addLabel(QStringLiteral("lblTB"), QStringLiteral("店铺名称："), row.prompt);
    m_txtTB = addLineEdit(QStringLiteral("txtTB"), row.box);
    m_cmdTBCX = addButton(QStringLiteral("cmdTBCX"), QStringLiteral("查询"), row.button);
    m_lblTBZZ = addLabel(QStringLiteral("lblTBZZ"), readyText, QRect(240, 810, 2520, 300));
    layout::setTextColour(m_lblTBZZ, layout::statusBlue);
    m_cmdTBURL = addButton(QStringLiteral("cmdTBURL"), QStringLiteral("已为您查询到信用，点击查看结果"),
                           QRect(2760, 750, 3030, 390));
    m_cmdTBURL->hide();

    addLabel(QStringLiteral("Label9"), QStringLiteral("查询后将查询结果输入在下边，然后按“开始评估”进行评估"),
             layout::lineAt(1155));
    // The figures stand two to a row, so that the report below gets the room for its longest
    // text; the assessment button takes the fourth place.
    for (qsizetype i = 0; i < std::ssize(FigureBoxes); ++i) {
        const FigureBox& figure = FigureBoxes[i];
        const int left = i % 2 == 0 ? 240 : 3000;
        const int top = 1485 + static_cast<int>(i / 2) * 360;
        addLabel(QString::fromUtf16(figure.captionName), QString::fromUtf16(figure.caption),
                 QRect(left, top + 30, 1320, 300));
        QLineEdit* box = addLineEdit(QString::fromUtf16(figure.boxName), QRect(left + 1320, top, 1320, 330));
        box->setToolTip(QString::fromUtf16(figure.hint));
        m_figureBoxes.append(box);
    }
    m_Command13 = addButton(QStringLiteral("Command13"), QStringLiteral("开始评估"), QRect(4320, 1830, 1470, 375));

    for (int check = 0; check < ShopCheckCount; ++check) {
        const CheckBoxText& text = CheckBoxes[check];
        const int top = 2220 + checkRow[check] * 255;
        const QRect place = checkColumn[check] == 0 ? QRect(240, top, 2280, 255) : QRect(2520, top, 3270, 255);
        QCheckBox* box = addCheckBox(QString::fromUtf16(text.name), QString::fromUtf16(text.caption), place);
        box->setToolTip(QString::fromUtf16(text.hint));
        m_checks.append(box);
    }

    // The report's caption stands upright beside it, one character a line, so that the report
    // takes nearly the panel's whole width.
    QLabel* reportCaption
        = addLabel(QStringLiteral("Label38"), QStringLiteral("专    家    建    议"), QRect(240, 3300, 270, 1455));
    reportCaption->setWordWrap(true);
    reportCaption->setAlignment(Qt::AlignCenter);
    m_Text10 = addTextBox(QStringLiteral("Text10"), QRect(570, 3270, 5220, 1515), QStringLiteral("暂无建议.\r\n"));

    connect(m_cmdTBCX, &QPushButton::clicked, this, [this] { cmdTBCX_Click(); });
    connect(m_cmdTBURL, &QPushButton::clicked, this, [this] { cmdTBURL_Click(); });
    connect(m_Command13, &QPushButton::clicked, this, [this] { Command13_Click(); });
    connect(m_WebTB, &PageLoader::documentComplete, this, [this] { WebTB_DocumentComplete(); });
    attachKeyHandler(m_txtTB, [this](int& k) { txtTB_KeyPress(k); });
}

void TbPanel::cmdTBCX_Click()
{
    queryStarting(QStringLiteral("cmdTBCX_Click"));
    QString name = m_txtTB->text();
    name.remove(u'.');
    name.remove(u' ');
    m_txtTB->setText(name);

    // Every search starts from the results page, whatever an earlier one left behind.
    strTBURL.clear();
    lngTBStage = 0;
    m_cmdTBURL->hide();
    m_lblTBZZ->setText(QStringLiteral("正在淘宝服务器上搜索该店铺..."));
    bTBPending.arm({ m_cmdTBCX, m_txtTB },
                   context().services[Service::ShopSearch].url(u"/browse/shop_search.htm?q="
                                                               + percentEncodeUserPart(name)
                                                               + u"&title=title&nick=nick&tab=3&s=0"));
}

void TbPanel::WebTB_DocumentComplete()
{
    std::unique_ptr<BusyGuard> busy = bTBPending.take();
    if (!busy)
        return;
    // A results page that already offered a credit page keeps it, whatever the shop page does.
    const bool offered = isCreditLink(strTBURL);
    if (m_WebTB->loadFailed()) {
        if (!offered)
            searchFailed(*busy);
        return;
    }

    const QStringList links = m_WebTB->links();
    std::optional<QString> shopLink;
    if (lngTBStage == 0) {
        // The platform's own "no such shop" is believed before any shop link on the same page.
        if (FindLastPos(notFoundText, m_WebTB->innerText()) != 0)
            return noSuchShop(*busy);
        shopLink = shopLinkOf(links);
        if (shopLink)
            strTBURL = *shopLink;
        lngTBStage = 1;
    }

    // Stage 1, on the results page as well as on the shop's own page: the credit link offered
    // last is the one that stays.
    if (const std::optional<QString> credit = creditLinkOf(links))
        offerCreditPage(*busy, *credit);
    else if (!offered && !shopLink)
        return noSuchShop(*busy);

    // The flag waits for the shop page; its guard may have ended already, when this page
    // offered a credit link and gave the panel back.
    if (shopLink)
        bTBPending.armAgain(std::move(busy), *shopLink);
}

void TbPanel::offerCreditPage(BusyGuard& busy, const QString& link)
{
    strTBURL = link;
    m_cmdTBURL->show();
    busy.end();
    m_cmdTBURL->setEnabled(true);
    m_lblTBZZ->setText(readyText);
}

void TbPanel::noSuchShop(BusyGuard& busy)
{
    showBox(MsgCritical, QStringLiteral("错误"), { QStringLiteral("没有找到相应的店铺信息!") });
    busy.end();
    m_lblTBZZ->setText(readyText);
}

void TbPanel::searchFailed(BusyGuard& busy)
{
    busy.end();
    m_lblTBZZ->setText(QStringLiteral("出现错误"));
    showFailure(QStringLiteral("出现错误！错误原因："), loadFailureCauses);
}

void TbPanel::cmdTBURL_Click()
{
    m_cmdTBURL->setEnabled(false);
    if (isCreditLink(strTBURL))
        context().shell->open(window(), strTBURL);
}

void TbPanel::Command13_Click()
{
    queryStarting(QStringLiteral("Command13_Click"));
    for (qsizetype i = 0; i < m_figureBoxes.size(); ++i) {
        if (m_figureBoxes[i]->text().isEmpty())
            return showBox(MsgCritical, appTitle(), { QString::fromUtf16(FigureBoxes[i].missing) });
    }
    ShopFigures figures;
    figures.credit = leadingNumber(m_figureBoxes[0]->text());
    figures.goodRatings = leadingNumber(m_figureBoxes[1]->text());
    figures.badRatings = leadingNumber(m_figureBoxes[2]->text());
    for (int check = 0; check < ShopCheckCount; ++check)
        figures.checks[check] = tickOf(m_checks[check]);
    m_Text10->setPlainText(scoreShop(figures).report);
}

void TbPanel::txtTB_KeyPress(int& KeyAscii)
{
    // A shop name may hold any character, so nothing is refused. The button stays disabled
    // while a search is under way; Enter must not start a second one.
    if (KeyAscii == KeyEnter && m_cmdTBCX->isEnabled())
        cmdTBCX_Click();
}

} // namespace veldrin
