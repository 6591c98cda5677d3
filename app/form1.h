#pragma once

#include "app/context.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veldrin {

class Form2;
class Form5;
class ToolPanel;
class GongShangPanel;
class IcpPanel;
class IpPanel;
class LiuXingPanel;
class MxPanel;
class QqPanel;
class RenQiPanel;
class ShenFenZhengPanel;
class ShouJiPanel;
class SlPanel;
class TbPanel;
class TelWzPanel;
class USafePanel;
class YuMingPanel;
class ZhuJiPanel;

// The main window: tool groups and tool panels, menus and links. It composes the panels;
// each panel owns its controls and its lookup.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(Context& context, QWidget* parent = nullptr);
    ~Form1() override;

    Context& context() const { return m_context; }

    // Load steps, in order; a step that fails is skipped. Run once by the constructor.
    void Form_Load();

    // Group buttons.
    void cmdChuJi_Click();
    void cmdZhongJi_Click();
    void cmdGaoji_Click();

    // Panel-switching tool buttons.
    void cmdShouJi_Click();
    void cmdIP_Click();
    void cmdShenFenZheng_Click();
    void cmdYuMing_Click();
    void cmdZhuJi_Click();
    void cmdPaiming_Click();
    void cmdLiuXing_Click();
    void Command3_Click();
    void Command8_Click();
    void Command12_Click();
    void cmdICP_Click();
    void cmdGongShang_Click();
    void cmdEmail_Click();
    void cmdSafe_Click();
    void Command7_Click();

    // Link tools and links.
    void mnuFileSafe_Click();
    void Command11_Click();
    void mnuWeb_Click();
    void Label21_Click();
    void Label6_Click();
    void mnuHelp1_Click();
    void mnuQQ_Click();
    void mnuUpdate_Click();
    void mnuAbout_Click();

    // Shut-down and the on-top switch.
    void Command2_Click();
    void mnuEnd_Click();
    void Check1_Click();

    void ResetAllPanels();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Group
    {
        Basic,
        Intermediate,
        Advanced
    };

    void buildFrame(); // containers, group column, group frames, tool buttons, intro panel
    void buildPanels(); // the fifteen tool panels, in their one rectangle
    void buildContacts(); // the two clickable contact labels
    void buildMenus(); // menu bar and its handlers
    void Form_Activate();
    // The focus sink's bookkeeping: the window system's input to this window, and the update
    // and About windows' activation and going away.
    void watchFocus(QObject* watched, QEvent* event);
    void openGroup(Group group);
    void showToolPanel(ToolPanel* panel);
    void openLink(const QString& target);
    void openReportPage(const QString& path);

    Context& m_context;

    QFrame* frmMain = nullptr;
    QFrame* frmJianBie = nullptr;
    QFrame* frmChuJi = nullptr;
    QFrame* frmZhongJi = nullptr;
    QFrame* frmGaoji = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* cmdChuJi = nullptr;
    QPushButton* cmdZhongJi = nullptr;
    QPushButton* cmdGaoji = nullptr;
    QPushButton* Command2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLineEdit* Text5 = nullptr;

    YuMingPanel* m_yuMing = nullptr;
    ZhuJiPanel* m_zhuJi = nullptr;
    IpPanel* m_ip = nullptr;
    SlPanel* m_sl = nullptr;
    RenQiPanel* m_renQi = nullptr;
    LiuXingPanel* m_liuXing = nullptr;
    IcpPanel* m_icp = nullptr;
    USafePanel* m_uSafe = nullptr;
    GongShangPanel* m_gongShang = nullptr;
    ShouJiPanel* m_shouJi = nullptr;
    ShenFenZhengPanel* m_shenFenZheng = nullptr;
    TelWzPanel* m_telWz = nullptr;
    QqPanel* m_qq = nullptr;
    MxPanel* m_mx = nullptr;
    TbPanel* m_tb = nullptr;
    QList<ToolPanel*> m_panels; // the fifteen, in one rectangle

    // At most one update and one About window, each gone once closed.
    QPointer<Form5> m_form5;
    QPointer<Form2> m_form2;
    // Whether the focus is still to go to Text5: armed until the first activation, and again
    // while the user is in the update or About window. A click of the user's that gives a
    // control the focus disarms it, whichever the window system reports first, the click or
    // the activation; so does the move itself, which happens at most once per arming.
    bool m_focusSinkPending = true;
};

} // namespace veldrin
