// Stub: replaced by the settings dialog's implementation.
#include "display/uoptions.h"
#include "app/app.h"
#include <QCloseEvent>
namespace vz {
TFoptions::TFoptions(App& app) : app_(app) {}
void TFoptions::sbStopClick() {}
void TFoptions::SBMonitorClick() {}
void TFoptions::SBPartClick() {}
void TFoptions::SbWindowClick() {}
void TFoptions::SbClipboardClick() {}
void TFoptions::sbSlideShowClick() {}
void TFoptions::OpenSlideshow1Click() {}
void TFoptions::CreateSlideshow1Click() {}
void TFoptions::sbSkrolClick() {}
void TFoptions::sbCaptureClick() {}
void TFoptions::bcSlikaClick() {}
void TFoptions::bcToolBarClick() {}
void TFoptions::bcMonitorClick() {}
void TFoptions::PREDyoom(int) {}
void TFoptions::SpinScaleVrednostChange() {}
void TFoptions::spinrefreshChange() {}
void TFoptions::X2SizeChange() {}
void TFoptions::FormCreate() {}
void TFoptions::FormActivate() {}
void TFoptions::xiOKClick() {}
void TFoptions::markSource(GlyphButton* b) { marked_ = b; }
void TFoptions::tickViewModeBox(int) {}
int TFoptions::tickedViewMode() const { return 0; }
void TFoptions::moveEvent(QMoveEvent* e) { QWidget::moveEvent(e); }
void TFoptions::keyPressEvent(QKeyEvent* e) { QWidget::keyPressEvent(e); }
void TFoptions::closeEvent(QCloseEvent* e) { QWidget::closeEvent(e); }
void TFoptions::changeEvent(QEvent* e) { QWidget::changeEvent(e); }
}  // namespace vz
