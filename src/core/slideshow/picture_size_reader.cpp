#include "core/slideshow/picture_size_reader.h"

#include <QMetaObject>

#include <algorithm>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vz::slideshow {

namespace {

// The readers yield to the UI thread: on a machine with as many cores as
// readers, a waking UI thread then runs at once instead of waiting for a
// reader's time slice to end. (On Linux a thread has its own nice value.)
void lowerThisThreadsPriority() {
    thread_local bool lowered = false;
    if (lowered) return;
    lowered = true;
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
}

}  // namespace

PictureSizeReader::PictureSizeReader(int threads, DecodeLimits limits, QObject* parent)
    : QObject(parent), limits_(limits) {
    pool_.setMaxThreadCount(std::max(1, threads));
    batchTimer_.setSingleShot(true);
    connect(&batchTimer_, &QTimer::timeout, this, &PictureSizeReader::deliver);
}

PictureSizeReader::~PictureSizeReader() {
    {
        std::lock_guard lock(mutex_);
        wanted_.clear();
    }
    pool_.clear();
    pool_.waitForDone();
}

quint64 PictureSizeReader::read(const QString& path) {
    const quint64 ticket = ++lastTicket_;
    {
        std::lock_guard lock(mutex_);
        wanted_.insert(ticket);
    }
    pool_.start([this, ticket, path] {
        lowerThisThreadsPriority();
        {
            std::lock_guard lock(mutex_);
            if (!wanted_.contains(ticket)) return;
        }
        DecodedPicture picture = probePictureFile(path, limits_);
        bool first = false;
        {
            std::lock_guard lock(mutex_);
            if (!wanted_.contains(ticket)) return;
            first = done_.isEmpty();
            done_.append(Result{ticket, std::move(picture)});
        }
        // One hand-over per batch: the results that arrive before it runs join it.
        if (first) QMetaObject::invokeMethod(this, [this] { deliver(); }, Qt::QueuedConnection);
    });
    return ticket;
}

void PictureSizeReader::cancel(quint64 ticket) {
    std::lock_guard lock(mutex_);
    wanted_.remove(ticket);
    done_.removeIf([ticket](const Result& r) { return r.ticket == ticket; });
}

void PictureSizeReader::deliver() {
    if (sinceLast_.isValid() && sinceLast_.elapsed() < kBatchMs) {
        if (!batchTimer_.isActive()) batchTimer_.start(int(kBatchMs - sinceLast_.elapsed()));
        return;
    }
    QList<Result> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(done_);
        for (const Result& r : batch) wanted_.remove(r.ticket);
    }
    if (batch.isEmpty()) return;
    sinceLast_.start();
    emit sizesRead(batch);
}

}  // namespace vz::slideshow
