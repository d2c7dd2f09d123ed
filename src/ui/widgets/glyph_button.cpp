#include "ui/widgets/glyph_button.h"

#include "ui/widgets/ui_font.h"

#include <QEnterEvent>
#include <QPainter>

namespace vz {

GlyphButton::GlyphButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFont(uiFont());
    setAttribute(Qt::WA_Hover);
}

void GlyphButton::setGlyph(const QPixmap& glyph) {
    glyph_ = glyph;
    update();
}

void GlyphButton::setFaceColor(const QColor& color) {
    if (face_ == color) return;
    face_ = color;
    update();
}

QColor GlyphButton::currentFaceColor() const {
    if (isDown()) return QColor::fromRgb(kPressedFace);
    if (hovered_ && isEnabled()) return QColor::fromRgb(kHoverFace);
    return face_;
}

QSize GlyphButton::sizeHint() const {
    if (!text().isEmpty()) {
        const QFontMetrics fm(font());
        return {fm.horizontalAdvance(text()) + 16, fm.height() + 10};
    }
    const QSize g = glyph_.isNull() ? QSize(16, 16) : glyph_.deviceIndependentSize().toSize();
    return g + QSize(16, 12);
}

void GlyphButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), currentFaceColor());
    if (!isEnabled()) p.setOpacity(0.45);
    if (!text().isEmpty()) {
        p.setPen(Qt::white);
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, text());
        return;
    }
    if (glyph_.isNull()) return;
    const QSize g = glyph_.deviceIndependentSize().toSize();
    const QPoint at((width() - g.width()) / 2, (height() - g.height()) / 2);
    p.drawPixmap(at, glyph_);
}

void GlyphButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void GlyphButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void GlyphButton::changeEvent(QEvent* event) {
    // A hidden or disabled button can miss its leave event.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) hovered_ = false;
    QAbstractButton::changeEvent(event);
}

void GlyphButton::hideEvent(QHideEvent* event) {
    hovered_ = false;
    QAbstractButton::hideEvent(event);
}

}  // namespace vz
