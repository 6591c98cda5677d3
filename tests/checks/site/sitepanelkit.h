#pragma once

#include "app/toolpanel.h"
#include "checks/site/gongshangpanel.h"
#include "checks/site/icppanel.h"
#include "checks/site/ippanel.h"
#include "checks/site/liuxingpanel.h"
#include "checks/site/renqipanel.h"
#include "checks/site/slpanel.h"
#include "checks/site/usafepanel.h"
#include "checks/site/yumingpanel.h"
#include "checks/site/zhujipanel.h"
#include "support/printers.h"

#include <QChar>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>
#include <ostream>


namespace veldrin::test {

// A panel whose lookup the test can mark as running, the way a lookup marks itself while it
// waits for its page.
template<class P> class BusyPanel final : public P
{
public:
    explicit BusyPanel(Context& context)
        : P(context)
    {
    }
    void startLookup() { this->lookupStarted(); }
    void endLookup() { this->lookupEnded(); }
};

struct BuiltPanel
{
    std::unique_ptr<ToolPanel> panel;
    std::function<void()> startLookup;
    std::function<void()> endLookup;

    // A control of the panel by the name the program gives it.
    template<class W = QWidget> W* control(const QString& name) const { return panel->findChild<W*>(name); }
};

template<class P> BuiltPanel buildAs(Context& context)
{
    auto panel = std::make_unique<BusyPanel<P>>(context);
    auto* raw = panel.get();
    raw->resize(twipsToPixels(6015), twipsToPixels(4815));
    raw->show();
    return BuiltPanel { std::move(panel), [raw] { raw->startLookup(); },
                        [raw] {
                            raw->endLookup();
                        } };
}

// The site panels by their frame name, shown.
inline BuiltPanel buildPanel(const QString& frame, Context& context)
{
    using Maker = BuiltPanel (*)(Context&);
    static const std::pair<const char16_t*, Maker> makers[] = {
        { u"frmYuMing", &buildAs<YuMingPanel> },
        { u"frmZhuJi", &buildAs<ZhuJiPanel> },
        { u"frmIP", &buildAs<IpPanel> },
        { u"frmSL", &buildAs<SlPanel> },
        { u"frmRenQi", &buildAs<RenQiPanel> },
        { u"frmLiuXing", &buildAs<LiuXingPanel> },
        { u"frmICP", &buildAs<IcpPanel> },
        { u"frmUSafe", &buildAs<USafePanel> },
        { u"frmGongShang", &buildAs<GongShangPanel> },
    };
    for (const auto& [name, make] : makers) {
        if (frame == QString::fromUtf16(name))
            return make(context);
    }
    return {};
}

// Types one character as a key press: ASCII through its key, anything else (full-width
// punctuation, Chinese) as a key event carrying only its text, as a keyboard layout sends it.
inline void typeChar(QWidget* box, QChar c)
{
    if (c.unicode() < 0x80)
        QTest::keyClick(box, static_cast<char>(c.unicode()));
    else
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

inline void typeText(QWidget* box, const QString& text)
{
    for (QChar c : text)
        typeChar(box, c);
}

// What a control shows as its text, whatever kind of control it is.
inline QString shownText(const QWidget* widget)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(widget))
        return box->toPlainText();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

inline void setShownText(QWidget* widget, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        box->setPlainText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
}

} // namespace veldrin::test
