#pragma once
// ScrollBand: a line of text scrolled from right to left without end, in
// real time. The band's engine ticks on a thread of its own (BandTicker) and,
// where the platform offers a surface for native windows, draws straight
// into this widget's own native window: the user-interface thread only
// repaints the band when the window system asks for it (or a change of text
// or look calls for it).
//
// Without such a surface (the fake platform, an offscreen run) the ticks
// only move the positions and the widget repaints itself after each tick.

#include "core/scrolltext/band_ticker.h"
#include "core/threading/clock.h"
#include "platform/platform.h"

#include <QWidget>

#include <memory>

namespace vz {

class ScrollBand : public QWidget {
    Q_OBJECT
public:
    // `clock` paces the ticks; the default is the steady clock.
    explicit ScrollBand(Platform& platform, QWidget* parent = nullptr, Clock* clock = nullptr);
    ~ScrollBand() override;

    BandTicker& ticker() { return *ticker_; }
    const BandTicker& ticker() const { return *ticker_; }
    // Background colour, font and text colour together (drops the picture).
    void setLook(const BandLook& look);
    const BandLook& look() const { return look_; }
    void setText(const QString& text);
    QString text() const { return text_; }

    // True when ticks draw into the native window themselves.
    bool drawsNatively() const { return surface_ != nullptr; }
    // The band as it looks now, drawn from the current positions.
    QImage render() const;
    // The band's size in device pixels (what it scrolls and draws).
    QSize pixelSize() const;

    QPaintEngine* paintEngine() const override;

signals:
    // A copy of the text left at the left edge (on the user-interface thread).
    void wrapped();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void openSurface();
    void closeSurface();

    Platform& platform_;
    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<BandTicker> ticker_;
    std::unique_ptr<BandSink> surface_;  // the native window, or null
    // Ticks without a native surface only move the positions.
    class PositionsOnly : public BandSink {
    public:
        void scrollLeft(int) override {}
        void fill(const QRect&, const QColor&) override {}
        void blit(const QImage&, const QRect&, const QPoint&) override {}
    } positionsOnly_;
    BandLook look_;
    QString text_;
    bool native_ = false;  // a surface can be had for this widget's window
};

}  // namespace vz
