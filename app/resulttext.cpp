#include "app/resulttext.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

namespace veldrin {

namespace {

constexpr QChar ellipsis = u'…';

// The first `count` units of `text`, one fewer where the cut would leave the high half of a
// surrogate pair behind.
QStringView headOf(QStringView text, qsizetype count)
{
    if (count >= text.size())
        return text;
    if (count > 0 && text[count - 1].isHighSurrogate())
        --count;
    return text.first(count);
}

// Where the line starting at `from` ends: at its CR or LF, or at the end of the text.
qsizetype lineEndFrom(QStringView text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'\n' || text[i] == u'\r')
            return i;
    }
    return text.size();
}

} // namespace

QString cappedText(const QString& text, const TextCaps& caps)
{
    const QStringView all(text);
    QString shown;
    bool cut = false;
    qsizetype lines = 0;
    qsizetype at = 0;
    // Stops once more than the total is built, so a page of many megabytes is never copied whole.
    while (at < all.size() && shown.size() <= caps.total) {
        if (caps.lines > 0 && lines == caps.lines) {
            shown += ellipsis;
            cut = true;
            break;
        }
        // Without a cap by line, one unit more than fits is enough to know the total is cut, and
        // the rest of a line of megabytes is not even looked at; with one, the next line starts
        // only after this line's real end.
        const qsizetype scanTo
            = caps.perLine > 0 ? all.size() : std::min(all.size(), at + caps.total + 1 - shown.size());
        const qsizetype end = lineEndFrom(all.first(scanTo), at);
        qsizetype next = end;
        if (next < all.size() && (all[next] == u'\n' || all[next] == u'\r'))
            next += all[next] == u'\r' && next + 1 < all.size() && all[next + 1] == u'\n' ? 2 : 1;
        const QStringView line = all.sliced(at, end - at);
        if (caps.perLine > 0 && line.size() > caps.perLine) {
            shown += headOf(line, caps.perLine - 1);
            shown += ellipsis;
            cut = true;
        } else {
            shown += line;
        }
        shown += all.sliced(end, next - end);
        ++lines;
        at = next;
    }
    if (shown.size() > caps.total) {
        shown = headOf(shown, caps.total - 1) + ellipsis;
        cut = true;
    }
    // An uncut text is handed on as it is, shared rather than copied.
    return cut ? shown : text;
}

void showInLabel(QLabel* label, const QString& text)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(cappedText(text, labelCaps));
}

void showInLineEdit(QLineEdit* box, const QString& text)
{
    box->setText(cappedText(text, lineEditCaps));
}

void showInTextBox(QPlainTextEdit* box, const QString& text)
{
    box->setPlainText(cappedText(text, textBoxCaps));
}

} // namespace veldrin
