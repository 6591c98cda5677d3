#include "app/form1.h"
#include "app/picturebutton.h"
#include "checks/site/gongshangpanel.h"
#include "checks/site/registrydirectory.h"
#include "support/captionrecorder.h"
#include "support/faultcorpus.h"
#include "support/fixtureserver.h"
#include "support/recorders.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form5.h"
#include "windows/version.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <typeinfo>

using namespace veldrin;
using namespace veldrin::test;

namespace {

// The program sets no font of its own: every caption is measured at the toolkit's default
// ("Sans Serif" 9 pt, DejaVu Sans with Noto Sans CJK for the Chinese, the same offscreen and
// on X11), and at the fonts single controls set (Verdana links, the start-up status).

// The room a control's caption needs at the control's own font, and the room its box gives.
struct Fit
{
    QSize needed;
    QSize room;
    bool fits() const { return needed.width() <= room.width() && needed.height() <= room.height(); }
};

// The height a box needs so that one line of `text`, centred in it as labels and buttons
// centre their captions, shows all of its letters. The line's own height is not the measure:
// the tall line spacing of the Chinese fallback font leaves room above and below the letters
// that a box may cut without cutting any letter.
int lineHeightNeeded(const QFontMetrics& metrics, const QString& text)
{
    const QRect line = metrics.boundingRect(text);
    const QRect letters = metrics.tightBoundingRect(text);
    if (letters.isEmpty())
        return 0;
    const int ascent = -line.top();
    return std::max({ line.height() - 2 * (ascent + letters.top()), 2 * (ascent + letters.bottom() + 1) - line.height(),
                      letters.height() });
}

// One line of `text` (and a picture before it) against the area a style draws it in.
Fit lineFit(const QFontMetrics& metrics, const QString& text, QSize picture, QRect area)
{
    const int width = metrics.size(Qt::TextShowMnemonic, text).width();
    const int gap = picture.isEmpty() ? 0 : 4;
    return Fit { QSize(picture.width() + gap + width, std::max(picture.height(), lineHeightNeeded(metrics, text))),
                 area.size() };
}

QStyleOptionButton buttonOption(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (const auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat())
            option.features |= QStyleOptionButton::Flat;
    }
    return option;
}

// A button's caption (and picture) against the area inside its frame or beside its indicator,
// where the style draws them. The style's preferred size is not the measure: it asks for a
// wide minimum that a short caption such as "查询" never needs, and room for a focus frame.
// A push button of the program's own class draws its caption itself, onto more lines where
// one is too short (the main window's group and exit buttons); it is measured wrapped. A tool
// button lays out its picture and caption itself, and its size hint is what that layout needs.
Fit buttonFit(const QAbstractButton* button)
{
    if (const auto* tool = dynamic_cast<const PictureButton*>(button))
        return Fit { tool->sizeHint(), tool->size() };
    const QStyleOptionButton option = buttonOption(button);
    const QStyle::SubElement element = qobject_cast<const QPushButton*>(button) ? QStyle::SE_PushButtonContents
        : qobject_cast<const QCheckBox*>(button)                                ? QStyle::SE_CheckBoxContents
                                                                                : QStyle::SE_RadioButtonContents;
    const QRect area = button->style()->subElementRect(element, &option, button);
    const QSize picture = button->icon().isNull() ? QSize() : button->iconSize();
    const QFontMetrics metrics = button->fontMetrics();
    if (element != QStyle::SE_PushButtonContents || typeid(*button) == typeid(QPushButton))
        return lineFit(metrics, button->text(), picture, area);
    const int textWidth = area.width() - (picture.isEmpty() ? 0 : picture.width() + 4);
    const QSize text = metrics
                           .boundingRect(QRect(0, 0, textWidth, QWIDGETSIZE_MAX),
                                         Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, button->text())
                           .size();
    return Fit { QSize(area.width() - textWidth + text.width(), std::max(text.height(), picture.height())),
                 area.size() };
}

Fit groupBoxFit(const QGroupBox* box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box->isFlat())
        option.features |= QStyleOptionFrame::Flat;
    const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    // The caption must end inside the frame: the label's right edge, measured from the left.
    return Fit { QSize(label.right() + 1, 0), box->size() };
}

// What the caption of `widget` needs; nothing for a control without a caption.
std::optional<Fit> fitOf(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty())
            return std::nullopt;
        // Wrapped or broken into lines, the caption needs its lines' full height.
        if (label->wordWrap() || label->text().contains(u'\n'))
            return Fit { QSize(label->minimumSizeHint().width(), label->heightForWidth(label->width())),
                         label->size() };
        const Fit line = lineFit(label->fontMetrics(), label->text(), QSize(), label->contentsRect());
        return Fit { QSize(label->sizeHint().width(), line.needed.height()), label->size() };
    }
    const bool button = qobject_cast<const QPushButton*>(widget) != nullptr
        || qobject_cast<const QCheckBox*>(widget) != nullptr || qobject_cast<const QRadioButton*>(widget) != nullptr;
    if (button && !static_cast<const QAbstractButton*>(widget)->text().isEmpty())
        return buttonFit(static_cast<const QAbstractButton*>(widget));
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
        if (box->title().isEmpty())
            return std::nullopt;
        return groupBoxFit(box);
    }
    return std::nullopt;
}

