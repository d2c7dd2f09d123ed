#include "ui/widgets/ui_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>

namespace vz {

namespace {

// DejaVu Sans is on every Debian desktop (fonts-dejavu-core); where it is
// missing the application's font is used, so text never falls back to a
// random family chosen per window.
const QString& uiFamily() {
    static const QString family = [] {
        const QString preferred = QStringLiteral("DejaVu Sans");
        if (QFontDatabase::families().contains(preferred)) return preferred;
        return QApplication::font().family();
    }();
    return family;
}

}  // namespace

QFont uiFont(int pointSize, bool bold) {
    QFont font(uiFamily());
    font.setPointSize(pointSize > 0 ? pointSize : 9);
    font.setBold(bold);
    return font;
}

QLabel* panelLabel(const QString& text, QWidget* parent, const QRect& at, int pointSize, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setFont(uiFont(pointSize, bold));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    label->setGeometry(at);
    return label;
}

QPushButton* panelButton(const QString& text, QWidget* parent, const QRect& at) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(at);
    button->setAutoDefault(false);
    return button;
}

}  // namespace vz
