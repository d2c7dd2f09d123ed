#include "app/probe.h"

#include <QFile>

#include <algorithm>

namespace vz {

namespace {
constexpr int kProbeMs = 10;
}

Probe* Probe::createIfAsked(QObject* parent) {
    const QString path = qEnvironmentVariable("VIVIVOZ_PROBE");
    return path.isEmpty() ? nullptr : new Probe(path, parent);
}

Probe::Probe(const QString& path, QObject* parent) : QObject(parent), path_(path) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kProbeMs);
    connect(&timer_, &QTimer::timeout, this, &Probe::tick);
    // VIVIVOZ_PROBE_WARMUP seconds of start-up are left out.
    const int warmupMs = qEnvironmentVariableIntValue("VIVIVOZ_PROBE_WARMUP") * 1000;
    QTimer::singleShot(warmupMs, this, [this] {
        frames_ = 0;
        clock_.start();
        last_ = clock_.nsecsElapsed();
        // VIVIVOZ_PROBE_TIMER=0: frames only, no timer of our own (the
        // timer's wake-ups would count in an idle program's CPU).
        if (qEnvironmentVariable("VIVIVOZ_PROBE_TIMER") != QLatin1String("0")) timer_.start();
    });
}

Probe::~Probe() { write(); }

void Probe::tick() {
    const qint64 now = clock_.nsecsElapsed();
    lateness_.push_back(std::max<qint64>(0, (now - last_) / 1000 - kProbeMs * 1000));
    last_ = now;
}

void Probe::write() {
    if (!clock_.isValid()) return;
    QFile f(path_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    std::vector<qint64> l = lateness_;
    std::sort(l.begin(), l.end());
    auto at = [&](double q) { return l.empty() ? 0 : l[std::min(l.size() - 1, size_t(q * double(l.size())))]; };
    f.write(QStringLiteral("seconds %1\nframes %2\nprobe_ticks %3\nprobe_p50_us %4\nprobe_p99_us %5\nprobe_max_us %6\n")
                .arg(double(clock_.nsecsElapsed()) / 1e9)
                .arg(frames_)
                .arg(l.size())
                .arg(at(0.5))
                .arg(at(0.99))
                .arg(l.empty() ? 0 : l.back())
                .toUtf8());
}

}  // namespace vz
