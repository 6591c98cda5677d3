#include "support/captionrecorder.h"

#include "support/panelkit.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QDirIterator>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <algorithm>
#include <iterator>

namespace veldrin::test {

namespace {

bool hasCaption(const QWidget* widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(u"qt_")
        && (qobject_cast<const QLabel*>(widget) || qobject_cast<const QAbstractButton*>(widget)
            || qobject_cast<const QGroupBox*>(widget));
}

// Every source file of the program, as one text.
QString programSources()
{
    QString sources;
    for (const char16_t* folder : { u"app", u"checks", u"platform", u"shop", u"windows" }) {
        QDirIterator files(QStringLiteral(VELDRIN_SOURCE_DIR "/") + QString::fromUtf16(folder),
                           { QStringLiteral("*.cpp"), QStringLiteral("*.h") }, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly))
                sources += QString::fromUtf8(file.readAll());
        }
    }
    return sources;
}

// `text` as a C++ string literal writes it.
QString asLiteral(const QString& text)
{
    static const std::pair<char16_t, const char16_t*> escapes[] = {
        { u'\\', u"\\\\" }, { u'"', u"\\\"" }, { u'\r', u"\\r" }, { u'\n', u"\\n" }, { u'\t', u"\\t" },
    };
    QString literal = QStringLiteral("\"");
    for (const QChar c : text) {
        const auto* escape = std::find_if(std::begin(escapes), std::end(escapes),
                                          [c](const auto& entry) { return entry.first == c.unicode(); });
        if (escape != std::end(escapes))
            literal += QString::fromUtf16(escape->second);
        else
            literal += c;
    }
    return literal + u'"';
}

} // namespace

CaptionRecorder::CaptionRecorder(QWidget& root, Seen seen)
    : m_seen(std::move(seen))
{
    QList<QWidget*> all { &root };
    all += root.findChildren<QWidget*>();
    for (QWidget* widget : all) {
        if (hasCaption(widget)) {
            m_controls.append(widget);
            widget->installEventFilter(this);
        }
    }
    if (const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CaptionRecorder::recordNow);
        connect(dispatcher, &QAbstractEventDispatcher::awake, this, &CaptionRecorder::recordNow);
    }
    recordNow();
}

void CaptionRecorder::recordNow()
{
    for (const QPointer<QWidget>& control : m_controls) {
        if (control && control->isVisible())
            record(*control);
    }
}

bool CaptionRecorder::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        record(*static_cast<const QWidget*>(watched));
    return false;
}

void CaptionRecorder::record(const QWidget& control)
{
    const QString caption = shownText(&control);
    if (caption.isEmpty() || m_known[&control].contains(caption))
        return;
    m_known[&control].insert(caption);
    m_captions.append({ control.objectName(), caption });
    if (m_seen)
        m_seen(control, caption);
}

bool isProgramText(const QString& text)
{
    static const QString sources = programSources();
    return sources.contains(asLiteral(text));
}

} // namespace veldrin::test
