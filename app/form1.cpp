#include "app/form1.h"

#include "app/panellayout.h"
#include "app/picturebutton.h"
#include "app/pictures.h"
#include "app/toolpanel.h"
#include "app/waitinput.h"
#include "checks/person/mxpanel.h"
#include "checks/person/qqpanel.h"
#include "checks/person/shenfenzhengpanel.h"
#include "checks/person/shoujipanel.h"
#include "checks/person/telwzpanel.h"
#include "checks/site/gongshangpanel.h"
#include "checks/site/icppanel.h"
#include "checks/site/ippanel.h"
#include "checks/site/liuxingpanel.h"
#include "checks/site/renqipanel.h"
#include "checks/site/slpanel.h"
#include "checks/site/usafepanel.h"
#include "checks/site/yumingpanel.h"
#include "checks/site/zhujipanel.h"
#include "shop/tbpanel.h"
#include "windows/form2.h"
#include "windows/form5.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QVBoxLayout>

namespace veldrin {

namespace {

// The three group buttons: which group frame each opens and where it leaves the two movable
// buttons. Each movable button takes its upper place when its own group or a later one is
// open, so the open group's frame always lies between its button and the next.
struct GroupButton
{
    const char16_t* name;
    const char16_t* caption;
    const char16_t* toolTip;
    int top; // in the group column
    void (Form1::*handler)();
    int zhongJiTop;
    int gaojiTop;
};

constexpr GroupButton groupButtons[] = {
    { u"cmdChuJi", u"初级鉴别", u"六种最基本的查询鉴别方法", 60, &Form1::cmdChuJi_Click, 5160, 5580 },
    { u"cmdZhongJi", u"中级鉴别", u"六种中级鉴别方法，查询网站主机、人气、流行度以及QQ和明星的情况", 5160,
      &Form1::cmdZhongJi_Click, 480, 5580 },
    { u"cmdGaoji", u"高级鉴别", u"五种高级鉴别方法", 5580, &Form1::cmdGaoji_Click, 480, 900 },
};

// The tool buttons of the three groups, top to bottom within each group frame.
struct ToolButton
{
    int group;
    int top;
    const char16_t* name;
    const char16_t* caption;
    const char16_t* toolTip;
    const char16_t* picture; // app/pictures/<picture>.svg
    void (Form1::*handler)();
    int height = 495;
};

const ToolButton toolButtons[] = {
    { 0, 240, u"cmdShouJi", u"手机归属查询", u"根据对方的手机号码查询对方所在地", u"phone", &Form1::cmdShouJi_Click },
    { 0, 840, u"cmdIP", u"IP地址查询", u"根据IP查询对方的地址。", u"globe", &Form1::cmdIP_Click },
    { 0, 1440, u"cmdShenFenZheng", u"身份证校验", u"根据对方的身份证查询对方的地址并判断身份", u"idcard",
      &Form1::cmdShenFenZheng_Click },
    { 0, 2040, u"cmdYuMing", u"域名信息查询",
      u"查询网站注册时间、地点、联系人、联系电话等信息、骗子网站一般都是注册时间距现在很近", u"domain",
      &Form1::cmdYuMing_Click },
    { 0, 2640, u"mnuFileSafe", u"文件安全检查", u"根据文件利用37种杀毒软件进行查毒并判断其安全性", u"filecheck",
      &Form1::mnuFileSafe_Click },
    { 0, 3240, u"Command11", u"邮编查询", u"根据地名查询当地的邮政编码", u"postcode", &Form1::Command11_Click },
    { 1, 240, u"cmdZhuJi", u"主机地址所在地", u"查询网站主机所在地", u"server", &Form1::cmdZhuJi_Click },
    { 1, 840, u"cmdPaiming", u"网站人气排名", u"查询网站人气、骗子网站人气不高", u"ranking", &Form1::cmdPaiming_Click },
    { 1, 1440, u"cmdLiuXing", u"网站流行度查询", u"查询网站网上流行度、骗子网站流行度不高", u"popularity",
      &Form1::cmdLiuXing_Click },
    { 1, 2040, u"Command3", u"网站主机数量", u"查询网站的主机数量，骗子网站一般是采用虚拟主机，只有一个主机地址",
      u"hosts", &Form1::Command3_Click },
    { 1, 2640, u"Command8", u"QQ在线查询", u"根据对方的QQ号码查询对方是否在线", u"messenger", &Form1::Command8_Click },
    { 1, 3240, u"Command12", u"明星知名度", u"根据明星的名字查询其在网上的知名度", u"star", &Form1::Command12_Click },
    { 2, 240, u"cmdICP", u"ICP证书", u"根据对方域名查询ICP证书", u"certificate", &Form1::cmdICP_Click },
    { 2, 840, u"cmdGongShang", u"工商信息", u"根据公司名称进行企业执照查询和企业信用查询", u"registry",
      &Form1::cmdGongShang_Click },
    { 2, 1380, u"cmdEmail", u"Email所在地、电话具体位置",
      u"根据对方发来的电子邮件获得对方的具体地址、根据固定电话查询对方所在地的具体位置、标志性建筑", u"emailphone",
      &Form1::cmdEmail_Click, 615 },
    { 2, 2040, u"cmdSafe", u"网址安全检查", u"根据对方网址查询安全性，恶意网址库随时更新", u"urlsafety",
      &Form1::cmdSafe_Click },
    { 2, 2640, u"Command7", u"淘宝店铺信用", u"根据店铺名称查询淘宝店铺的信用并判断其是否可信", u"shop",
      &Form1::Command7_Click },
};

QFrame* makeFrame(const QString& name, QWidget* parent, QRect twips)
{
    auto* frame = layout::place(new QFrame(parent), name, twips);
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

// A push button whose caption wraps onto more lines when one is not wide enough. Such a caption
// breaks after its "、", not inside a word, and keeps a little padding inside the button. The
// caption itself is unchanged.
class WrappingButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        constexpr int padding = 3;
        const QRect textArea
            = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(padding, 0, -padding, 0);
        QString shown = text();
        if (fontMetrics().horizontalAdvance(shown) > textArea.width())
            shown.replace(u'、', QStringLiteral("、\n"));
        painter.drawItemText(textArea, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), shown,
                             QPalette::ButtonText);
    }
};

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent, QRect twips)
{
    auto* button = layout::place(new WrappingButton(caption, parent), name, twips);
    button->setAutoDefault(false);
    return button;
}

} // namespace

