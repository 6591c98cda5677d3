#pragma once

#include "app/toolpanel.h"

#include <array>

namespace veldrin {

// The "网址安全检查" tool panel (frmUSafe): the URL safety check and, below it, the web-page
// malware check, each with its own box and button.
class USafePanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit USafePanel(Context& context, QWidget* parent = nullptr);

    QWidget* focusBox() const override;

    void cmdUS_Click();
    void cmdGMCX_Click();
    void txtUS_KeyPress(int& KeyAscii);
    void txtGM_KeyPress(int& KeyAscii);
    void WebUS_ProgressChange(int progress, int progressMax);
    void WebUS_DocumentComplete();

private:
    enum class Verdict
    {
        Safe,
        Unsafe,
        NotRated
    };
    void showVerdict(Verdict verdict);
    void showCheckFailure(std::unique_ptr<BusyGuard> busy);

    QLineEdit* m_txtUS = nullptr;
    QPushButton* m_cmdUS = nullptr;
    QLabel* m_lblUS = nullptr;
    QLabel* m_imgSafe = nullptr;
    QLabel* m_imgNoSafe = nullptr;
    QLabel* m_imgNoKnow = nullptr;
    std::array<QCheckBox*, 6> m_chkUS {};
    QLineEdit* m_txtGM = nullptr;
    QPushButton* m_cmdGMCX = nullptr;
    QLabel* m_Label36 = nullptr;
    PageLoader* m_webUS = nullptr;
    PendingLoad m_bUSPending;
};

// The malware check's result line: from the last "当前状态：", marker included, up to the first
// blank after it, or to the end of the text when none follows. No value without the marker.
std::optional<QString> malwareStateLine(const QString& page);

} // namespace veldrin
