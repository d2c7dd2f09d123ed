#pragma once
// Reads the sizes of many pictures on a few worker threads (the header
// probe, no decoding) and hands the results to the thread that owns the
// reader through a mailbox, in batches: at most one hand-over per kBatchMs,
// so a window that shows them repaints a few times a second, not once per
// picture (the results wait in the mailbox meanwhile).

#include "core/slideshow/picture_decoder.h"
#include "core/threading/executor.h"
#include "core/threading/mailbox.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

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
    QTimer batchTimer_;        // the next hand-over, when the last was recent
    QElapsedTimer sinceLast_;  // since the last hand-over
    quint64 lastTicket_ = 0;
    // Queued or under way, not cancelled: a cancelled read that has not
    // started sees its flag and does not run.
    QHash<quint64, std::shared_ptr<std::atomic<bool>>> wanted_;
    Mailbox<QList<Result>> done_;  // finished, in the order they finished
    Executor workers_;
};

}  // namespace vz::slideshow
