#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace veldrin {

// Page text shown in a result control. Qt lays out a line without break opportunities in time
// that grows with its length (a text box's wrapping even with its square), and a text box pays
// for every line it holds, so one hostile page could hold the window for seconds or minutes.
// What a control shows is therefore capped; the full value stays in the panel's string member.
// A cut text ends in "…" and never splits a surrogate pair. Normal results (a caption and a
// value, a record of a few hundred lines) are far below the caps and are shown whole. What is
// shown is always well-formed: a lone half of a surrogate pair (a cut that took half of a
// character beyond U+FFFF) shows as U+FFFD.
struct TextCaps
{
    qsizetype total; // UTF-16 units in all, "…" included
    qsizetype perLine; // UTF-16 units in one line, "…" included; 0 for no cap by line
    qsizetype lines; // lines (a text box's blocks) shown, "…" included; 0 for no cap by count
};

// A result label or a box line shows a few hundred characters at most; 4096 units lay out in a
// few milliseconds even unbroken.
constexpr TextCaps labelCaps { 4096, 0, 0 };
constexpr TextCaps lineEditCaps { 4096, 0, 0 };
// A text box lays out the lines it shows and counts every line it holds: unbroken lines of 4096
// units and 4096 lines keep each update to a few milliseconds; 256 Ki units bound the rest.
constexpr TextCaps textBoxCaps { 256 * 1024, 4096, 4096 };

// What a control with `caps` shows of `text`. Lines end where a text box starts a new block: at
// LF, CR, CR LF, U+2029 (paragraph separator), U+FDD0 and U+FDD1; they keep their ends as given.
QString cappedText(const QString& text, const TextCaps& caps);

// Shows page text in a plain-text result label, a line edit or a text box, capped as above.
void showInLabel(QLabel* label, const QString& text);
void showInLineEdit(QLineEdit* box, const QString& text);
void showInTextBox(QPlainTextEdit* box, const QString& text);

} // namespace veldrin
