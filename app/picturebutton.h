#pragma once

#include <QPushButton>

namespace veldrin {

// A tool button: its picture and its caption inside the fixed button size. A one-line caption
// has the picture above it; a caption that needs two lines ("Email所在地、电话具体位置" breaks
// after its "、") has the picture at its left, since the button is too shallow for both above
// each other. The picture shrinks a little rather than crowd the caption.
class PictureButton final : public QPushButton
{
public:
    PictureButton(const QString& caption, const QIcon& picture, QWidget* parent);

    // The smallest size that shows the caption whole and the picture at its smallest side.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    struct Arrangement
    {
        QRect picture;
        QRect text;
        QStringList lines;
    };
    QRect area() const;
    QStringList lines() const;
    Arrangement arrange() const;
};

} // namespace veldrin
