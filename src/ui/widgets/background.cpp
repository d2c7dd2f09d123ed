#include "ui/widgets/background.h"

#include <QPalette>
#include <QWidget>

namespace vz {

void fillBackground(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

}  // namespace vz
