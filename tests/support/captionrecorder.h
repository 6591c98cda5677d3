#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <utility>

class QWidget;

namespace veldrin::test {

// Every caption that the named labels, buttons and frames below a root (the root included)
// show while the recorder lives. A caption counts as shown when it stands as the UI thread
// runs its event loop (each pass of the event dispatcher: a lookup waiting for its page, the
// test waiting for the lookup), when its control paints, and whenever the test asks (while a
// message box is up: the recording dialogs return at once). A caption that is replaced before
// control goes back to the event loop can never be drawn, and is not recorded. Painting alone
// is not the measure: the window is drawn at most once a frame, so on loopback a progress
// text may stand for less than a frame, where a real service keeps it up for seconds.
class CaptionRecorder final : public QObject
{
public:
    // Runs the first time a control shows a caption, while it shows it.
    using Seen = std::function<void(const QWidget& control, const QString& caption)>;

    CaptionRecorder(QWidget& root, Seen seen);

    // Reads every shown control's caption now.
    void recordNow();

    // Every caption seen, as (control name, caption), in the order they were first seen.
    const QList<std::pair<QString, QString>>& captions() const { return m_captions; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void record(const QWidget& control);

    QList<QPointer<QWidget>> m_controls;
    Seen m_seen;
    QHash<const QWidget*, QSet<QString>> m_known;
    QList<std::pair<QString, QString>> m_captions;
};

// True when `text` is written whole as a string literal in the program's own sources: one of
// its fixed texts, not a value cut from a page nor a text built around one.
bool isProgramText(const QString& text);

} // namespace veldrin::test
