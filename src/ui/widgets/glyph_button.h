#pragma once
// A flat push button on a coloured panel: shows a glyph (or its text, in
// white) centred on a face that lightens while hovered and darkens while
// pressed. The hint is the ordinary tool tip.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace vz {

class GlyphButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QRgb kDefaultFace = 0xFF434A54;  // RGB 67, 74, 84
    static constexpr QRgb kHoverFace = 0xFF7C7C7C;    // RGB 124, 124, 124
    static constexpr QRgb kPressedFace = 0xFF646464;  // RGB 100, 100, 100

    explicit GlyphButton(QWidget* parent = nullptr);

    void setGlyph(const QPixmap& glyph);
    QPixmap glyph() const { return glyph_; }

    // The panel colour shown when neither hovered nor pressed.
    void setFaceColor(const QColor& color);
    QColor faceColor() const { return face_; }

    bool isHovered() const { return hovered_; }
    // The colour the face is painted in right now.
    QColor currentFaceColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPixmap glyph_;
    QColor face_{kDefaultFace};
    bool hovered_ = false;
};

}  // namespace vz
