#include "checks/site/gongshangpanel.h"

#include "app/panellayout.h"
#include "checks/site/registrydirectory.h"

#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace veldrin {

namespace {

// The links' own colours: dark blue at start, red once pressed, blue again once the pointer
// moves over the frame around them.
const QColor linkStartBlue(0, 0, 192);
const QColor linkPressedRed(255, 0, 0);
const QColor linkMovedBlue(0, 0, 255);

QGroupBox* innerFrame(QWidget* panel, const QString& name, const QString& caption, QRect twips)
{
    auto* frame = layout::place(new QGroupBox(caption, panel), name, twips);
    // Drawn like the panel around it.
    frame->setFlat(true);
    return frame;
}

void fill(QComboBox* list, const QStringList& choices)
{
    list->addItems(choices);
    // Adding to an empty list picks its first entry; at start nothing is picked.
    list->setCurrentIndex(-1);
}

} // namespace

bool isRegistryLink(const QString& caption)
{
    constexpr QStringView scheme = u"http://";
    return caption.startsWith(scheme) && caption.size() > scheme.size() && caption[scheme.size()] != u'/';
}

GongShangPanel::GongShangPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmGongShang"), QStringLiteral("工商信息"), parent)
{
    QGroupBox* choice
        = innerFrame(this, QStringLiteral("Frame1"), QStringLiteral("请输入选项"), QRect(60, 360, 5895, 1500));
    m_Option1 = layout::place(new QRadioButton(QStringLiteral("选择省工商局资料"), choice), QStringLiteral("Option1"),
                              QRect(240, 420, 2175, 300));
    m_Combo1 = layout::place(new QComboBox(choice), QStringLiteral("Combo1"), QRect(2520, 390, 1935, 345));
    m_Option2 = layout::place(new QRadioButton(QStringLiteral("选择市工商局资料"), choice), QStringLiteral("Option2"),
                              QRect(240, 960, 2175, 300));
    m_Combo2 = layout::place(new QComboBox(choice), QStringLiteral("Combo2"), QRect(2520, 930, 1935, 345));
    m_Command1 = layout::place(new QPushButton(QStringLiteral("查询"), choice), QStringLiteral("Command1"),
                               QRect(4575, 630, 840, 420));
    m_Command1->setAutoDefault(false);
    m_Option1->setChecked(true);
    m_Combo2->setEnabled(false);

    m_Frame2
        = innerFrame(this, QStringLiteral("Frame2"), QStringLiteral("该地区查询地址如下"), QRect(60, 2040, 5895, 1500));
    // Moves over the frame without a button held count too.
    m_Frame2->setMouseTracking(true);
    m_Frame2->installEventFilter(this);
    layout::place(new QLabel(QStringLiteral("工 商 查 询 ："), m_Frame2), QStringLiteral("Label1"),
                  QRect(120, 480, 1320, 300));
    layout::place(new QLabel(QStringLiteral("企业信用查询："), m_Frame2), QStringLiteral("Label2"),
                  QRect(120, 960, 1320, 300));
    // No region has been looked up yet: both links are empty and cannot be clicked. They take
    // the rest of the frame's width, so that the longest address of the directory shows whole.
    auto link = [this](const QString& name, int top) {
        auto* label
            = layout::place(new QLabel(QStringLiteral("http:///"), m_Frame2), name, QRect(1440, top, 4395, 300));
        label->setTextFormat(Qt::PlainText);
        label->setFont(QFont(QStringLiteral("Verdana"), 9));
        label->setEnabled(false);
        label->setCursor(Qt::PointingHandCursor);
        layout::setTextColour(label, linkStartBlue);
        label->installEventFilter(this);
        return label;
    };
    m_Label3 = link(QStringLiteral("Label3"), 480);
    m_Label4 = link(QStringLiteral("Label4"), 960);

    connect(m_Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(m_Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
    connect(m_Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
}

void GongShangPanel::underlineLinks()
{
    for (QLabel* link : { m_Label3, m_Label4 }) {
        QFont font = link->font();
        font.setUnderline(true);
        link->setFont(font);
    }
}

void GongShangPanel::fillLists()
{
    fill(m_Combo1, registryChoices(RegistrySection::Province));
    fill(m_Combo2, registryChoices(RegistrySection::City));
}

void GongShangPanel::Command1_Click()
{
    queryStarting(QStringLiteral("Command1_Click"));
    BusyGuard busy(*this, { m_Command1 });
    const bool province = m_Option1->isChecked();
    if (!province && !m_Option2->isChecked()) {
        busy.end();
        return refuse();
    }
    const QString picked = (province ? m_Combo1 : m_Combo2)->currentText();
    const RegistryEntry* entry
        = findRegistryEntry(province ? RegistrySection::Province : RegistrySection::City, picked);
    if (!entry && picked.isEmpty())
        return refuse();
    if (entry) {
        m_Label3->setText(QString::fromUtf16(entry->registry));
        m_Label4->setText(QString::fromUtf16(entry->credit));
    }
    Label3_Change();
    Label4_Change();
}

// The captions stay as they were; the links keep to the link rule, so the bare "http:///" of
// the start is still not clickable afterwards.
void GongShangPanel::refuse()
{
    showBox(MsgCritical, QStringLiteral("错误"), { QStringLiteral("请选择省/市以便查询！") });
    Label3_Change();
    Label4_Change();
}

void GongShangPanel::Option1_Click()
{
    if (m_Option1->isChecked()) {
        m_Combo1->setEnabled(true);
        m_Combo2->setEnabled(false);
    }
}

void GongShangPanel::Option2_Click()
{
    if (m_Option2->isChecked()) {
        m_Combo2->setEnabled(true);
        m_Combo1->setEnabled(false);
    }
}

void GongShangPanel::Label3_Change()
{
    m_Label3->setEnabled(isRegistryLink(m_Label3->text()));
}

void GongShangPanel::Label4_Change()
{
    m_Label4->setEnabled(isRegistryLink(m_Label4->text()));
}

void GongShangPanel::Label3_Click()
{
    context().shell->open(window(), m_Label3->text());
}

void GongShangPanel::Label4_Click()
{
    context().shell->open(window(), m_Label4->text());
}

void GongShangPanel::Label3_MouseDown()
{
    layout::setTextColour(m_Label3, linkPressedRed);
}

void GongShangPanel::Label4_MouseDown()
{
    layout::setTextColour(m_Label4, linkPressedRed);
}

void GongShangPanel::Frame2_MouseMove()
{
    for (QLabel* link : { m_Label3, m_Label4 })
        layout::setTextColour(link, linkMovedBlue);
}

bool GongShangPanel::eventFilter(QObject* watched, QEvent* event)
{
    // A disabled link takes no clicks; the filter sees its events all the same.
    const bool onLink = (watched == m_Label3 || watched == m_Label4) && static_cast<QWidget*>(watched)->isEnabled();
    if (onLink && event->type() == QEvent::MouseButtonPress) {
        watched == m_Label3 ? Label3_MouseDown() : Label4_MouseDown();
    } else if (onLink && event->type() == QEvent::MouseButtonRelease) {
        // A click is a press and a release over the same label.
        const auto* release = static_cast<QMouseEvent*>(event);
        const QRect area = static_cast<QWidget*>(watched)->rect();
        if (release->button() == Qt::LeftButton && area.contains(release->position().toPoint()))
            watched == m_Label3 ? Label3_Click() : Label4_Click();
    } else if (watched == m_Frame2 && event->type() == QEvent::MouseMove) {
        // A move over a label reaches the frame too; only the frame's own area counts.
        const auto* move = static_cast<QMouseEvent*>(event);
        if (m_Frame2->childAt(move->position().toPoint()) == nullptr)
            Frame2_MouseMove();
    }
    return ToolPanel::eventFilter(watched, event);
}

} // namespace veldrin
