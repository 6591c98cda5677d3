// Every named control of every window and tool panel as the program builds it: its kind, its
// caption or text at start, and its font and tip where they are fixed. One table per
// window or panel, checked against the windows as they are built.

#include "app/form1.h"
#include "platform/pageloader.h"
#include "support/recorders.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form5.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <span>

using namespace veldrin;
using veldrin::test::str;

namespace {

enum class Kind
{
    Window,
    Frame, // a group box, or a plain frame (with or without a caption, a rule included)
    Line,
    Button,
    PictureButton, // a command button that shows a picture beside its caption
    LineEdit,
    TextBox, // multi-line
    Label,
    Picture,
    ComboBox,
    CheckBox,
    OptionButton,
    ListBox,
    Menu,
    MenuItem,
    Separator,
    PageLoader, // fetches and parses a page for a lookup; never shown
};

struct FontSpec
{
    const char16_t* family;
    int points = 0; // 0: any size
    bool bold = false;
};

// The family as the program asks for it: where it is not installed, the system substitutes
// another for drawing, and that is the system's choice.
constexpr FontSpec verdana { u"Verdana" };
constexpr FontSpec verdana9 { u"Verdana", 9 };
constexpr FontSpec yaHei { u"微软雅黑" };
constexpr FontSpec yaHeiBold12 { u"微软雅黑", 12, true };
constexpr FontSpec xinSongTi { u"新宋体" };

struct Row
{
    const char16_t* name;
    Kind kind;
    const char16_t* text = nullptr; // null: no fixed text to compare
    const FontSpec* font = nullptr;
    const char16_t* tip = nullptr; // the text shown when the pointer rests on the control
};

// The page texts a lookup keeps between its steps are strings in the panels, not controls, so
// they have no row.

constexpr Row mainWindow[] = {
    { u"Form1", Kind::Window, u"Veldrin 4.01" },
    { u"Command2", Kind::Button, u"退出" },
    { u"Check1", Kind::CheckBox, u"本窗口总在最前面" },
    { u"mnuEnd", Kind::MenuItem, u"退出" },
    { u"Text5", Kind::LineEdit, u"" },
    { u"WebICP", Kind::PageLoader },
    { u"Label3", Kind::Label, u"http:///" },
    { u"Label4", Kind::Label, u"http:///" },
    // Filled by the load step; the directory tests check the entries.
    { u"Combo1", Kind::ComboBox },
    { u"Combo2", Kind::ComboBox },
};

constexpr Row toolGroups[] = {
    { u"frmMain", Kind::Frame },
    { u"frmJianBie", Kind::Frame },
    { u"frmChuJi", Kind::Frame },
    { u"frmZhongJi", Kind::Frame },
    { u"frmGaoji", Kind::Frame },
    // cmdZhongJi, Command11, Command8, Command12 and Command7 have tips too; the main window's
    // test checks that each has one.
    { u"cmdChuJi", Kind::Button, u"初级鉴别", nullptr, u"六种最基本的查询鉴别方法" },
    { u"cmdZhongJi", Kind::Button, u"中级鉴别" },
    { u"cmdGaoji", Kind::Button, u"高级鉴别", nullptr, u"五种高级鉴别方法" },
    { u"cmdShouJi", Kind::PictureButton, u"手机归属查询", nullptr, u"根据对方的手机号码查询对方所在地" },
    { u"cmdIP", Kind::PictureButton, u"IP地址查询", nullptr, u"根据IP查询对方的地址。" },
    { u"cmdShenFenZheng", Kind::PictureButton, u"身份证校验", nullptr, u"根据对方的身份证查询对方的地址并判断身份" },
    { u"cmdYuMing", Kind::PictureButton, u"域名信息查询", nullptr,
      u"查询网站注册时间、地点、联系人、联系电话等信息、骗子网站一般都是注册时间距现在很近" },
    { u"mnuFileSafe", Kind::PictureButton, u"文件安全检查", nullptr,
      u"根据文件利用37种杀毒软件进行查毒并判断其安全性" },
    { u"Command11", Kind::PictureButton, u"邮编查询" },
    { u"cmdZhuJi", Kind::PictureButton, u"主机地址所在地", nullptr, u"查询网站主机所在地" },
    { u"cmdPaiming", Kind::PictureButton, u"网站人气排名", nullptr, u"查询网站人气、骗子网站人气不高" },
    { u"cmdLiuXing", Kind::PictureButton, u"网站流行度查询", nullptr, u"查询网站网上流行度、骗子网站流行度不高" },
    { u"Command3", Kind::PictureButton, u"网站主机数量", nullptr,
      u"查询网站的主机数量，骗子网站一般是采用虚拟主机，只有一个主机地址" },
    { u"Command8", Kind::PictureButton, u"QQ在线查询" },
    { u"Command12", Kind::PictureButton, u"明星知名度" },
    { u"cmdICP", Kind::PictureButton, u"ICP证书", nullptr, u"根据对方域名查询ICP证书" },
    { u"cmdGongShang", Kind::PictureButton, u"工商信息", nullptr, u"根据公司名称进行企业执照查询和企业信用查询" },
    { u"cmdEmail", Kind::PictureButton, u"Email所在地、电话具体位置", nullptr,
      u"根据对方发来的电子邮件获得对方的具体地址、根据固定电话查询对方所在地的具体位置、标志性建筑" },
    { u"cmdSafe", Kind::PictureButton, u"网址安全检查", nullptr, u"根据对方网址查询安全性，恶意网址库随时更新" },
    { u"Command7", Kind::PictureButton, u"淘宝店铺信用" },
    { u"frmShouJi", Kind::Frame, u"手机归属查询" },
    { u"frmIP", Kind::Frame, u"IP地址查询" },
    { u"frmShenFenZheng", Kind::Frame, u"身份证校验" },
    { u"frmYuMing", Kind::Frame, u"域名信息查询" },
    { u"frmZhuJi", Kind::Frame, u"主机地址所在地" },
    { u"frmRenQi", Kind::Frame, u"网站人气排名" },
    { u"frmLiuXing", Kind::Frame, u"网站流行度" },
    { u"frmSL", Kind::Frame, u"网站主机数量查询" },
    { u"frmTelWZ", Kind::Frame, u"Email查所在地、电话查具体位置" },
    { u"frmQQ", Kind::Frame, u"QQ在线查询" },
    { u"frmMX", Kind::Frame, u"明星知名度查询" },
    { u"frmICP", Kind::Frame, u"ICP证书" },
    { u"frmGongShang", Kind::Frame, u"工商信息" },
    { u"frmUSafe", Kind::Frame, u"网址安全检查" },
    { u"frmTB", Kind::Frame, u"淘宝商户信用" },
    { u"Picture1", Kind::Frame },
    { u"Label11", Kind::Label,
      u"本软件开发组在分析了数万则网上受骗的案例后，总结出了一整套Veldrin方法，经过整理后开发了此防骗工具，适用于：" },
    { u"Label12", Kind::Label, u"网络交易、交友、聊天、安全等" },
    // The maker's address and number follow the prefixes; the links test checks them.
    { u"Label21", Kind::Label },
    { u"Label6", Kind::Label },
    // Off every panel: the text that the host list removes from its result.
    { u"Text6", Kind::LineEdit, u"\t" },
    { u"WebTB", Kind::PageLoader },
};

constexpr Row menus[] = {
    { u"mnuFile", Kind::Menu, u"文件" },
    { u"mnuServer", Kind::MenuItem, u"当前使用服务器服务器" },
    { u"mnuEnd", Kind::MenuItem, u"退出" },
    { u"mnuJB", Kind::Menu, u"举报" },
    { u"mnuInt", Kind::Menu, u"互联网不良与垃圾信息" },
    { u"mnuLaJiEmail", Kind::MenuItem, u"举报垃圾邮件" },
    { u"mnuEYiSoft", Kind::MenuItem, u"举报恶意软件" },
    { u"mnuWebSite", Kind::MenuItem, u"举报恶意网站" },
    { u"mnuBlog", Kind::MenuItem, u"举报博客" },
    { u"mnuBBS", Kind::MenuItem, u"举报论坛(bbs)" },
    { u"mnuInfo", Kind::MenuItem, u"举报即时消息" },
    { u"mnuQiTa", Kind::MenuItem, u"举报其它不良与垃圾信息" },
    { u"mnuYD", Kind::Menu, u"移动电话网不良与垃圾信息" },
    { u"mnuLJDX", Kind::MenuItem, u"举报垃圾短信" },
    { u"mnuYDSR", Kind::MenuItem, u"举报移动电话网骚扰电话" },
    { u"mnuWAP", Kind::MenuItem, u"举报WAP" },
    { u"mnuCX", Kind::MenuItem, u"举报彩信" },
    { u"mnuVIR", Kind::MenuItem, u"举报IVR" },
    { u"mnuCL", Kind::MenuItem, u"举报彩铃" },
    { u"mnuYDLAJI", Kind::MenuItem, u"举报其它移动电话网不良与垃圾信息" },
    { u"mnuDHBLXX", Kind::Menu, u"固定电话网不良与垃圾信息" },
    { u"mnuSRDH", Kind::MenuItem, u"举报固定网骚扰电话" },
    { u"mnuSXT", Kind::MenuItem, u"举报声讯台" },
    { u"mnuCZ", Kind::MenuItem, u"举报垃圾传真" },
    { u"mnuGDI", Kind::MenuItem, u"举报其它固定网不良与垃圾信息" },
    { u"mnuQT", Kind::Menu, u"其他举报" },
    { u"mnuQiTaInfo", Kind::MenuItem, u"举报其它不良与垃圾信息" },
    { u"mnuHelp", Kind::Menu, u"帮助" },
    { u"mnuHelp1", Kind::MenuItem, u"打开帮助文件" },
    { u"mnuWeb", Kind::MenuItem, u"本软件网站" },
    { u"mnuQQ", Kind::MenuItem, u"联系我们" },
    // Separator lines between the help items.
    { u"mnuF2", Kind::Separator },
    { u"mnuUpdate", Kind::MenuItem, u"在线升级" },
    { u"mnuF3", Kind::Separator },
    { u"mnuAbout", Kind::MenuItem, u"关于" },
};

constexpr Row domainRecord[] = {
    { u"cmdYuMingChaXun", Kind::Button, u"查询" },
    { u"txtYuMingJG", Kind::TextBox, u"", &verdana },
    { u"txtYuMing", Kind::LineEdit, u"", &verdana },
    { u"lblYuMing", Kind::Label, u"域名：" },
};

constexpr Row hostAddress[] = {
    { u"txtZhuJiJG", Kind::TextBox, u"" },
    { u"cmdZhuJiChaXun", Kind::Button, u"查询" },
    { u"txtZhuJi", Kind::LineEdit, u"", &verdana },
    { u"lblZhuJiDZ", Kind::Label, u"主机所在地：" },
    { u"lblZhuJiIP", Kind::Label, u"主机IP地址：" },
    { u"lblZhuJi", Kind::Label, u"准备就绪" },
    { u"lblZhuJiJS", Kind::Label,
      u"本功能可以查询您需要的网站服务器放置地点，如果与真实放置地点差的太远，则可能是骗子网站。" },
    { u"lblZZURL", Kind::Label, u"网址：" },
};

constexpr Row ipLocation[] = {
    { u"txtIPJG", Kind::TextBox, u"查询结果\r\n" },
    { u"txtIP", Kind::LineEdit, u"", &verdana },
    { u"cmdIPChaXun", Kind::Button, u"查询" },
    { u"Label10", Kind::Label, u"输入的IP地址不合法！" },
    { u"lblIPDZ", Kind::Label, u"IP地址：" },
    { u"lblIPJieShao", Kind::Label,
      u"本功能可以查询对方IP地址的所在地区，结果将会精确到网吧/省市/区县。IP地址不知道的请用1个“*”代替" },
    { u"lblIPZZ", Kind::Label, u"" },
};

constexpr Row hostList[] = {
    { u"cmdGO", Kind::Button, u"查询" },
    { u"txtSLURL", Kind::LineEdit, u"", &verdana },
    { u"txtSLJG", Kind::TextBox, u"", &verdana },
    { u"Label8", Kind::Label,
      u"本功能可以查询您需要了解的网站主机数量，骗子网站一般只有一个主机地址，如果一个网站有两个以上的主机，"
      u"可信度就比较高了。（主机数量多少请看检查结果最后边有多少个IP地址）" },
    { u"Label7", Kind::Label, u"域名：" },
};

constexpr Row trafficRanking[] = {
    { u"txtRenQi", Kind::LineEdit, u"", &verdana },
    { u"cmdRenQiChaxun", Kind::Button, u"查询" },
    { u"lblZG", Kind::Label, u"中国流量排名：" },
    { u"lblRenQiURL", Kind::Label, u"网址：" },
    { u"lblRenQi", Kind::Label, u"全球流量排名：" },
    { u"lblRenQiJS", Kind::Label,
      u"    "
      u"本功能可以查询您需要了解的网站的全球流量排名情况，骗子网站无论如何伪装，其流量等人气指标是无法伪装出来的。" },
    { u"lblRenQiZZ", Kind::Label, u"" },
};

constexpr Row popularity[] = {
    { u"txtLiuXing", Kind::LineEdit, u"", &verdana },
    { u"cmdLiuXingChaXun", Kind::Button, u"查询流行度" },
    { u"cmdShouLuChaXun", Kind::Button, u"查询收录数量" },
    { u"lblLiuXingURL", Kind::Label, u"网址：" },
    { u"lblLiuXing", Kind::Label, u"网站流行度：" },
    { u"lblLiuXingJS", Kind::Label,
      u"本功能可以查询全球最有名的两大搜索引擎对您需要查询网站的综合等级评价，骗子网站无论如何伪装，"
      u"其等级评价都是极低的。" },
    { u"lblLiuXingZZ", Kind::Label, u"" },
    { u"lblShouLu", Kind::Label, u"收录数：" },
};

constexpr Row icpRecord[] = {
    { u"Label22", Kind::Label, u"查询方法一：数据库式查询" },
    { u"Label23", Kind::Label, u"网址：" },
    { u"txtICP", Kind::LineEdit, u"", &verdana },
    { u"Command6", Kind::Button, u"查询" },
    { u"Label27", Kind::Label, u"优点：查询方便" },
    { u"Label25", Kind::Label, u"备案状态：" },
    { u"Label31", Kind::Label, u"缺点：不稳定，不准确，缺结果" },
    { u"Label30", Kind::Label, u"准备就绪" },
    { u"Label28", Kind::Label, u"查询方法二：信产部官网查询（打开后点击公共信息查询）" },
    { u"Command10", Kind::Button, u"打开信产部查询网址" },
    { u"Label29", Kind::Label, u"优点：结果全面，数据权威" },
    { u"Label32", Kind::Label, u"缺点：查询麻烦" },
    { u"WebICP", Kind::PageLoader },
    { u"Line2", Kind::Line },
};

constexpr Row urlSafety[] = {
    { u"Label13", Kind::Label, u"网址安全情况检查：" },
    { u"Label14", Kind::Label, u"网址：" },
    { u"txtUS", Kind::LineEdit, u"", nullptr, u"输入网址查询其安全性" },
    { u"cmdUS", Kind::Button, u"测试" },
    { u"lblUS", Kind::Label, u"准备就绪" },
    { u"imgSafe", Kind::Picture },
    { u"imgNoSafe", Kind::Picture },
    { u"imgNoKnow", Kind::Picture },
    { u"frmUS", Kind::Frame, u"恶意行为" },
    { u"chkUS1", Kind::CheckBox, u"带毒挂马", nullptr, u"网站本身含有或被插入恶意代码，用户访问就会中毒" },
    { u"chkUS2", Kind::CheckBox, u"钓鱼或诈骗", nullptr, u"伪装成知名网站或制造假网站，骗取用户帐号信息、钱财等" },
    { u"chkUS3", Kind::CheckBox, u"恶意推广", nullptr,
      u"通过病毒、流氓软件、垃圾邮件等方式把自己设为主页、弹出窗口、骗取用户点击" },
    { u"chkUS4", Kind::CheckBox, u"不安全下载", nullptr, u"通过该网站下载的文件含有病毒、流氓软件等不安全的程序" },
    { u"chkUS5", Kind::CheckBox, u"大量弹窗", nullptr, u"该网站不断弹出无法关闭的窗口" },
    { u"chkUS6", Kind::CheckBox, u"诱导链接", nullptr, u"该网站上有明显的指向其他不安全站点的链接，诱使用户点击" },
    { u"WebUS", Kind::PageLoader },
    { u"Label34", Kind::Label, u"网页挂马查询：" },
    { u"Label35", Kind::Label, u"网址：" },
    { u"txtGM", Kind::LineEdit, u"", nullptr, u"输入网址，查询其安全性，可输入详细页面" },
    { u"cmdGMCX", Kind::Button, u"测试" },
    { u"Label36", Kind::Label, u"当前状态：未知" },
};

constexpr Row businessRegistry[] = {
    { u"Frame1", Kind::Frame, u"请输入选项" },
    { u"Option2", Kind::OptionButton, u"选择市工商局资料" },
    { u"Option1", Kind::OptionButton, u"选择省工商局资料" },
    { u"Combo1", Kind::ComboBox },
    { u"Combo2", Kind::ComboBox },
    { u"Command1", Kind::Button, u"查询" },
    { u"Frame2", Kind::Frame, u"该地区查询地址如下" },
    { u"Label1", Kind::Label, u"工 商 查 询 ：" },
    { u"Label2", Kind::Label, u"企业信用查询：" },
    { u"Label3", Kind::Label, u"http:///", &verdana9 },
    { u"Label4", Kind::Label, u"http:///", &verdana9 },
};

constexpr Row mobileNumber[] = {
    { u"cmdShouJiChaXun", Kind::Button, u"查询" },
    { u"txtShouJi", Kind::LineEdit, u"", &verdana },
    { u"lblPost", Kind::Label, u"邮编：" },
    { u"lblShouJiHao", Kind::Label, u"手机号：" },
    { u"lblChengShi", Kind::Label, u"归属：" },
    { u"lblQuHao", Kind::Label, u"区号：" },
    { u"lblKaXing", Kind::Label, u"卡型：" },
    { u"lblShouJiJieShao", Kind::Label,
      u"本功能可以查询对方电话号码的所在地，网上购物时，如果对方的手机号与网页上显示地址不一致，那么对方可能是骗子。" },
    { u"lblShouJiZZ", Kind::Label, u"准备就绪" },
};

constexpr Row identityCard[] = {
    { u"txtShenFenZheng", Kind::LineEdit, u"", &verdana },
    { u"cmdShenFenZhengChaXun", Kind::Button, u"查询" },
    { u"lblSFZZZ", Kind::Label, u"" },
    { u"lblSFZJieShao", Kind::Label, u"本功能可以检验身份证的真实性，以及发证地点，身份证人的性别出生日期。" },
    { u"lblSFZSuoZai", Kind::Label, u"发证地：" },
    { u"lblChuSheng", Kind::Label, u"出生日期：" },
    { u"lblXingBie", Kind::Label, u"性别：" },
    { u"lblShuRuSFZ", Kind::Label, u"输入身份证：" },
};

constexpr Row fixedTelephone[] = {
    { u"Command5", Kind::Button, u"查询" },
    { u"Text3", Kind::LineEdit, u"", &verdana },
    { u"Text2", Kind::LineEdit, u"", &verdana },
    { u"cmdTelChaXun", Kind::Button, u"查询" },
    { u"txtTel", Kind::LineEdit, u"", &verdana },
    // A box of several lines: the district text of a number is often longer than the box is
    // wide, and a one-line box would show only its start.
    { u"txtTelWZ", Kind::TextBox, u"" },
    { u"Command4", Kind::Button, u"查询Email所在地" },
    { u"WebTel", Kind::PageLoader },
    { u"Label20", Kind::Label, u"电话号码" },
    { u"lblTel", Kind::Label, u"电话：" }, // two labels carry this name
    { u"Label19", Kind::Label, u"区号" },
    { u"Label18", Kind::Label, u"-", &xinSongTi },
    { u"Label17", Kind::Label,
      u"如果在左边数据库中无法查询您需要查询的电话号码所在地，您还可以尝试使用范围式查询，因为同号段电话号码位置在同一"
      u"地区，"
      u"优点：范围大，结果全面。                       格式：010-88888888" },
    { u"Label16", Kind::Label, u"范围式查询：" },
    { u"Label15", Kind::Label, u"数据库式查询：" },
    { u"lblTel", Kind::Label, u"电话：" },
    { u"lblTelJS", Kind::Label,
      u"本功能可以指导您通过对方固定电话查询对方所在地的具体位置（大概是街道区域），标志性建筑等信息。（数据库每3天自动"
      u"更新）" },
};

constexpr Row messengerPresence[] = {
    { u"Command9", Kind::Button, u"查询" },     { u"WebQQ", Kind::PageLoader },
    { u"Text4", Kind::LineEdit, u"" },          { u"Label26", Kind::Label, u"准备就绪" },
    { u"Label24", Kind::Label, u"对方情况：" }, { u"Label5", Kind::Label, u"输入QQ号：" },
};

constexpr Row celebrity[] = {
    { u"cmdMXCX", Kind::Button, u"查询", &yaHei },   { u"WebMX", Kind::PageLoader },
    { u"txtMXName", Kind::LineEdit, u"", &yaHei },   { u"lblMXName", Kind::Label, u"明星姓名：" },
    { u"lblMX2", Kind::Label, u"流行趋势硬指标：" }, { u"lblMX3", Kind::Label, u"广泛性人气指标：" },
    { u"lblMX4", Kind::Label, u"局限性人气指标：" }, { u"lblMX5", Kind::Label, u"流行趋势总指标：" },
    { u"lblMX6", Kind::Label, u"准备就绪" },
};

constexpr Row shopSearch[] = {
    { u"lblTB", Kind::Label, u"店铺名称：" },
    { u"txtTB", Kind::LineEdit, u"" },
    { u"cmdTBCX", Kind::Button, u"查询" },
    { u"lblTBZZ", Kind::Label, u"准备就绪" },
    { u"cmdTBURL", Kind::Button, u"已为您查询到信用，点击查看结果" },
    // A loader is no window control: it has no place, and belongs to the panel that uses it.
    { u"WebTB", Kind::PageLoader },
};

constexpr Row shopScoring[] = {
    { u"Label9", Kind::Label, u"查询后将查询结果输入在下边，然后按“开始评估”进行评估" },
    { u"Label33", Kind::Label, u"信用：" },
    { u"Text9", Kind::LineEdit, u"", nullptr, u"信用低扣分，信用高加分" },
    { u"Label37", Kind::Label, u"最近半年好评：" },
    { u"Text7", Kind::LineEdit, u"", nullptr, u"好评低扣分，好评高加分" },
    { u"Label39", Kind::Label, u"最近半年差评：" },
    { u"Text8", Kind::LineEdit, u"", nullptr, u"差评多扣分" },
    { u"Check2", Kind::CheckBox, u"消费者保障服务(如交保证金请打钩)", nullptr, u"不加入”消费者保障服务“扣分" },
    { u"Check3", Kind::CheckBox, u"违规行为(如有打钩)", nullptr, u"有违规行为扣分" },
    { u"Check4", Kind::CheckBox, u"退款纠纷(如有打钩)", nullptr, u"有退款纠纷扣分" },
    { u"Check5", Kind::CheckBox, u"投诉纠纷(如有打钩)", nullptr, u"有投诉纠纷扣分" },
    { u"Check6", Kind::CheckBox, u"处罚情况(如有打钩)", nullptr, u"有处罚情况扣分" },
    { u"Check7", Kind::CheckBox, u"宝贝与描述相符(比同行高打钩)", nullptr, u"比同行低扣分" },
    { u"Check8", Kind::CheckBox, u"卖家服务态度(比同行高打钩)", nullptr, u"卖家服务态度比同行差扣分" },
    { u"Check9", Kind::CheckBox, u"卖家发货速度(比同行高打钩)", nullptr, u"发货速度比同行慢扣分" },
    { u"Command13", Kind::Button, u"开始评估" },
    { u"Label38", Kind::Label, u"专    家    建    议" },
    // The report is several lines.
    { u"Text10", Kind::TextBox, u"暂无建议.\r\n" },
};

constexpr Row startUpWindow[] = {
    { u"Label1", Kind::Label, u"正在连接到服务器......", &yaHeiBold12 },
};

constexpr Row updateWindow[] = {
    { u"Label1", Kind::Label,
      u"请点击“检查”检测更新，如果有更新，更新完成后，请将文件解压到原目录并覆盖旧版本，然后重新运行本软件！"
      u"如果存在更新请点击“下载新版本”下载。" },
    { u"Label3", Kind::Label, u"点击“检查”查看可用更新" },
    { u"Label4", Kind::Label, u"本地版本：4.01" }, // as the window's load leaves it
    { u"Label5", Kind::Label, u"最新版本：" },
    { u"Text1", Kind::TextBox, u"" },
    { u"Option1", Kind::OptionButton, u"网通用户" },
    { u"Option2", Kind::OptionButton, u"电信用户" },
    { u"Frame1", Kind::Frame },
    { u"Image1", Kind::Picture },
    { u"Command1", Kind::Button, u"检查" },
    { u"Command2", Kind::Button, u"取消" },
    { u"Command3", Kind::Button, u"下载新版本" },
};

constexpr Row aboutWindow[] = {
    { u"Label1", Kind::Label, u"产品名称：Veldrin" },
    { u"Label2", Kind::Label, u"产品版本：4.0" },
    // The rights line, the maker's address and the legal warning are long texts; the About
    // window's own test checks them.
    { u"Label3", Kind::Label },
    { u"Label4", Kind::Label },
    { u"Label5", Kind::Label, u"已安装的组件：" },
    { u"List1", Kind::ListBox },
    { u"Label6", Kind::Label },
    { u"Label7", Kind::Label, u"产品图标：" },
    { u"Image1", Kind::Picture },
    { u"Label10", Kind::Label, u"Veldrin开发组研发" },
    { u"Command1", Kind::Button, u"确定" },
};

enum class Window
{
    Main,
    StartUp,
    Update,
    About
};

struct Inventory
{
    const char* title; // the test's name
    Window window;
    const char16_t* scope; // the control (a tool panel) whose children the rows are; null: the whole window
    std::span<const Row> rows;
};

const Inventory inventories[] = {
    { "MainWindow", Window::Main, nullptr, mainWindow },
    { "ToolGroups", Window::Main, nullptr, toolGroups },
    { "Menus", Window::Main, nullptr, menus },
    { "DomainRecord", Window::Main, u"frmYuMing", domainRecord },
    { "HostAddress", Window::Main, u"frmZhuJi", hostAddress },
    { "IpLocation", Window::Main, u"frmIP", ipLocation },
    { "HostList", Window::Main, u"frmSL", hostList },
    { "TrafficRanking", Window::Main, u"frmRenQi", trafficRanking },
    { "Popularity", Window::Main, u"frmLiuXing", popularity },
    { "IcpRecord", Window::Main, u"frmICP", icpRecord },
    { "UrlSafety", Window::Main, u"frmUSafe", urlSafety },
    { "BusinessRegistry", Window::Main, u"frmGongShang", businessRegistry },
    { "MobileNumber", Window::Main, u"frmShouJi", mobileNumber },
    { "IdentityCard", Window::Main, u"frmShenFenZheng", identityCard },
    { "FixedTelephone", Window::Main, u"frmTelWZ", fixedTelephone },
    { "MessengerPresence", Window::Main, u"frmQQ", messengerPresence },
    { "Celebrity", Window::Main, u"frmMX", celebrity },
    { "ShopSearch", Window::Main, u"frmTB", shopSearch },
    { "ShopScoring", Window::Main, u"frmTB", shopScoring },
    { "StartUpWindow", Window::StartUp, nullptr, startUpWindow },
    { "UpdateWindow", Window::Update, nullptr, updateWindow },
    { "AboutWindow", Window::About, nullptr, aboutWindow },
};

void PrintTo(const Inventory& inventory, std::ostream* os)
{
    *os << inventory.title;
}

std::unique_ptr<QWidget> build(Window window, Context& context)
{
    switch (window) {
    case Window::Main:
        return std::make_unique<Form1>(context);
    case Window::StartUp:
        return std::make_unique<Form3>(context);
    case Window::Update:
        return std::make_unique<Form5>(context);
    case Window::About:
        return std::make_unique<Form2>(context);
    }
    return nullptr;
}

// A frame as such: not one of the controls that Qt derives from QFrame (labels, text boxes).
bool isPlainFrame(const QObject* object)
{
    return object->metaObject() == &QFrame::staticMetaObject;
}

bool isLine(const QObject* object)
{
    const auto* frame = qobject_cast<const QFrame*>(object);
    return isPlainFrame(object) && (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine);
}

bool showsPicture(const QObject* object)
{
    const auto* label = qobject_cast<const QLabel*>(object);
    return label != nullptr && !label->pixmap().isNull();
}

bool isKind(const QObject* object, Kind kind)
{
    switch (kind) {
    case Kind::Window:
        return object->isWidgetType() && static_cast<const QWidget*>(object)->isWindow();
    case Kind::Frame:
        return qobject_cast<const QGroupBox*>(object) != nullptr || isPlainFrame(object);
    case Kind::Line:
        return isLine(object);
    case Kind::Button:
        return qobject_cast<const QPushButton*>(object) != nullptr;
    case Kind::PictureButton: {
        const auto* button = qobject_cast<const QPushButton*>(object);
        return button != nullptr && !button->icon().isNull();
    }
    case Kind::LineEdit:
        return qobject_cast<const QLineEdit*>(object) != nullptr;
    case Kind::TextBox:
        return qobject_cast<const QPlainTextEdit*>(object) != nullptr;
    case Kind::Label:
        return qobject_cast<const QLabel*>(object) != nullptr && !showsPicture(object);
    case Kind::Picture:
        return showsPicture(object);
    case Kind::ComboBox:
        return qobject_cast<const QComboBox*>(object) != nullptr;
    case Kind::CheckBox:
        return qobject_cast<const QCheckBox*>(object) != nullptr;
    case Kind::OptionButton:
        return qobject_cast<const QRadioButton*>(object) != nullptr;
    case Kind::ListBox:
        return qobject_cast<const QListWidget*>(object) != nullptr;
    case Kind::Menu:
        return qobject_cast<const QMenu*>(object) != nullptr;
    case Kind::MenuItem: {
        const auto* action = qobject_cast<const QAction*>(object);
        return action != nullptr && !action->isSeparator() && action->menu() == nullptr;
    }
    case Kind::Separator: {
        const auto* action = qobject_cast<const QAction*>(object);
        return action != nullptr && action->isSeparator();
    }
    case Kind::PageLoader:
        return qobject_cast<const PageLoader*>(object) != nullptr;
    }
    return false;
}

QString textOf(const QObject* object)
{
    if (const auto* menu = qobject_cast<const QMenu*>(object))
        return menu->title();
    if (const auto* action = qobject_cast<const QAction*>(object))
        return action->text();
    if (!object->isWidgetType())
        return {};
    const auto* widget = static_cast<const QWidget*>(object);
    if (widget->isWindow())
        return widget->windowTitle();
    return test::shownText(widget);
}

// The text as a control shows it: a text box holds a line break as LF alone.
QString shownForm(const Row& row)
{
    QString text = str(row.text);
    if (row.kind == Kind::TextBox)
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// What is wrong with one row's control; empty when nothing is.
QStringList faultsOf(const QObject* object, const Row& row)
{
    QStringList faults;
    if (!isKind(object, row.kind))
        faults << u"is a " + QString::fromLatin1(object->metaObject()->className()) + u" of another kind";
    if (row.text != nullptr && textOf(object) != shownForm(row))
        faults << u"shows \"" + textOf(object) + u"\", not \"" + shownForm(row) + u'"';
    if (row.font != nullptr) {
        const QFont font = object->isWidgetType() ? static_cast<const QWidget*>(object)->font() : QFont();
        if (font.family() != str(row.font->family))
            faults << u"is in " + font.family() + u", not " + str(row.font->family);
        if (row.font->points != 0 && font.pointSize() != row.font->points)
            faults << u"is " + QString::number(font.pointSize()) + u" pt, not " + QString::number(row.font->points);
        if (row.font->bold && !font.bold())
            faults << QStringLiteral("is not bold");
    }
    if (row.tip != nullptr) {
        const QString tip = object->isWidgetType() ? static_cast<const QWidget*>(object)->toolTip() : QString();
        if (tip != str(row.tip))
            faults << u"has the tip \"" + tip + u"\", not \"" + str(row.tip) + u'"';
    }
    return faults;
}

class Inventories : public ::testing::TestWithParam<Inventory>
{
};

TEST_P(Inventories, EveryControlHasItsKindTextAndFont)
{
    const Inventory& inventory = GetParam();
    test::TestSeams seams;
    const std::unique_ptr<QWidget> window = build(inventory.window, seams.context);
    ASSERT_NE(window, nullptr);
    const QObject* scope = window.get();
    if (inventory.scope != nullptr) {
        scope = window->findChild<QObject*>(str(inventory.scope));
        ASSERT_NE(scope, nullptr) << "no " << str(inventory.scope).toStdString();
    }

    QHash<QString, int> seen; // rows so far by name: two controls may share one
    for (const Row& row : inventory.rows) {
        const QString name = str(row.name);
        SCOPED_TRACE(name.toStdString());
        const int occurrence = seen[name]++;
        QList<QObject*> found;
        if (name == scope->objectName())
            found << const_cast<QObject*>(scope);
        else
            found = scope->findChildren<QObject*>(name);
        const auto rowsOfName = std::count_if(inventory.rows.begin(), inventory.rows.end(),
                                              [&](const Row& other) { return str(other.name) == name; });
        EXPECT_EQ(found.size(), rowsOfName) << "controls named " << name.toStdString();
        if (occurrence >= found.size())
            continue;

        const QObject* control = found[occurrence];
        const QStringList faults = faultsOf(control, row);
        if (!faults.isEmpty())
            ADD_FAILURE() << name.toStdString() << ' ' << faults.join(QStringLiteral("; ")).toStdString();
    }
}

// No named control outside the tables: a control under another name would be missed by every
// test that looks for it under the name the tables give.
TEST(Inventory, NoControlOutsideTheTables)
{
    for (const Window kind : { Window::Main, Window::StartUp, Window::Update, Window::About }) {
        test::TestSeams seams;
        const std::unique_ptr<QWidget> window = build(kind, seams.context);
        QSet<QString> named;
        for (const Inventory& inventory : inventories) {
            if (inventory.window == kind) {
                for (const Row& row : inventory.rows)
                    named.insert(str(row.name));
            }
        }
        for (const QObject* object : window->findChildren<QObject*>()) {
            const QString name = object->objectName();
            // Qt names the parts of its own controls, and its layouts.
            if (!name.isEmpty() && !name.startsWith(u"qt_") && qobject_cast<const QLayout*>(object) == nullptr) {
                EXPECT_TRUE(named.contains(name)) << window->objectName().toStdString() << " has " << name.toStdString()
                                                  << " (" << object->metaObject()->className() << ")";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, Inventories, ::testing::ValuesIn(inventories),
                         [](const ::testing::TestParamInfo<Inventory>& info) { return std::string(info.param.title); });

} // namespace
