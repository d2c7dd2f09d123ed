#include "ui/widgets/onoff_checkbox.h"

#include "ui/widgets/ui_font.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vz {

namespace {
constexpr int kBox = 13;  // tick box side
constexpr int kGap = 5;   // between box and caption
}  // namespace

OnOffCheckBox::OnOffCheckBox(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFont(uiFont());
    setCursor(Qt::PointingHandCursor);
}

OnOffCheckBox::OnOffCheckBox(const QString& caption, QWidget* parent) : OnOffCheckBox(parent) { setText(caption); }

QSize OnOffCheckBox::sizeHint() const {
    const QFontMetrics fm(font());
    // Room for the wider of the two captions so the box keeps its size
    // when the caption changes.
    const int textWidth = std::max({fm.horizontalAdvance(text()), fm.horizontalAdvance(QStringLiteral("Off")),
                                    fm.horizontalAdvance(QStringLiteral("On"))});
    return {kBox + kGap + textWidth + 2, std::max(kBox + 2, fm.height())};
}

bool OnOffCheckBox::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void OnOffCheckBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor ink = isEnabled() ? QColor(Qt::white) : QColor(160, 160, 160);
    const int top = (height() - kBox) / 2;
    const QRect box(1, top, kBox - 1, kBox - 1);

    p.setPen(QPen(ink, 1));
    p.setBrush(isDown() ? QColor(255, 255, 255, 60) : QColor(0, 0, 0, 40));
    p.drawRect(box);

    if (isChecked()) {
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath tick;
        tick.moveTo(box.left() + 2.5, box.top() + 6.5);
        tick.lineTo(box.left() + 5.0, box.top() + 9.5);
        tick.lineTo(box.left() + 10.0, box.top() + 3.0);
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    p.setPen(ink);
    p.setFont(font());
    const QRect textRect(kBox + kGap, 0, width() - kBox - kGap, height());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());

    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 255, 255, 110), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace vz
