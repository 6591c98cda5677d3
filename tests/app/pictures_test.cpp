#include "app/form1.h"
#include "app/picturebutton.h"
#include "app/pictures.h"
#include "support/recorders.h"
#include "windows/form5.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <algorithm>
#include <gtest/gtest.h>

using namespace veldrin;
using veldrin::test::str;

namespace {

QImage imageOf(const QIcon& icon, int side)
{
    return icon.pixmap(side).toImage().convertToFormat(QImage::Format_ARGB32);
}

// A picture "reads" on a background when enough of it differs clearly from that background:
// the share of pixels whose blend over the background is at least this far from it in lightness.
constexpr int clearLightness = 60;

double shareStandingOut(const QImage& picture, QColor background)
{
    int standing = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            const double alpha = pixel.alphaF();
            const double lightness = alpha * pixel.lightness() + (1 - alpha) * background.lightness();
            if (std::abs(lightness - background.lightness()) >= clearLightness)
                ++standing;
        }
    }
    return double(standing) / (picture.width() * picture.height());
}

// Each SVG compiled in draws something at the tool buttons' size, in more than one colour, and
// enough of it stands out on a light and on a dark button face.
TEST(Pictures, EveryPictureRendersAndReadsOnLightAndDark)
{
    const QStringList files = QDir(QStringLiteral(":/pictures")).entryList({ QStringLiteral("*.svg") });
    ASSERT_EQ(files.size(), 19) << "a picture per tool button, the program's own and the update window's";
    const QColor light(239, 239, 239);
    const QColor dark(53, 53, 53);
    for (QString name : files) {
        name.chop(4);
        SCOPED_TRACE(name.toStdString());
        const QIcon icon = picture(name);
        ASSERT_FALSE(icon.isNull());
        for (const int side : { 14, 16, 48 }) {
            const QImage image = imageOf(icon, side);
            ASSERT_EQ(image.size(), QSize(side, side));
            int drawn = 0;
            QSet<QRgb> colours;
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    if (qAlpha(image.pixel(x, y)) >= 128) {
                        ++drawn;
                        colours.insert(image.pixel(x, y));
                    }
                }
            }
            EXPECT_GE(drawn, side * side / 6) << side;
            EXPECT_GE(colours.size(), 3) << side;
            EXPECT_GE(shareStandingOut(image, light), 0.15) << side << " on light";
            EXPECT_GE(shareStandingOut(image, dark), 0.15) << side << " on dark";
        }
    }
    EXPECT_TRUE(picture(QStringLiteral("no-such-picture")).isNull());
}

struct ToolPicture
{
    const char16_t* button;
    const char16_t* picture;
};

constexpr ToolPicture toolPictures[] = {
    { u"cmdShouJi", u"phone" },    { u"cmdIP", u"globe" },           { u"cmdShenFenZheng", u"idcard" },
    { u"cmdYuMing", u"domain" },   { u"mnuFileSafe", u"filecheck" }, { u"Command11", u"postcode" },
    { u"cmdZhuJi", u"server" },    { u"cmdPaiming", u"ranking" },    { u"cmdLiuXing", u"popularity" },
    { u"Command3", u"hosts" },     { u"Command8", u"messenger" },    { u"Command12", u"star" },
    { u"cmdICP", u"certificate" }, { u"cmdGongShang", u"registry" }, { u"cmdEmail", u"emailphone" },
    { u"cmdSafe", u"urlsafety" },  { u"Command7", u"shop" },
};

// Every tool button, the two link tools included, shows the picture named for it beside its
// caption, and both fit the button: its size hint (caption whole, picture at its smallest) is
// within the fixed size, and the picture really is drawn. No two buttons show the same
// picture: their icons, rendered at the size the buttons draw them, all differ.
TEST(Pictures, EveryToolButtonShowsItsOwnPictureAndCaption)
{
    test::TestSeams seams;
    Form1 window(seams.context);
    window.show();
    QList<std::pair<QString, QImage>> shownPictures;
    for (int group = 0; group < 3; ++group) {
        // The buttons are drawn only while their group is open.
        if (group == 0)
            window.cmdChuJi_Click();
        else if (group == 1)
            window.cmdZhongJi_Click();
        else
            window.cmdGaoji_Click();
        for (const ToolPicture& row : toolPictures) {
            auto* button = window.findChild<QPushButton*>(str(row.button));
            ASSERT_NE(button, nullptr) << str(row.button).toStdString();
            const bool seen = std::any_of(shownPictures.cbegin(), shownPictures.cend(),
                                          [&](const auto& shown) { return shown.first == button->objectName(); });
            if (!button->isVisible() || seen)
                continue;
            SCOPED_TRACE(button->objectName().toStdString());
            EXPECT_FALSE(button->text().isEmpty());
            ASSERT_FALSE(button->icon().isNull());
            const QImage expected = imageOf(picture(str(row.picture)), 16);
            EXPECT_EQ(imageOf(button->icon(), 16), expected);
            const QSize hint = button->sizeHint();
            EXPECT_LE(hint.width(), button->width()) << hint.width();
            EXPECT_LE(hint.height(), button->height()) << hint.height();

            const QImage withPicture = button->grab().toImage();
            const QIcon shown = button->icon();
            button->setIcon(QIcon());
            EXPECT_NE(button->grab().toImage(), withPicture) << "the picture is drawn";
            button->setIcon(shown);
            shownPictures.append({ button->objectName(), imageOf(shown, button->iconSize().width()) });
        }
    }
    EXPECT_EQ(shownPictures.size(), qsizetype(std::size(toolPictures)));
    // The tool buttons' class has no meta-object of its own, so they are told apart by type.
    const QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
    EXPECT_EQ(std::count_if(buttons.cbegin(), buttons.cend(),
                            [](const QPushButton* b) { return dynamic_cast<const PictureButton*>(b) != nullptr; }),
              shownPictures.size())
        << "a tool button off the table";

    for (qsizetype i = 0; i < shownPictures.size(); ++i) {
        for (qsizetype j = i + 1; j < shownPictures.size(); ++j) {
            EXPECT_NE(shownPictures[i].second, shownPictures[j].second)
                << shownPictures[i].first.toStdString() << " and " << shownPictures[j].first.toStdString()
                << " show the same picture";
        }
    }
}

// The program's own icon marks every window, not a stock one.
TEST(Pictures, TheProgramIconIsEveryWindowsIcon)
{
    installProgramIcon();
    const QImage expected = imageOf(picture(QStringLiteral("veldrin")), 32);
    EXPECT_EQ(imageOf(QApplication::windowIcon(), 32), expected);
    test::TestSeams seams;
    Form1 window(seams.context);
    EXPECT_EQ(imageOf(window.windowIcon(), 32), expected);
    QApplication::setWindowIcon(QIcon());
}

// The update window's picture is the program's own update picture at the picture control's size,
// not the style's reload arrow.
TEST(Pictures, TheUpdateWindowShowsItsOwnPicture)
{
    test::TestSeams seams;
    Form5 update(seams.context);
    auto* Image1 = update.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(Image1, nullptr);
    const QImage shown = Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), Image1->size());
    const int side = Image1->width();
    EXPECT_EQ(shown, imageOf(picture(QStringLiteral("update")), side));
    EXPECT_NE(shown, imageOf(update.style()->standardIcon(QStyle::SP_BrowserReload), side));
}

} // namespace
