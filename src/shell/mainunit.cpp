// Stub: replaced by the toolbar's implementation.
#include "shell/mainunit.h"
#include "app/app.h"
#include <QCloseEvent>
namespace vz {
TMainForm::TMainForm(App& app) : app_(app) {}
void TMainForm::xiTekanjeClick() {}
void TMainForm::xbMenuClick() {}
void TMainForm::SpeedButton8Click() {}
void TMainForm::FormActivate() {}
void TMainForm::Timer1Timer() {}
void TMainForm::LoadSettings() {}
bool TMainForm::SaveSettings(QString*) { return true; }
void TMainForm::setOpacity(int a) { opacity_ = a; }
void TMainForm::showRunPicture(bool stop) { stopPicture_ = stop; }
void TMainForm::moveEvent(QMoveEvent* e) { QWidget::moveEvent(e); }
void TMainForm::closeEvent(QCloseEvent* e) { QWidget::closeEvent(e); }
void TMainForm::changeEvent(QEvent* e) { QWidget::changeEvent(e); }
}  // namespace vz
