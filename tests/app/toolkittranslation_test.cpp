#include "app/toolkittranslation.h"
#include "support/printers.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace veldrin;

// With the system's Qt translations installed, the toolkit's own buttons speak Simplified
// Chinese; without them nothing is installed and they stay in English.
TEST(ToolkitTranslation, MessageBoxButtonsInChinese)
{
    const std::unique_ptr<QTranslator> translation = installToolkitTranslation(*QCoreApplication::instance());
    QMessageBox box(QMessageBox::Information, QStringLiteral("标题"), QStringLiteral("内容"), QMessageBox::Ok);
    const QString ok = box.button(QMessageBox::Ok)->text();
    if (!translation) {
        EXPECT_TRUE(ok.contains(QStringLiteral("OK")));
        GTEST_SKIP() << "no Qt translations in " << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString();
    }
    EXPECT_EQ(ok, QStringLiteral("确定"));
}
