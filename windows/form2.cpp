#include "windows/form2.h"

#include "app/panellayout.h"
#include "app/pictures.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace veldrin {

namespace {

// The About window states the version as 4.0, unlike the rest of the program.
constexpr const char16_t* components[] = {
    u"Veldrin 4.0",          u"Veldrindll动态链接库 4.0", u"VeldrinActiveX控件 4.0",
    u"Veldrin核心组件 4.0",  u"手机归属查询组件 4.0",     u"IP地址查询组件 4.0",
    u"身份证查询组件 4.0",   u"域名信息查询组件 4.0",     u"文件安全检查组件 4.0",
    u"主机地址查询组件 4.0", u"网站流行查询组件 4.0",     u"网站主机数量查询 4.0",
    u"ICP证书查询组件 4.0",  u"工商查询组件 4.0",         u"Email和Tel查询组件 4.0",
    u"网址安全组件 4.0",     u"淘宝信用查询 4.0",         u"QQ在线查询 4.0",
    u"意见提交 4.0",         u"在线升级组件 4.0",         u"错误解决方案查询组件 4.0",
    u"举报组件 4.0",
};

struct Caption
{
    const char16_t* name;
    const char16_t* text;
    QRect twips;
};

const Caption captions[] = {
    { u"Label7", u"产品图标：", QRect(240, 240, 1080, 300) },
    { u"Label1", u"产品名称：Veldrin", QRect(2280, 240, 3960, 300) },
    { u"Label2", u"产品版本：4.0", QRect(2280, 600, 3960, 300) },
    { u"Label3", u"版权所有 (C) 2008-2010 Veldrin开发组", QRect(2280, 960, 3960, 300) },
    { u"Label5", u"已安装的组件：", QRect(240, 1800, 3000, 300) },
    { u"Label6",
      u"警告：本软件受著作权法和国际条约保护。未经授权擅自销售或出租本软件或其中任何部分，"
      u"将依法追究法律责任。",
      QRect(240, 4440, 6000, 600) },
    { u"Label10", u"Veldrin开发组研发", QRect(240, 5160, 3000, 300) },
};

} // namespace

Form2::Form2(const Context& context)
    : QDialog(nullptr)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("关于"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(6480), twipsToPixels(5760));

    for (const Caption& row : captions) {
        auto* label
            = layout::place(new QLabel(QString::fromUtf16(row.text), this), QString::fromUtf16(row.name), row.twips);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
    }
    // The maker's address as plain text, not a link.
    auto* Label4 = layout::place(new QLabel(context.services[Service::MakerSite].url(QStringLiteral("/")), this),
                                 QStringLiteral("Label4"), QRect(2280, 1320, 3960, 300));
    Label4->setTextFormat(Qt::PlainText);
    auto* Image1 = layout::place(new QLabel(this), QStringLiteral("Image1"), QRect(1320, 240, 720, 720));
    Image1->setPixmap(programIcon().pixmap(twipsToPixels(720)));
    List1 = layout::place(new QListWidget(this), QStringLiteral("List1"), QRect(240, 2160, 6000, 2160));

    auto* Command1 = layout::place(new QPushButton(QStringLiteral("确定"), this), QStringLiteral("Command1"),
                                   QRect(5040, 5100, 1200, 420));
    // Enter runs the button; Esc closes the window as well (the dialog's own reject).
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    Form_Load();
}

// Filled once per opening: every opening builds a new window.
void Form2::Form_Load()
{
    for (const char16_t* item : components)
        List1->addItem(QString::fromUtf16(item));
}

void Form2::Command1_Click()
{
    close();
}

} // namespace veldrin
