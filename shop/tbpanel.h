#pragma once

#include "app/toolpanel.h"

class QCheckBox;

namespace veldrin {

// The "淘宝商户信用" tool panel (frmTB): the shop search above, the credit scoring below.
class TbPanel : public ToolPanel
{
    Q_OBJECT
public:
    explicit TbPanel(Context& context, QWidget* parent = nullptr);

    void cmdTBCX_Click();
    void WebTB_DocumentComplete();
    void cmdTBURL_Click();
    void Command13_Click();
    void txtTB_KeyPress(int& KeyAscii);

    // The hidden loader of the search. Owned by the panel, so it lives exactly as long as the
    // lookup that reads its pages.
    PageLoader* WebTB() const { return m_WebTB; }

private:
    void offerCreditPage(BusyGuard& busy, const QString& link);
    void noSuchShop(BusyGuard& busy);
    void searchFailed(BusyGuard& busy);

    QLineEdit* m_txtTB = nullptr;
    QPushButton* m_cmdTBCX = nullptr;
    QLabel* m_lblTBZZ = nullptr;
    QPushButton* m_cmdTBURL = nullptr;
    PageLoader* m_WebTB = addPageLoader(QStringLiteral("WebTB"));
    PendingLoad bTBPending { *this, *m_WebTB };
    // 0: the next page is the search results; 1: the shop's own page.
    qint32 lngTBStage = 0;
    // The shop link taken from the results, then the credit-page link offered.
    QString strTBURL;

    QList<QLineEdit*> m_figureBoxes; // Text9, Text7, Text8
    QList<QCheckBox*> m_checks; // Check2 to Check9
    QPlainTextEdit* m_Text10 = nullptr;
    QPushButton* m_Command13 = nullptr;
};

} // namespace veldrin
