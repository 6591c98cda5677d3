#include "app/toolpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace veldrin {

ToolPanel::ToolPanel(Context& context, const QString& objectName, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent)
    , m_context(context)
{
    setObjectName(objectName);
    // Drawn like the container frames: flat, no raised border.
    setFlat(true);
}

QLineEdit* ToolPanel::addLineEdit(const QString& name, QRect twips, const QString& text)
{
    return layout::place(new QLineEdit(text, this), name, twips);
}

QPlainTextEdit* ToolPanel::addTextBox(const QString& name, QRect twips, const QString& text)
{
    return layout::place(new QPlainTextEdit(text, this), name, twips);
}

QPushButton* ToolPanel::addButton(const QString& name, const QString& caption, QRect twips)
{
    auto* button = layout::place(new QPushButton(caption, this), name, twips);
    button->setAutoDefault(false);
    return button;
}

QLabel* ToolPanel::addLabel(const QString& name, const QString& caption, QRect twips)
{
    return layout::place(new QLabel(caption, this), name, twips);
}

QComboBox* ToolPanel::addComboBox(const QString& name, QRect twips)
{
    return layout::place(new QComboBox(this), name, twips);
}

QCheckBox* ToolPanel::addCheckBox(const QString& name, const QString& caption, QRect twips)
{
    return layout::place(new QCheckBox(caption, this), name, twips);
}

QRadioButton* ToolPanel::addRadioButton(const QString& name, const QString& caption, QRect twips)
{
    return layout::place(new QRadioButton(caption, this), name, twips);
}

QList<QLabel*> ToolPanel::addLabelColumn(std::span<const NamedText> rows, int top, int step)
{
    QList<QLabel*> labels;
    for (const NamedText& row : rows) {
        labels.append(addLabel(QString::fromUtf16(row.name), QString::fromUtf16(row.text), layout::lineAt(top)));
        top += step;
    }
    return labels;
}

void ToolPanel::restoreCaptions(const QList<QLabel*>& labels, std::span<const NamedText> rows)
{
    for (qsizetype i = 0; i < labels.size() && i < static_cast<qsizetype>(rows.size()); ++i)
        labels[i]->setText(QString::fromUtf16(rows[i].text));
}

void ToolPanel::enableUnlessRunning(QWidget* widget)
{
    if (!lookupRunning())
        widget->setEnabled(true);
}

void ToolPanel::showFailure(const QString& firstLine, const QStringList& causes)
{
    QString text = firstLine;
    for (qsizetype i = 0; i < causes.size(); ++i)
        text += u'\r' + QString::number(i + 1) + u'.' + causes[i];
    context().dialogs->messageBox(window(), MsgCritical, QStringLiteral("错误"), text);
}

} // namespace veldrin
