#include "app/form1.h"
#include "support/recorders.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form5.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace veldrin;
using namespace veldrin::test;

namespace {

QString textOf(const QWidget* box)
{
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(box))
        return plain->toPlainText();
    return static_cast<const QTextEdit*>(box)->toPlainText();
}

// Tab goes on from every multi-line box of every window, as from any other text box, instead of
// writing a tab into the box: the boxes are found among the windows' own children.
TEST(TabFocus, TabLeavesEveryMultiLineBox)
{
    TestSeams seams;
    Form1 main(seams.context);
    Form2 about(seams.context);
    Form5 update(seams.context);
    // Built, never shown: shown, it would start its version check.
    Form3 startUp(seams.context);
    QList<QWidget*> boxes;
    for (const QWidget* window : std::initializer_list<const QWidget*> { &main, &about, &update, &startUp }) {
        for (QPlainTextEdit* box : window->findChildren<QPlainTextEdit*>())
            boxes.append(box);
        for (QTextEdit* box : window->findChildren<QTextEdit*>())
            boxes.append(box);
    }
    // The result boxes of the tool panels and the update window's notes, at least.
    EXPECT_GE(boxes.size(), 7);

    for (QWidget* box : std::as_const(boxes)) {
        SCOPED_TRACE(box->objectName().toStdString());
        // The box's panel is shown, and its window brought forward.
        QWidget* window = box->window();
        for (QWidget* w = box; w != nullptr; w = w->parentWidget())
            w->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(waitUntil([window] { return QApplication::activeWindow() == window; }));
        box->setFocus(Qt::OtherFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), box);
        const QString before = textOf(box);

        queueKey(box, Qt::Key_Tab, QStringLiteral("\t"));
        EXPECT_TRUE(waitUntil([box] { return queuedInputHandled() && QApplication::focusWidget() != box; }));
        EXPECT_EQ(textOf(box), before);
    }
}

} // namespace
