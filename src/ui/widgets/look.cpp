#include "ui/widgets/look.h"

#include "ui/widgets/glyphs.h"

#include <QApplication>

namespace vz::look {

namespace {

QString rgb(const QColor& c) { return QStringLiteral("rgb(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

}  // namespace

QPalette palette() {
    QPalette p;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, kPanel);
        p.setColor(group, QPalette::WindowText, kText);
        p.setColor(group, QPalette::Button, kButtonFace);
        p.setColor(group, QPalette::ButtonText, kText);
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::AlternateBase, QColor(236, 237, 241));
        p.setColor(group, QPalette::Text, Qt::black);
        p.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 225));
        p.setColor(group, QPalette::ToolTipText, Qt::black);
        p.setColor(group, QPalette::Highlight, QColor(0, 120, 215));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Link, QColor(140, 200, 255));
        p.setColor(group, QPalette::LinkVisited, QColor(140, 200, 255));
        p.setColor(group, QPalette::Light, kPanel.lighter(140));
        p.setColor(group, QPalette::Midlight, kPanel.lighter(120));
        p.setColor(group, QPalette::Mid, kButtonFace.lighter(110));
        p.setColor(group, QPalette::Dark, kButtonFace.darker(130));
        p.setColor(group, QPalette::Shadow, Qt::black);
        p.setColor(group, QPalette::PlaceholderText, QColor(120, 120, 120));
    }
    p.setColor(QPalette::Disabled, QPalette::Window, kPanel);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(190, 192, 200));
    p.setColor(QPalette::Disabled, QPalette::Button, kButtonFace);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(150, 152, 160));
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(225, 225, 225));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
    return p;
}

QString buttonStyle() {
    return QStringLiteral(
               "QPushButton { color: white; background: %1; border: 1px solid %1; padding: 4px 12px; }"
               "QPushButton:hover { background: %2; border-color: %2; }"
               "QPushButton:pressed { background: %3; border-color: %3; }"
               "QPushButton:default, QPushButton:focus { border-color: rgb(170, 173, 190); }"
               "QPushButton:disabled { color: rgb(150, 152, 160); }")
        .arg(rgb(kButtonFace), rgb(kHoverFace), rgb(kPressedFace));
}

void install(QApplication* application) {
    QApplication::setPalette(palette());
    application->setStyleSheet(buttonStyle());
    QApplication::setWindowIcon(glyphs::trayIcon());
}

}  // namespace vz::look
