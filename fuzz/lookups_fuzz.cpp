// libFuzzer target: any bytes as the answer of every service, through the panels of the
// lookups that cut, scan and rewrite page text, and through the update window's check. The
// page-text lookups get the bytes' text from a fetch that answers every address; the loader
// lookups get the bytes' page from a fake loader. Whatever comes in, each lookup ends, its panel
// is enabled again and every text it shows is well-formed.

#include "platform/innertext.h"
#include "platform/textcodec.h"
#include "platform/webtext.h"
#include "support/fakepageloader.h"
#include "support/panelkit.h"
#include "support/recorders.h"
#include "windows/form5.h"

#include <QApplication>
#include <QPushButton>
#include <QUrl>
#include <cstdint>
#include <cstdlib>

// The toolkit keeps what it builds for the first window (fonts, styles, caches) for the rest of
// the run; that is no leak of a lookup, and would otherwise be reported after the first input.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace {

using namespace veldrin;
using namespace veldrin::test;

void require(bool holds)
{
    if (!holds)
        std::abort();
}

void requireWellFormed(const QString& text)
{
    require(QStringView(text).isValidUtf16());
}

// Every text a user can read: each control's text and tip, named or not, and each box shown on
// the way with the controls behind it as they stood while it was up.
void requireWellFormedTexts(const QWidget& root, const QList<ShownBox>& boxes)
{
    requireWellFormed(root.windowTitle());
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        requireWellFormed(shownText(widget));
        requireWellFormed(widget->toolTip());
    }
    for (const ShownBox& box : boxes) {
        requireWellFormed(box.title);
        requireWellFormed(box.text);
        for (const Look& look : box.behind)
            requireWellFormed(look.text);
    }
}

struct Lookup
{
    const char16_t* frame;
    const char16_t* input;
    const char16_t* typed;
    const char16_t* button;
    const char16_t* loader; // null: the lookup fetches page text inside its handler
};

constexpr Lookup lookups[] = {
    { u"frmYuMing", u"txtYuMing", u"example.com", u"cmdYuMingChaXun", nullptr },
    { u"frmIP", u"txtIP", u"1.2.3.4", u"cmdIPChaXun", nullptr },
    { u"frmZhuJi", u"txtZhuJi", u"www.example.cn", u"cmdZhuJiChaXun", nullptr },
    { u"frmRenQi", u"txtRenQi", u"www.example.com", u"cmdRenQiChaxun", nullptr },
    { u"frmLiuXing", u"txtLiuXing", u"www.example.com", u"cmdLiuXingChaXun", nullptr },
    { u"frmLiuXing", u"txtLiuXing", u"www.example.com", u"cmdShouLuChaXun", nullptr },
    { u"frmUSafe", u"txtGM", u"www.example.com", u"cmdGMCX", nullptr },
    { u"frmShouJi", u"txtShouJi", u"13800138000", u"cmdShouJiChaXun", nullptr },
    { u"frmShenFenZheng", u"txtShenFenZheng", u"11010519491231002X", u"cmdShenFenZhengChaXun", nullptr },
    { u"frmICP", u"txtICP", u"www.example.com", u"Command6", u"WebICP" },
    { u"frmUSafe", u"txtUS", u"www.example.com", u"cmdUS", u"WebUS" },
    { u"frmTelWZ", u"txtTel", u"010-12345678", u"cmdTelChaXun", u"WebTel" },
    { u"frmMX", u"txtMXName", u"刘德华", u"cmdMXCX", u"WebMX" },
    { u"frmTB", u"txtTB", u"某店", u"cmdTBCX", u"WebTB" },
};

void runLookup(const Lookup& lookup, const QString& text, const HtmlPage& page)
{
    TestSeams seams;
    seams.context.pageText = [text](const QString&, const FetchLimits&) {
        return WebText { true, text, {} };
    };
    // The host lookup's name resolves and its echo is answered, so it goes on to the page.
    seams.net.addresses[QStringLiteral("www.example.cn")] = { ipv4(192, 0, 2, 7) };
    seams.net.echo = EchoResult { true, 1, {}, 0, {} };
    seams.net.answerFromDestination = true;
    FakeLoaderFactory loaders;
    loaders.install(seams.context);
    BuiltPanel built = buildPanel(str(lookup.frame), seams.context);
    require(built.panel != nullptr);
    seams.dialogs.watched = built.panel.get();
    auto* input = built.control<QLineEdit>(lookup.input);
    auto* button = built.control<QPushButton>(lookup.button);
    input->setText(str(lookup.typed));
    QTest::mouseClick(button, Qt::LeftButton);

    if (lookup.loader) {
        FakePageLoader* web = loaders.named(str(lookup.loader));
        require(web != nullptr);
        // The shop search may go on to a second page; it gets the same document.
        for (qsizetype served = 0; served < web->navigations.size() && served < 2; ++served)
            web->completeWith(page.innerText, page.links);
    }
    require(!built.panel->lookupRunning());
    require(input->isEnabled() && button->isEnabled());
    requireWellFormedTexts(*built.panel, seams.dialogs.boxes);
}

void runUpdateCheck(const QString& text)
{
    TestSeams seams;
    seams.context.pageText = [text](const QString&, const FetchLimits&) {
        return WebText { true, text, {} };
    };
    Form5 form5(seams.context);
    form5.setAttribute(Qt::WA_DeleteOnClose, false);
    seams.dialogs.watched = &form5;
    form5.show();
    QTest::mouseClick(form5.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    // The check stays disabled only when a newer version can be downloaded instead.
    require(form5.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled()
            || form5.findChild<QPushButton*>(QStringLiteral("Command3"))->isEnabled());
    requireWellFormedTexts(form5, seams.dialogs.boxes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: libFuzzer ends the run with exit(), and a toolkit torn down among the
    // other statics crashes on the way out.
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Parsed in this process, as the page-text fetch and the loader would in their parser's:
    // the fuzzer's coverage does not reach into a child.
    const QString text = innerTextOfUtf8HtmlInProcess(decodeGbkToUtf8(body));
    const HtmlPage page
        = parseUtf8HtmlPageInProcess(decodeDeclaredToUtf8({}, body), QUrl(QStringLiteral("http://127.0.0.1:9/")));
    for (const Lookup& lookup : lookups)
        runLookup(lookup, text, page);
    runUpdateCheck(text);
    return 0;
}
