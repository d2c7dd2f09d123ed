// A moving picture for the mirroring benchmark: a borderless window over the
// primary monitor whose whole content changes 60 times a second, like a
// video played full screen.
//   moving_picture [WIDTHxHEIGHT]   (default 1920x1080, at 0,0)

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

namespace {

class MovingPicture : public QRasterWindow {
public:
    MovingPicture() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(16);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            ++frame_;
            update();
        });
        timer_.start();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = width(), h = height();
        QLinearGradient g(QPointF((frame_ * 7) % w, 0), QPointF(w - (frame_ * 5) % w, h));
        g.setColorAt(0, QColor::fromHsv((frame_ * 3) % 360, 200, 230));
        g.setColorAt(1, QColor::fromHsv((frame_ * 3 + 180) % 360, 200, 120));
        p.fillRect(QRect(0, 0, w, h), g);
        for (int i = 0; i < 12; ++i) {
            const int x = (frame_ * (3 + i) + i * 150) % w, y = (frame_ * (2 + i % 4) + i * 80) % h;
            p.fillRect(x, y, 120, 90, QColor::fromHsv((i * 30 + frame_) % 360, 255, 255));
        }
    }

private:
    QTimer timer_;
    int frame_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QSize size(1920, 1080);
    if (argc > 1) {
        const QStringList parts = QString::fromLocal8Bit(argv[1]).split(QLatin1Char('x'));
        if (parts.size() == 2) size = QSize(parts[0].toInt(), parts[1].toInt());
    }
    MovingPicture window;
    window.setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
    window.setGeometry(QRect(QPoint(0, 0), size));
    window.show();
    return app.exec();
}
