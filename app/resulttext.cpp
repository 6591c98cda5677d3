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

// The units a text box starts a new block at when it is given plain text (a CR LF pair is one
// end). U+FDD0 and U+FDD1 are the toolkit's own frame marks, which it reads as block ends too.
bool isLineEnd(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case QChar::ParagraphSeparator:
    case 0xFDD0:
    case 0xFDD1:
        return true;
    default:
        return false;
    }
}

// Where the line starting at `from` ends: at its line end, or at the end of the text.
qsizetype lineEndFrom(QStringView text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (isLineEnd(text[i]))
            return i;
    }
    return text.size();
}

// Where the line that runs up to `to` starts: after the last line end before it, or at 0.
qsizetype lineStartBefore(QStringView text, qsizetype to)
{
    for (qsizetype i = to; i > 0; --i) {
        if (isLineEnd(text[i - 1]))
            return i;
    }
    return 0;
}

// How many units the line end at `at` takes: 2 for CR LF, 0 at the end of the text.
qsizetype lineEndLength(QStringView text, qsizetype at)
{
    if (at >= text.size() || !isLineEnd(text[at]))
        return 0;
    return text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
}

// The cuts count UTF-16 units, so a fixed offset next to a character beyond U+FFFF takes one
// half of it; a control is never handed that half, which it would draw as garbage or not at all.
QString wellFormed(const QString& text)
{
    if (QStringView(text).isValidUtf16())
        return text;
    QString repaired = text;
    for (qsizetype i = 0; i < repaired.size(); ++i) {
        if (repaired[i].isHighSurrogate() && i + 1 < repaired.size() && repaired[i + 1].isLowSurrogate())
            ++i;
        else if (repaired[i].isSurrogate())
            repaired[i] = QChar::ReplacementCharacter;
    }
    return repaired;
}

} // namespace

QString cappedText(const QString& text, const TextCaps& caps)
{
    const QStringView all(text);
    QString shown;
    bool cut = false;
    qsizetype blocks = 1; // a text box always holds one block, an empty one included
    qsizetype at = 0;
    // Stops once more than the total is built, so a page of many megabytes is never copied whole.
    while (at < all.size() && shown.size() <= caps.total) {
        // Without a cap by line, one unit more than fits is enough to know the total is cut, and
        // the rest of a line of megabytes is not even looked at; with one, the next line starts
        // only after this line's real end.
        const qsizetype scanTo
            = caps.perLine > 0 ? all.size() : std::min(all.size(), at + caps.total + 1 - shown.size());
        const qsizetype end = lineEndFrom(all.first(scanTo), at);
        const qsizetype next = end + lineEndLength(all, end);
        const QStringView line = all.sliced(at, end - at);
        // Keeping this line's end would start one block more than the box may hold: the line
        // ends in "…" instead.
        const bool lastLine = caps.lines > 0 && blocks == caps.lines && next > end;
        if (caps.perLine > 0 && line.size() + (lastLine ? 1 : 0) > caps.perLine) {
            shown += headOf(line, caps.perLine - 1);
            shown += ellipsis;
            cut = true;
        } else {
            shown += line;
            if (lastLine) {
                shown += ellipsis;
                cut = true;
            }
        }
        if (lastLine)
            break;
        shown += all.sliced(end, next - end);
        ++blocks;
        at = next;
    }
    if (shown.size() > caps.total) {
        QStringView head = headOf(shown, caps.total - 1);
        // A cut landing at a line's end leaves that line whole, and it may already be as long as
        // a line may be: the "…" then takes the place of its last unit.
        if (caps.perLine > 0 && head.size() - lineStartBefore(head, head.size()) + 1 > caps.perLine)
            head = headOf(head, head.size() - 1);
        shown = head + ellipsis;
        cut = true;
    }
    // An uncut, well-formed text is handed on as it is, shared rather than copied.
    return wellFormed(cut ? shown : text);
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
