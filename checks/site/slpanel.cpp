#include "checks/site/slpanel.h"

#include "app/panellayout.h"
#include "app/resulttext.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace veldrin {

namespace {

const QString errorTitle = QStringLiteral("错误");

} // namespace

QString tidyHostList(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + u"\r\n";
    text.remove(u' ');
    text.replace(QStringLiteral("Addresses:"), QStringLiteral("服务器主机信息：\r\n"));
    text.remove(hostListRemovedText.toString());
    return text;
}

SlPanel::SlPanel(Context& context, QWidget* parent)
    : ToolPanel(context, QStringLiteral("frmSL"), QStringLiteral("网站主机数量查询"), parent)
{
    const layout::InputRow row = layout::inputRowAt(360);
    addLabel(QStringLiteral("Label7"), QStringLiteral("域名："), row.prompt);
    const QFont verdana(QStringLiteral("Verdana"));
    m_txtSLURL = addLineEdit(QStringLiteral("txtSLURL"), row.box);
    m_txtSLURL->setFont(verdana);
    m_cmdGO = addButton(QStringLiteral("cmdGO"), QStringLiteral("查询"), row.button);
    m_txtSLJG = addTextBox(QStringLiteral("txtSLJG"), layout::lineAt(900, 2460));
    m_txtSLJG->setFont(verdana);
    m_txtSLJG->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QLabel* about = addLabel(QStringLiteral("Label8"),
                             QStringLiteral("本功能可以查询您需要了解的网站主机数量，骗子网站一般只有一个主机地址，"
                                            "如果一个网站有两个以上的主机，可信度就比较高了。"
                                            "（主机数量多少请看检查结果最后边有多少个IP地址）"),
                             layout::lineAt(3480, 1200));
    about->setTextFormat(Qt::PlainText);
    about->setWordWrap(true);

    connect(m_cmdGO, &QPushButton::clicked, this, [this] { cmdGO_Click(); });
    attachKeyHandler(m_txtSLURL, [this](int& k) { txtSLURL_KeyPress(k); });
}

QWidget* SlPanel::focusBox() const
{
    return m_txtSLURL;
}

void SlPanel::resetPanel()
{
    enableUnlessRunning(m_txtSLURL);
    m_txtSLURL->clear();
    enableUnlessRunning(m_cmdGO);
    m_txtSLJG->clear();
    m_txtSLJG->setEnabled(true);
}

void SlPanel::cmdGO_Click()
{
    queryStarting(QStringLiteral("cmdGO_Click"));
    const QString name = m_txtSLURL->text();
    if (name.startsWith(u"http") || name.startsWith(u"ftp"))
        return showBox(MsgCritical, errorTitle,
                       { QStringLiteral("输入时禁止输入“http”和“ftp”否则无法查询！请去掉！") });
    // The tool would read a leading "-" as an option, and an empty name as a request for its
    // interactive mode.
    if (name.isEmpty() || name.startsWith(u'-'))
        return showBox(MsgCritical, errorTitle, { QStringLiteral("请输入正确的域名！") });

    // The button, the input and the result box are enabled again in that order. While the
    // tool runs the window takes input; a panel reset then enables and empties the result box
    // but leaves the input and the button to this guard.
    BusyGuard busy(*this, { m_cmdGO, m_txtSLURL, m_txtSLJG }, BusyGuard::EnableOrder::AsListed);
    m_txtSLJG->setPlainText(QStringLiteral("正在查询服务器主机信息中..."));

    // Output is shown whether or not the name resolved; only no output at all is a failure.
    const ToolOutput output = context().runNameServer(name);
    QString shown = tidyHostList(output.lines);
    if (!output.ok)
        shown = QStringLiteral("查询失败，请稍后再试！");
    showInTextBox(m_txtSLJG, shown);
}

void SlPanel::txtSLURL_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyEnter)
        cmdGO_Click();
    refuseListed(KeyAscii, RefusedList::HostList);
}

} // namespace veldrin
