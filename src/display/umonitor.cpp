// Stub: replaced by the output window's implementation.
#include "display/umonitor.h"
#include "app/app.h"
#include "display/image_view.h"
#include <QCloseEvent>
namespace vz {
TFmonitor::TFmonitor(App& app) : app_(app) { image = new ImageView(this); Pixa = new QWidget(this); rtmdis = new QWidget(this); }
void TFmonitor::ShowOnSecondary() { show(); }
void TFmonitor::ShowSimulated() { show(); }
void TFmonitor::bcMonitorClick() {}
bool TFmonitor::askSimulationQuestion() { return false; }
void TFmonitor::PixaDblClick() {}
void TFmonitor::X2SizeChange() {}
void TFmonitor::sbhideClick() {}
void TFmonitor::ximovetosecondClick() {}
void TFmonitor::sotClick() {}
void TFmonitor::yoom() {}
void TFmonitor::FormActivate() {}
void TFmonitor::chooseViewMode(int) {}
void TFmonitor::closeEvent(QCloseEvent* e) { QWidget::closeEvent(e); }
void TFmonitor::resizeEvent(QResizeEvent* e) { QWidget::resizeEvent(e); }
void TFmonitor::changeEvent(QEvent* e) { QWidget::changeEvent(e); }
void TFmonitor::contextMenuEvent(QContextMenuEvent*) {}
void TFmonitor::setFullScreenOn(const QRect&) {}
void TFmonitor::setNormalState(const QRect&) {}
}  // namespace vz
