#include "core/controller/area_selection.h"

namespace vz {

namespace {
// How long the windows get to leave the screen before the snapshot.
constexpr int kWindowsAsideSettleMs = 150;
}  // namespace

AreaSelection::AreaSelection(ScreenCapture* screen, const MonitorWatch& monitors, QObject* parent)
    : QObject(parent), screen_(screen), monitors_(monitors) {
    snapshotTimer_.setSingleShot(true);
    snapshotTimer_.setInterval(kWindowsAsideSettleMs);
    connect(&snapshotTimer_, &QTimer::timeout, this, &AreaSelection::takeSnapshot);
}

bool AreaSelection::begin(AreaPurpose purpose) {
    if (purpose_ != AreaPurpose::None || purpose == AreaPurpose::None) return false;
    purpose_ = purpose;
    // Continued from the event loop once the window system has moved the
    // windows, never by processing events here.
    snapshotTimer_.start();
    return true;
}

void AreaSelection::takeSnapshot() {
    if (purpose_ == AreaPurpose::None) return;
    const QRect primary = monitors_.primary();
    if (!screen_ || primary.isEmpty() || !screen_->captureScreen(primary, snapshot_)) {
        // The user can still drag on a black picture.
        snapshot_ = QImage(primary.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        snapshot_.fill(Qt::black);
        emit snapshotFailed();
    }
    emit overlayRequested(true);
}

void AreaSelection::finish(const Rect4& area) {
    if (purpose_ == AreaPurpose::None || snapshotPending()) return;
    const AreaPurpose purpose = purpose_;
    end();
    emit chosen(purpose, area);
}

void AreaSelection::cancel() {
    const AreaPurpose purpose = purpose_;
    if (purpose == AreaPurpose::None) return;
    end();
    emit cancelled(purpose);
}

void AreaSelection::end() {
    snapshotTimer_.stop();
    purpose_ = AreaPurpose::None;
    emit overlayRequested(false);
    snapshot_ = QImage();
}

}  // namespace vz
