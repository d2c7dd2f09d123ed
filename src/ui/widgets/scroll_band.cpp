#include "ui/widgets/scroll_band.h"

#include "core/scaling/desk_geometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

namespace vz {

ScrollBand::ScrollBand(Platform& platform, QWidget* parent, Clock* clock) : QWidget(parent), platform_(platform) {
    if (!clock) {
        ownClock_ = std::make_unique<SteadyClock>();
        clock = ownClock_.get();
    }
    BandTicker::Callbacks callbacks;
    callbacks.repaintRequested = [this] { update(); };
    ticker_ = std::make_unique<BandTicker>(*clock, std::move(callbacks));
    // Ticks that only move the positions ask for a repaint.
    ticker_->reportTo(this, [this](const TickNews& news) {
        if (news.ticks > 0 && !surface_) update();
        if (news.wraps > 0) emit wrapped();
    });

    // The band draws its own window from the tick thread: a native window of
    // its own that the toolkit neither fills nor paints over.
    native_ = bool(platform_.openBandSurface) && QGuiApplication::platformName() == QLatin1String("xcb");
    if (native_) {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    ticker_->setLoopSpacing(1);
    ticker_->setEveryTickReported(true);
    ticker_->setTickSink(&positionsOnly_);
}

ScrollBand::~ScrollBand() {
    // The tick thread ends before the window and its surface go.
    ticker_->setTickSink(nullptr);
    surface_.reset();
}

QPaintEngine* ScrollBand::paintEngine() const { return native_ ? nullptr : QWidget::paintEngine(); }

void ScrollBand::setLook(const BandLook& look) {
    look_ = look;
    ticker_->setLook(look);
    update();
}

void ScrollBand::setText(const QString& text) {
    text_ = text;
    ticker_->setText(text);
}

void ScrollBand::openSurface() {
    if (!native_ || surface_ || !testAttribute(Qt::WA_WState_Created)) return;
    std::unique_ptr<BandSink> surface = platform_.openBandSurface(WindowId(winId()));
    if (!surface) return;
    ticker_->setTickSink(nullptr);  // the tick thread stops before the switch
    surface_ = std::move(surface);
    ticker_->setEveryTickReported(false);
    ticker_->setTickSink(surface_.get());
    update();
}

void ScrollBand::closeSurface() {
    if (!surface_) return;
    ticker_->setTickSink(nullptr);
    surface_.reset();
    ticker_->setEveryTickReported(true);
    ticker_->setTickSink(&positionsOnly_);
}

bool ScrollBand::event(QEvent* e) {
    if (e->type() == QEvent::WinIdChange) {
        closeSurface();
        if (internalWinId()) openSurface();
    }
    return QWidget::event(e);
}

void ScrollBand::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    openSurface();
}

void ScrollBand::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The band scrolls in device pixels: its own window is that large on
    // the screen, whatever the desktop's scale.
    ticker_->setSize(pixelSize());
}

QSize ScrollBand::pixelSize() const { return desk::toDevice(size(), devicePixelRatioF()); }

QImage ScrollBand::render() const {
    ImageBandSink sink(pixelSize());
    ticker_->paint(sink, QRect(QPoint(0, 0), pixelSize()));
    return sink.image();
}

void ScrollBand::paintEvent(QPaintEvent* e) {
    if (surface_) {
        ticker_->paint(*surface_, desk::toDevice(e->rect(), QRect(), devicePixelRatioF()));
        return;
    }
    if (native_) return;  // no surface yet: it draws everything once opened
    QPainter painter(this);
    const double ratio = devicePixelRatioF();
    if (ratio != 1.0) painter.scale(1.0 / ratio, 1.0 / ratio);
    painter.drawImage(0, 0, render());
}

}  // namespace vz
