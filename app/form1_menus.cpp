#include "app/form1.h"
#include "app/toolpanel.h"
#include "app/waitinput.h"
#include "windows/form2.h"
#include "windows/form5.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <span>

namespace veldrin {

namespace {

// The report menu: each item opens one page of the reporting centre.
struct ReportItem
{
    const char16_t* name;
    const char16_t* caption;
    const char16_t* path;
};

struct ReportMenu
{
    const char16_t* name;
    const char16_t* caption;
    std::span<const ReportItem> items;
};

constexpr ReportItem internetItems[] = {
    { u"mnuLaJiEmail", u"举报垃圾邮件", u"/jvbao_mail.php" },
    { u"mnuEYiSoft", u"举报恶意软件", u"/jvbao_soft.php" },
    { u"mnuWebSite", u"举报恶意网站", u"/jvbao_web.php" },
    { u"mnuBlog", u"举报博客", u"/jvbao_blog.php" },
    { u"mnuBBS", u"举报论坛(bbs)", u"/jvbao_bbs.php" },
    { u"mnuInfo", u"举报即时消息", u"/jvbao_instant.php" },
    { u"mnuQiTa", u"举报其它不良与垃圾信息", u"/jvbao_other1.php" },
};

constexpr ReportItem mobileItems[] = {
    { u"mnuLJDX", u"举报垃圾短信", u"/jvbao_sms.php" },
    { u"mnuYDSR", u"举报移动电话网骚扰电话", u"/jvbao_tel1.php" },
    { u"mnuWAP", u"举报WAP", u"/jvbao_wap.php" },
    { u"mnuCX", u"举报彩信", u"/jvbao_mms.php" },
    { u"mnuVIR", u"举报IVR", u"/jvbao_ivr.php" },
    { u"mnuCL", u"举报彩铃", u"/jvbao_crbt.php" },
    { u"mnuYDLAJI", u"举报其它移动电话网不良与垃圾信息", u"/jvbao_other2.php" },
};

constexpr ReportItem fixedLineItems[] = {
    { u"mnuSRDH", u"举报固定网骚扰电话", u"/jvbao_tel2.php" },
    { u"mnuSXT", u"举报声讯台", u"/jvbao_voice.php" },
    { u"mnuCZ", u"举报垃圾传真", u"/jvbao_fax.php" },
    { u"mnuGDI", u"举报其它固定网不良与垃圾信息", u"/jvbao_other3.php" },
};

// The same caption as mnuQiTa above, in another submenu and for another page.
constexpr ReportItem otherItems[] = {
    { u"mnuQiTaInfo", u"举报其它不良与垃圾信息", u"/jvbao_other4.php" },
};

constexpr ReportMenu reportMenus[] = {
    { u"mnuInt", u"互联网不良与垃圾信息", internetItems },
    { u"mnuYD", u"移动电话网不良与垃圾信息", mobileItems },
    { u"mnuDHBLXX", u"固定电话网不良与垃圾信息", fixedLineItems },
    { u"mnuQT", u"其他举报", otherItems },
};

QMenu* addMenu(QWidget* parent, const char16_t* name, const char16_t* caption)
{
    auto* menu = new QMenu(QString::fromUtf16(caption), parent);
    menu->setObjectName(QString::fromUtf16(name));
    return menu;
}

QAction* addItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void addSeparator(QMenu* menu, const QString& name)
{
    menu->addSeparator()->setObjectName(name);
}

void bringForward(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void Form1::buildMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* mnuFile = addMenu(bar, u"mnuFile", u"文件");
    bar->addMenu(mnuFile);
    // Chosen, it does nothing.
    addItem(mnuFile, QStringLiteral("mnuServer"), QStringLiteral("当前使用服务器服务器"));
    connect(addItem(mnuFile, QStringLiteral("mnuEnd"), QStringLiteral("退出")), &QAction::triggered, this,
            &Form1::mnuEnd_Click);
    // Its exit item ends the program at once, even while a lookup waits; the other menus stay
    // shut meanwhile.
    markWayOut(mnuFile);

    QMenu* mnuJB = addMenu(bar, u"mnuJB", u"举报");
    bar->addMenu(mnuJB);
    for (const ReportMenu& submenu : reportMenus) {
        QMenu* menu = addMenu(mnuJB, submenu.name, submenu.caption);
        mnuJB->addMenu(menu);
        for (const ReportItem& item : submenu.items) {
            QAction* action = addItem(menu, QString::fromUtf16(item.name), QString::fromUtf16(item.caption));
            const QString path = QString::fromUtf16(item.path);
            connect(action, &QAction::triggered, this, [this, path] { openReportPage(path); });
        }
    }

    QMenu* mnuHelp = addMenu(bar, u"mnuHelp", u"帮助");
    bar->addMenu(mnuHelp);
    connect(addItem(mnuHelp, QStringLiteral("mnuHelp1"), QStringLiteral("打开帮助文件")), &QAction::triggered, this,
            &Form1::mnuHelp1_Click);
    connect(addItem(mnuHelp, QStringLiteral("mnuWeb"), QStringLiteral("本软件网站")), &QAction::triggered, this,
            &Form1::mnuWeb_Click);
    connect(addItem(mnuHelp, QStringLiteral("mnuQQ"), QStringLiteral("联系我们")), &QAction::triggered, this,
            &Form1::mnuQQ_Click);
    addSeparator(mnuHelp, QStringLiteral("mnuF2"));
    connect(addItem(mnuHelp, QStringLiteral("mnuUpdate"), QStringLiteral("在线升级")), &QAction::triggered, this,
            &Form1::mnuUpdate_Click);
    addSeparator(mnuHelp, QStringLiteral("mnuF3"));
    connect(addItem(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("关于")), &QAction::triggered, this,
            &Form1::mnuAbout_Click);
}

void Form1::buildContacts()
{
    const MakerInfo& maker = m_context.services.maker;
    Label21 = new QLabel(QStringLiteral("邮箱：") + maker.mail, frmMain);
    Label21->setObjectName(QStringLiteral("Label21"));
    Label21->setGeometry(twipsRect(2760, 5400, 3600, 255));
    Label6 = new QLabel(QStringLiteral("在线支持QQ：") + maker.messengerNumber, frmMain);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(twipsRect(4800, 5880, 2640, 255));
    for (QLabel* label : { Label21, Label6 }) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }
}

// A click on a contact label: the left button released over the label.
bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    watchFocus(watched, event);
    if ((watched == Label21 || watched == Label6) && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            if (watched == Label21)
                Label21_Click();
            else
                Label6_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::openLink(const QString& target)
{
    m_context.shell->open(this, target);
}

void Form1::openReportPage(const QString& path)
{
    openLink(m_context.services[Service::ReportCentre].url(path));
}

void Form1::mnuFileSafe_Click()
{
    openLink(m_context.services[Service::FileScanner].url(QStringLiteral("/")));
}

void Form1::Command11_Click()
{
    openLink(m_context.services[Service::Postcode].url(QStringLiteral("/post/")));
}

void Form1::mnuWeb_Click()
{
    openLink(m_context.services[Service::MakerSite].url(QStringLiteral("/")));
}

void Form1::Label21_Click()
{
    openLink(QStringLiteral("mailto:") + m_context.services.maker.mail);
}

void Form1::Label6_Click()
{
    const MakerInfo& maker = m_context.services.maker;
    openLink(QStringLiteral("Tencent://Message/?Uin=") + maker.messengerNumber + QStringLiteral("&websiteName=")
             + maker.siteName + QStringLiteral("&Menu=yes"));
}

// The help file is handed to the desktop only when it can be read; otherwise the box says why
// it may be missing.
void Form1::mnuHelp1_Click()
{
    const QString path = QDir(m_context.programFolder).filePath(QStringLiteral("help.chm"));
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        file.close();
        openLink(path);
        return;
    }
    m_context.dialogs->messageBox(this, MsgCritical, QStringLiteral("错误"),
                                  QStringLiteral("无法打开帮助文件！错误原因：\r"
                                                 "1.帮助文件不存在、被移动或被改名，请重新下载本软件！\r"
                                                 "2.帮助文件损坏，无法打开，请重新下载！\r"
                                                 "3.硬盘出现坏道、坏扇区、文件系统错误，请检查磁盘问题！\r"
                                                 "4.系统繁忙，暂时无法打开，请稍后再试！"));
}

// Never more than one: chosen while the window is open, the same window comes forward; after it
// was closed, a fresh one opens. Neither has an owner.
void Form1::mnuUpdate_Click()
{
    if (!m_form5) {
        m_form5 = new Form5(m_context);
        m_form5->installEventFilter(this);
    }
    bringForward(m_form5);
}

void Form1::mnuAbout_Click()
{
    if (!m_form2) {
        m_form2 = new Form2(m_context);
        m_form2->installEventFilter(this);
    }
    bringForward(m_form2);
}

void Form1::mnuQQ_Click()
{
    const MakerInfo& maker = m_context.services.maker;
    m_context.dialogs->messageBox(this, MsgInformation, QStringLiteral("联系方式"),
                                  QStringLiteral("QQ:") + maker.messengerNumber + QStringLiteral("，Email：")
                                      + maker.mail);
}

} // namespace veldrin
