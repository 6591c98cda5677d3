#pragma once

#include "app/toolpanel.h"

#include <QStringView>
#include <functional>

namespace veldrin {

// The "域名信息查询" tool panel (frmYuMing): the registration record of a domain.
class YuMingPanel : public ToolPanel
{
    Q_OBJECT
public:
    // How a fetched record becomes the text shown: rewriteWhoisRecord. It runs on a worker
    // thread, so it must not touch the panel.
    using RecordRewrite = std::function<QString(QString record, QStringView siteName)>;

    explicit YuMingPanel(Context& context, QWidget* parent = nullptr);
    // With another rewrite in the rows' place: a test holds it to see the panel wait for it.
    YuMingPanel(Context& context, RecordRewrite rewrite, QWidget* parent = nullptr);

    QWidget* focusBox() const override;
    void resetPanel() override;

    void cmdYuMingChaXun_Click();
    void txtYuMing_KeyPress(int& KeyAscii);

private:
    void showLookupFailure();

    QLineEdit* m_txtYuMing = nullptr;
    QPushButton* m_cmdYuMingChaXun = nullptr;
    QPlainTextEdit* m_txtYuMingJG = nullptr;
    RecordRewrite m_rewrite;
    // The record under rewriting, as fetched: never read back from the result box.
    QString m_strYuMingPage;
};

} // namespace veldrin
