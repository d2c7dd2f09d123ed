// Stub: replaced by the preview window's implementation.
#include "display/uslika.h"
#include "app/app.h"
#include "display/image_view.h"
#include <QCloseEvent>
#include <QLabel>
namespace vz {
TFslika::TFslika(App& app) : app_(app) { Panel1 = new QWidget(this); Slika = new ImageView(Panel1); pscroll = new QLabel(this); }
void TFslika::FormActivate() {}
void TFslika::closeEvent(QCloseEvent* e) { QWidget::closeEvent(e); }
void TFslika::moveEvent(QMoveEvent* e) { QWidget::moveEvent(e); }
void TFslika::changeEvent(QEvent* e) { QWidget::changeEvent(e); }
bool TFslika::eventFilter(QObject* w, QEvent* e) { return QWidget::eventFilter(w, e); }
}  // namespace vz
