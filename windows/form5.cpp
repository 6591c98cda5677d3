#include "windows/form5.h"

#include "app/messages.h"
#include "app/panellayout.h"
#include "app/pictures.h"
#include "app/resulttext.h"
#include "windows/version.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace veldrin {

namespace {

const QString idleStatus = QStringLiteral("点击“检查”查看可用更新");
const QString newestCaption = QStringLiteral("最新版本：");
const QString resultTitle = QStringLiteral("检测结果");

// The third cause carries no number.
const QStringList failureLines = {
    QStringLiteral("检查更新失败！错误原因："),
    QStringLiteral("1.网络不稳定，服务器繁忙，请退出其他大量占用网络资源程序！"),
    QStringLiteral("2.VeldrinXMLhttp组件丢失，请重新下载！"),
    QStringLiteral("Veldrin服务器出现问题，暂时无法响应您的请求，请稍后再试！"),
};

} // namespace

Form5::Form5(Context& context)
    : QDialog(nullptr)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("软件升级"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(6660), twipsToPixels(5520));

    auto* Image1 = layout::place(new QLabel(this), QStringLiteral("Image1"), QRect(240, 240, 720, 720));
    // The program's shield with the arrow of an update: this window's own picture.
    Image1->setPixmap(picture(QStringLiteral("update")).pixmap(twipsToPixels(720)));
    Label1
        = layout::place(new QLabel(QStringLiteral("请点击“检查”检测更新，如果有更新，更新完成后，请将文件解压到原目录"
                                                  "并覆盖旧版本，然后重新运行本软件！如果存在更新请点击“下载新版本”"
                                                  "下载。"),
                                   this),
                        QStringLiteral("Label1"), QRect(1200, 240, 5220, 900));
    Label1->setWordWrap(true);
    auto* Frame1 = layout::place(new QFrame(this), QStringLiteral("Frame1"), QRect(240, 1200, 6180, 158));
    Frame1->setFrameShape(QFrame::HLine);
    Frame1->setFrameShadow(QFrame::Sunken);

    Label4 = layout::place(new QLabel(QStringLiteral("本地版本："), this), QStringLiteral("Label4"),
                           QRect(240, 1480, 3000, 300));
    Label5 = layout::place(new QLabel(newestCaption, this), QStringLiteral("Label5"), QRect(3360, 1480, 3060, 300));
    // The published version is page text.
    Label5->setTextFormat(Qt::PlainText);
    Text1 = layout::place(new QPlainTextEdit(this), QStringLiteral("Text1"), QRect(240, 1860, 6180, 2040));
    // Tab goes on to the next control, as from any text box, instead of into the notes.
    Text1->setTabChangesFocus(true);
    Text1->installEventFilter(this);
    Label3 = layout::place(new QLabel(idleStatus, this), QStringLiteral("Label3"), QRect(240, 4020, 6180, 300));
    layout::setTextColour(Label3, layout::statusBlue);

    Option1 = layout::place(new QRadioButton(QStringLiteral("网通用户"), this), QStringLiteral("Option1"),
                            QRect(240, 4500, 1200, 300));
    Option2 = layout::place(new QRadioButton(QStringLiteral("电信用户"), this), QStringLiteral("Option2"),
                            QRect(1440, 4500, 1200, 300));
    Option1->setChecked(true);

    Command1 = layout::place(new QPushButton(QStringLiteral("检查"), this), QStringLiteral("Command1"),
                             QRect(2760, 4440, 1095, 420));
    Command3 = layout::place(new QPushButton(QStringLiteral("下载新版本"), this), QStringLiteral("Command3"),
                             QRect(3960, 4440, 1335, 420));
    Command2 = layout::place(new QPushButton(QStringLiteral("取消"), this), QStringLiteral("Command2"),
                             QRect(5400, 4440, 1020, 420));
    // Enter runs the check wherever the focus is, also on the other buttons: one of them holds
    // the focus after the check button was disabled under it.
    Command1->setDefault(true);
    Command2->setAutoDefault(false);
    Command3->setAutoDefault(false);
    Command3->setEnabled(false);
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form5::Command3_Click);

    Form_Load();
}

// Enter in the notes box runs the default button, as it does from every other control, instead
// of breaking the line.
bool Form5::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            keyPressEvent(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Form5::Form_Load()
{
    Label4->setText(u"本地版本：" + localVersion());
}

void Form5::Command1_Click()
{
    Command1->setEnabled(false);
    Label3->setText(QStringLiteral("正在连接到服务器..."));

    const std::optional<QString> page = m_context.fetchPage(Service::VersionPage, versionPagePath());
    if (!page)
        return checkFailed();
    strVersionPage = *page;
    const std::optional<QString> published = publishedVersion(strVersionPage);
    if (!published)
        return checkFailed();
    strNewVersion = *published;
    const std::optional<QString> notes = cut(strVersionPage, notesCut);
    if (!notes)
        return checkFailed();
    showInTextBox(Text1, *notes);
    showInLabel(Label5, newestCaption + strNewVersion);

    if (strNewVersion == localVersion()) {
        Label3->setText(QStringLiteral("您的版本是最新版本，无需升级！"));
        Command1->setEnabled(true);
        showMessage(m_context, this, MsgInformation, resultTitle, { QStringLiteral("您使用的是最新版本！") });
        return;
    }
    const std::optional<bool> newer = isNewerWholeVersion(strNewVersion);
    if (!newer)
        return checkFailed();
    if (*newer) {
        // The check stays disabled until the window is opened afresh.
        Command3->setEnabled(true);
        showMessage(m_context, this, MsgInformation, resultTitle, { QStringLiteral("检测到新版本，请下载新版本！") });
        return;
    }
    Label3->setText(idleStatus);
    Command1->setEnabled(true);
}

// What the check wrote before it failed stays.
void Form5::checkFailed()
{
    showMessage(m_context, this, MsgExclamation, QStringLiteral("错误"), failureLines);
    Label3->setText(QStringLiteral("检查更新失败"));
    Command1->setEnabled(true);
}

void Form5::Command2_Click()
{
    close();
}

void Form5::Command3_Click()
{
    m_context.shell->open(this, m_context.services[Service::Download].url(downloadPagePath()));
}

} // namespace veldrin
