#include "core/slideshow/picture_size_reader.h"

#include <algorithm>

namespace vz::slideshow {

// The readers yield to the user-interface thread (nice 10): on a machine
// with as many cores as readers, a waking UI thread then runs at once
// instead of waiting for a reader's time slice to end.
PictureSizeReader::PictureSizeReader(int threads, DecodeLimits limits, QObject* parent)
    : QObject(parent),
      limits_(limits),
      done_(this, [this] { deliver(); }),
      workers_(Executor::Mode::Worker, {std::max(1, threads), "picture sizes", 10}) {
    batchTimer_.setSingleShot(true);
    connect(&batchTimer_, &QTimer::timeout, this, &PictureSizeReader::deliver);
}

PictureSizeReader::~PictureSizeReader() {
    for (const auto& cancelled : std::as_const(wanted_)) *cancelled = true;
    workers_.shutdown();
}

quint64 PictureSizeReader::read(const QString& path) {
    const quint64 ticket = ++lastTicket_;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    wanted_.insert(ticket, cancelled);
    workers_.post([this, ticket, path, cancelled] {
        if (*cancelled) return;
        DecodedPicture picture = probePictureFile(path, limits_);
        if (*cancelled) return;
        done_.update([&](QList<Result>& done) { done.append(Result{ticket, std::move(picture)}); });
    });
    return ticket;
}

void PictureSizeReader::cancel(quint64 ticket) {
    if (const auto cancelled = wanted_.take(ticket)) *cancelled = true;
}

void PictureSizeReader::deliver() {
    // One hand-over per batch: the results that arrive before it runs join it.
    if (sinceLast_.isValid() && sinceLast_.elapsed() < kBatchMs) {
        if (!batchTimer_.isActive()) batchTimer_.start(int(kBatchMs - sinceLast_.elapsed()));
        return;
    }
    QList<Result> batch = done_.take().value_or(QList<Result>());
    // A read cancelled after it finished is not handed over.
    batch.removeIf([this](const Result& r) { return !wanted_.contains(r.ticket); });
    for (const Result& r : std::as_const(batch)) wanted_.remove(r.ticket);
    if (batch.isEmpty()) return;
    sinceLast_.start();
    emit sizesRead(batch);
}

}  // namespace vz::slideshow