std::string describe(const QWidget* widget, const Fit& fit)
{
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(widget->objectName(), shownText(widget))
        .arg(fit.needed.width())
        .arg(fit.needed.height())
        .arg(fit.room.width())
        .arg(fit.room.height())
        .toStdString();
}

// Every named control below `root` whose caption does not fit its box.
void expectCaptionsFit(const QWidget& root)
{
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty())
            continue;
        const std::optional<Fit> fit = fitOf(widget);
        if (fit) {
            EXPECT_TRUE(fit->fits()) << describe(widget, *fit);
        }
    }
}

void expectCaptionFits(const QWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    const std::optional<Fit> fit = fitOf(widget);
    ASSERT_TRUE(fit.has_value()) << widget->objectName().toStdString();
    EXPECT_TRUE(fit->fits()) << describe(widget, *fit);
}

const char16_t* const panelNames[] = {
    u"frmYuMing",    u"frmZhuJi",  u"frmIP",           u"frmSL",    u"frmRenQi", u"frmLiuXing", u"frmICP", u"frmUSafe",
    u"frmGongShang", u"frmShouJi", u"frmShenFenZheng", u"frmTelWZ", u"frmQQ",    u"frmMX",      u"frmTB",
};

// Captions that a lookup builds from a fixed start and a value or a fixed ending, which the
// recorded captions leave to the page (see EveryCaptionTheLookupsShowFitsItsBox): each at the
// widest value it takes.
struct ComposedCaptions
{
    const char16_t* panel;
    const char16_t* control;
    std::initializer_list<const char16_t*> captions;
};

const ComposedCaptions composedCaptions[] = {
    { u"frmZhuJi", u"lblZhuJiIP", { u"主机IP地址：255.255.255.255" } },
    { u"frmRenQi",
      u"lblRenQi",
      { u"全球流量排名：查无资料", u"全球流量排名：出错", u"全球流量排名：第 12,345,678 名" } },
    { u"frmRenQi", u"lblZG", { u"中国流量排名：查无资料", u"中国流量排名：出错", u"中国流量排名：第 12,345,678 名" } },
    { u"frmLiuXing", u"lblLiuXing", { u"网站流行度：没有找到该网站的信息", u"网站流行度：100 分" } },
    { u"frmLiuXing", u"lblShouLu", { u"收录数：12,345,678" } },
};

// Every caption of every tool panel as it opens, and its composed captions at their widest.
TEST(LayoutFit, EveryPanelCaptionFitsItsBox)
{
    for (const char16_t* name : panelNames) {
        SCOPED_TRACE(str(name).toStdString());
        TestSeams seams;
        BuiltPanel built = buildPanel(str(name), seams.context);
        ASSERT_NE(built.panel, nullptr);
        expectCaptionsFit(*built.panel);
        for (const ComposedCaptions& row : composedCaptions) {
            if (str(row.panel) != str(name))
                continue;
            for (const char16_t* caption : row.captions) {
                auto* control = built.control(row.control);
                ASSERT_NE(control, nullptr) << str(row.control).toStdString();
                setShownText(control, str(caption));
                expectCaptionFits(control);
            }
        }
    }
}

// Measures each caption of the program's own that a control shows, when it first shows it.
// Fixed means written whole in the program's sources (statuses, progress texts, fixed results):
// a text that carries a value cut from a page, or a fixed start with such a value after it, is
// the page's, and has no length of the program's to fit.
void measureFixedCaption(const QWidget& control, const QString& caption)
{
    if (isProgramText(caption))
        expectCaptionFits(&control);
}

// Runs `lookup` with `seams` and measures the fixed captions its panel shows; true when the
// lookup showed a caption the panel did not show as it opened.
bool measureLookup(TestSeams& seams, const Lookup& lookup)
{
    BuiltPanel built = buildPanel(str(lookup.frame), seams.context);
    if (!built.panel) {
        ADD_FAILURE() << "no panel " << str(lookup.frame).toStdString();
        return false;
    }
    CaptionRecorder recorder(*built.panel, measureFixedCaption);
    const qsizetype atOpening = recorder.captions().size();
    seams.dialogs.whileShown = [&] {
        recorder.recordNow();
    };
    EXPECT_TRUE(runLookup(built, lookup)) << "the lookup never ended";
    recorder.recordNow();
    seams.dialogs.whileShown = nullptr;
    return recorder.captions().size() > atOpening;
}

