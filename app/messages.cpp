#include "app/messages.h"

namespace veldrin {

void showMessage(const Context& context, QWidget* owner, int style, const QString& title, const QStringList& lines)
{
    context.dialogs->messageBox(owner, style, title, lines.join(u'\r'));
}

QStringList numberedFailure(const QString& firstLine, const QStringList& causes)
{
    QStringList lines { firstLine };
    for (qsizetype i = 0; i < causes.size(); ++i)
        lines.append(QString::number(i + 1) + u'.' + causes[i]);
    return lines;
}

} // namespace veldrin
