#pragma once
// Reads the sizes of many pictures on a small pool of worker threads (the
// header probe, no decoding) and hands the results to the thread that owns
// the reader in batches: at most one hand-over per kBatchMs, so a window
// that shows them repaints a few times a second, not once per picture.

#include "core/slideshow/picture_decoder.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QElapsedTimer>
#include <QThreadPool>
#include <QTimer>

#include <mutex>

namespace vz::slideshow {

class PictureSizeReader : public QObject {
    Q_OBJECT
public:
    struct Result {
        quint64 ticket = 0;
        DecodedPicture picture;  // fullSize or error; no image
    };

    static constexpr int kBatchMs = 100;

    explicit PictureSizeReader(int threads = 2, DecodeLimits limits = {}, QObject* parent = nullptr);
    ~PictureSizeReader() override;  // waits for the reads under way

    // Queues a read of `path`; the ticket (never 0) names its result.
    quint64 read(const QString& path);
    // The read of `ticket` is not wanted any more: if it has not started it
    // never runs, and no result with this ticket is handed over from now on.
    void cancel(quint64 ticket);

signals:
    // On the owner's thread, in the order the reads finished.
    void sizesRead(const QList<vz::slideshow::PictureSizeReader::Result>& results);

private:
    void deliver();

    const DecodeLimits limits_;
    QThreadPool pool_;
    QTimer batchTimer_;       // the next hand-over, when the last was recent
    QElapsedTimer sinceLast_; // since the last hand-over
    quint64 lastTicket_ = 0;
    std::mutex mutex_;
    QSet<quint64> wanted_;   // queued or under way, not cancelled
    QList<Result> done_;     // finished, not handed over yet
};

}  // namespace vz::slideshow