// Every fixed caption that the lookups show while they run over the fault corpus's pages,
// through the real fetch and the real loader, and over the few pages and answers that bring
// about the captions no hostile page does.
TEST(LayoutFit, EveryCaptionTheLookupsShowFitsItsBox)
{
    int lookupsShowingCaptions = 0;
    for (const Hostile hostile : allHostilePages()) {
        SCOPED_TRACE(nameOf(hostile));
        // A server of its own for each page: the stalled requests keep the server's workers.
        FixtureServer server;
        for (const Lookup& lookup : corpusLookups()) {
            SCOPED_TRACE(str(lookup.button).toStdString());
            TestSeams seams(server.host(), server.port());
            prepareLookup(server, seams, lookup, hostile);
            lookupsShowingCaptions += measureLookup(seams, lookup);
        }
        TestSeams seams;
        seams.net.toolOutput = toolOutputFor(hostListLookup().page, hostile);
        lookupsShowingCaptions += measureLookup(seams, hostListLookup());
    }
    EXPECT_GT(lookupsShowingCaptions, 0) << "no lookup showed a caption of its own";

    FixtureServer server;
    const auto lookupOf = [](const char16_t* button) {
        const std::vector<Lookup>& all = corpusLookups();
        return *std::find_if(all.cbegin(), all.cend(), [&](const Lookup& l) { return str(l.button) == str(button); });
    };
    // The record states other than "recorded", each named by a page of its own.
    for (const char16_t* state : { u"未备案", u"目前暂无该域名备案信息" }) {
        SCOPED_TRACE(str(state).toStdString());
        Lookup icp = lookupOf(u"Command6");
        icp.page = { str(state) };
        TestSeams seams(server.host(), server.port());
        prepareLookup(server, seams, icp, Hostile::SoundPage);
        measureLookup(seams, icp);
    }
    // A host name that resolves to nothing, so no echo is answered.
    {
        SCOPED_TRACE("unresolved host");
        const Lookup host = lookupOf(u"cmdZhuJiChaXun");
        TestSeams seams(server.host(), server.port());
        measureLookup(seams, host);
    }
}

// Every fixed caption of the update window's check over the corpus's pages, and over a page
// that publishes the program's own version.
TEST(LayoutFit, EveryCaptionTheUpdateCheckShowsFitsItsBox)
{
    PageParts ownVersion = versionPage();
    ownVersion[1] = localVersion();
    std::vector<std::pair<Hostile, PageParts>> pages;
    for (const Hostile hostile : allHostilePages())
        pages.emplace_back(hostile, versionPage());
    pages.emplace_back(Hostile::SoundPage, ownVersion);
    for (const auto& [hostile, page] : pages) {
        SCOPED_TRACE(nameOf(hostile));
        FixtureServer server;
        TestSeams seams(server.host(), server.port());
        useCorpusLimits(seams, hostile);
        serve(server, versionPagePath(), page, hostile);
        // The window deletes itself on closing; the guard covers that.
        QPointer<Form5> update = new Form5(seams.context);
        update->show();
        {
            CaptionRecorder recorder(*update, measureFixedCaption);
            seams.dialogs.whileShown = [&] {
                recorder.recordNow();
            };
            QTest::mouseClick(update->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
            recorder.recordNow();
            seams.dialogs.whileShown = nullptr;
        }
        delete update.data();
    }
}

// The business-registry links show every address of the directory whole, as they open it.
TEST(LayoutFit, EveryRegistryLinkIsShownWhole)
{
    TestSeams seams;
    BuiltPanel built = buildPanel(QStringLiteral("frmGongShang"), seams.context);
    auto* gongShang = static_cast<GongShangPanel*>(built.panel.get());
    gongShang->underlineLinks();
    gongShang->fillLists();
    const std::pair<RegistrySection, const char16_t*> sections[] = {
        { RegistrySection::Province, u"Option1" },
        { RegistrySection::City, u"Option2" },
    };
    for (const auto& [section, option] : sections) {
        QTest::mouseClick(built.control(option), Qt::LeftButton);
        auto* list = built.control<QComboBox>(section == RegistrySection::Province ? u"Combo1" : u"Combo2");
        for (const RegistryEntry& entry : registryEntries(section)) {
            SCOPED_TRACE(str(entry.name).toStdString());
            list->setCurrentIndex(list->findText(str(entry.name)));
            QTest::mouseClick(built.control(u"Command1"), Qt::LeftButton);
            EXPECT_EQ(built.control<QLabel>(u"Label3")->text(), str(entry.registry));
            expectCaptionFits(built.control(u"Label3"));
            expectCaptionFits(built.control(u"Label4"));
        }
    }
}

// The main window's own controls: group and tool buttons, the intro, the contacts.
TEST(LayoutFit, EveryMainWindowCaptionFitsItsBox)
{
    TestSeams seams;
    Form1 window(seams.context);
    window.show();
    expectCaptionsFit(window);
}

TEST(LayoutFit, EveryCaptionOfTheSmallWindowsFitsItsBox)
{
    TestSeams seams;
    Form2 about(seams.context);
    expectCaptionsFit(about);
    Form3 startUp(seams.context);
    expectCaptionsFit(startUp);
    Form5 update(seams.context);
    expectCaptionsFit(update);
}

} // namespace