Form1::Form1(Context& context, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Veldrin 4.01"));
    // A fixed border: minimise and close, no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    buildFrame();
    buildPanels();
    buildContacts();
    buildMenus();

    // The window takes exactly the size of its menu bar and client area and cannot be resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Form_Load();
}

// The update and About windows have no owner; they end with the main window.
Form1::~Form1()
{
    delete m_form5.data();
    delete m_form2.data();
}

void Form1::buildFrame()
{
    // The client area: as wide as frmMain and as deep as its lower edge (frmMain starts
    // slightly above the client area's top).
    auto* client = new QWidget;
    client->setFixedSize(twipsToPixels(8535), twipsToPixels(-45 + 6180));
    // A few pixels between the window's edges and the controls at frmMain's edges.
    auto* margin = new QWidget(this);
    auto* marginLayout = new QVBoxLayout(margin);
    constexpr int edge = 6;
    marginLayout->setContentsMargins(edge, edge, edge, edge);
    marginLayout->addWidget(client);
    setCentralWidget(margin);

    frmMain = makeFrame(QStringLiteral("frmMain"), client, QRect(0, -45, 8535, 6180));

    // Directly on the window and outside its visible area: the focus sink, so that no visible
    // control shows a caret after activation.
    Text5 = layout::place(new QLineEdit(client), QStringLiteral("Text5"), QRect(0, -16680, 180, 375));
    // Hidden, and never written: the text the server host list removes from its result.
    auto* Text6 = layout::place(new QLineEdit(hostListRemovedText.toString(), client), QStringLiteral("Text6"),
                                QRect(0, -16680, 180, 375));
    Text6->hide();

    // The group column first, the group frames after it, so the frames lie above the column.
    frmJianBie = makeFrame(QStringLiteral("frmJianBie"), frmMain, QRect(120, 120, 2055, 6075));
    frmChuJi = makeFrame(QStringLiteral("frmChuJi"), frmMain, QRect(120, 600, 2055, 4575));
    frmZhongJi = makeFrame(QStringLiteral("frmZhongJi"), frmMain, QRect(120, 1080, 2055, 4095));
    frmGaoji = makeFrame(QStringLiteral("frmGaoji"), frmMain, QRect(120, 1680, 2055, 3495));
    QFrame* groupFrames[] = { frmChuJi, frmZhongJi, frmGaoji };

    QPushButton* groups[std::size(groupButtons)] = {};
    for (std::size_t i = 0; i < std::size(groupButtons); ++i) {
        const GroupButton& row = groupButtons[i];
        groups[i] = makeButton(QString::fromUtf16(row.name), QString::fromUtf16(row.caption), frmJianBie,
                               QRect(0, row.top, 2055, 435));
        groups[i]->setToolTip(QString::fromUtf16(row.toolTip));
        connect(groups[i], &QPushButton::clicked, this, row.handler);
    }
    cmdChuJi = groups[0];
    cmdZhongJi = groups[1];
    cmdGaoji = groups[2];

    for (const ToolButton& row : toolButtons) {
        auto* button
            = layout::place(new PictureButton(QString::fromUtf16(row.caption), picture(QString::fromUtf16(row.picture)),
                                              groupFrames[row.group]),
                            QString::fromUtf16(row.name), QRect(240, row.top, 1455, row.height));
        button->setAutoDefault(false);
        button->setToolTip(QString::fromUtf16(row.toolTip));
        connect(button, &QPushButton::clicked, this, row.handler);
    }

    Picture1 = makeFrame(QStringLiteral("Picture1"), frmMain, QRect(2400, 1680, 5775, 1215));
    Label11 = layout::place(
        new QLabel(QStringLiteral("本软件开发组在分析了数万则网上受骗的案例后，总结出了一整套Veldrin方法，"
                                  "经过整理后开发了此防骗工具，适用于："),
                   Picture1),
        QStringLiteral("Label11"), QRect(360, 240, 5055, 495));
    Label11->setWordWrap(true);
    // Two lines of this text fit the label's height only in a slightly smaller type.
    QFont introFont = Label11->font();
    introFont.setPixelSize(11);
    Label11->setFont(introFont);
    layout::setTextColour(Label11, QColor(0, 128, 0));
    Label12 = layout::place(new QLabel(QStringLiteral("网络交易、交友、聊天、安全等"), Picture1),
                            QStringLiteral("Label12"), QRect(1680, 840, 2520, 255));
    layout::setTextColour(Label12, QColor(192, 0, 0));

    Command2 = makeButton(QStringLiteral("Command2"), QStringLiteral("退出"), frmMain, QRect(7560, 5340, 975, 315));
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    // Ends the program at once, even while a lookup waits.
    markWayOut(Command2);

    Check1 = layout::place(new QCheckBox(QStringLiteral("本窗口总在最前面"), frmMain), QStringLiteral("Check1"),
                           QRect(2760, 5880, 1815, 255));
    connect(Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
}

void Form1::buildPanels()
{
    m_telWz = new TelWzPanel(m_context, frmMain);
    m_shouJi = new ShouJiPanel(m_context, frmMain);
    m_ip = new IpPanel(m_context, frmMain);
    m_shenFenZheng = new ShenFenZhengPanel(m_context, frmMain);
    m_zhuJi = new ZhuJiPanel(m_context, frmMain);
    m_renQi = new RenQiPanel(m_context, frmMain);
    m_liuXing = new LiuXingPanel(m_context, frmMain);
    m_icp = new IcpPanel(m_context, frmMain);
    m_mx = new MxPanel(m_context, frmMain);
    m_qq = new QqPanel(m_context, frmMain);
    m_uSafe = new USafePanel(m_context, frmMain);
    m_tb = new TbPanel(m_context, frmMain);
    m_gongShang = new GongShangPanel(m_context, frmMain);
    m_sl = new SlPanel(m_context, frmMain);
    m_yuMing = new YuMingPanel(m_context, frmMain);
    // In the order the load step gives them their frame style.
    m_panels = { m_telWz, m_shouJi, m_ip,    m_shenFenZheng, m_zhuJi,     m_renQi, m_liuXing, m_icp,
                 m_mx,    m_qq,     m_uSafe, m_tb,           m_gongShang, m_sl,    m_yuMing };
    for (ToolPanel* panel : std::as_const(m_panels)) {
        panel->setGeometry(twipsRect(2280, 240, 6015, 4815));
        panel->hide();
    }
}

// Group buttons: the open group's frame, the two movable buttons' places, the intro panel.
void Form1::openGroup(Group group)
{
    const GroupButton& row = groupButtons[group];
    frmChuJi->setVisible(group == Basic);
    frmZhongJi->setVisible(group == Intermediate);
    frmGaoji->setVisible(group == Advanced);
    cmdZhongJi->move(0, twipsToPixels(row.zhongJiTop));
    cmdGaoji->move(0, twipsToPixels(row.gaojiTop));
    for (ToolPanel* panel : std::as_const(m_panels))
        panel->hide();
    Picture1->show();
}

void Form1::cmdChuJi_Click()
{
    openGroup(Basic);
}

void Form1::cmdZhongJi_Click()
{
    openGroup(Intermediate);
}

void Form1::cmdGaoji_Click()
{
    openGroup(Advanced);
}

// Tool buttons: reset the lookup panels, show only this one, then move the focus into its box
// (last: a box takes the focus only once its panel is visible). A box that a running lookup
// keeps disabled cannot take the focus; the focus then stays where it was.
void Form1::showToolPanel(ToolPanel* panel)
{
    ResetAllPanels();
    Picture1->hide();
    for (ToolPanel* other : std::as_const(m_panels)) {
        if (other != panel)
            other->hide();
    }
    panel->show();
    if (QWidget* box = panel->focusBox(); box != nullptr && box->isEnabled())
        box->setFocus(Qt::OtherFocusReason);
}

void Form1::cmdShouJi_Click()
{
    showToolPanel(m_shouJi);
}

void Form1::cmdIP_Click()
{
    showToolPanel(m_ip);
}

void Form1::cmdShenFenZheng_Click()
{
    showToolPanel(m_shenFenZheng);
}

void Form1::cmdYuMing_Click()
{
    showToolPanel(m_yuMing);
}

void Form1::cmdZhuJi_Click()
{
    showToolPanel(m_zhuJi);
}

void Form1::cmdPaiming_Click()
{
    showToolPanel(m_renQi);
}

void Form1::cmdLiuXing_Click()
{
    showToolPanel(m_liuXing);
}

void Form1::Command3_Click()
{
    showToolPanel(m_sl);
}

void Form1::Command8_Click()
{
    showToolPanel(m_qq);
}

void Form1::Command12_Click()
{
    showToolPanel(m_mx);
}

void Form1::cmdICP_Click()
{
    showToolPanel(m_icp);
}

void Form1::cmdGongShang_Click()
{
    showToolPanel(m_gongShang);
}

void Form1::cmdEmail_Click()
{
    showToolPanel(m_telWz);
}

void Form1::cmdSafe_Click()
{
    showToolPanel(m_uSafe);
}

void Form1::Command7_Click()
{
    showToolPanel(m_tb);
}

// Back to the idle look of the nine lookup panels; the six others keep what they show.
void Form1::ResetAllPanels()
{
    ToolPanel* const order[] = { m_ip, m_shouJi, m_liuXing, m_sl, m_renQi, m_zhuJi, m_telWz, m_yuMing, m_shenFenZheng };
    for (ToolPanel* panel : order)
        panel->resetPanel();
}

} // namespace veldrin
