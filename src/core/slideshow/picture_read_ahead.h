#pragma once
// Decoding pictures ahead of their turn: the players ask for the next
// picture while the current one shows, and a worker thread decodes it.

#include "core/scaling/row_workers.h"
#include "core/slideshow/picture_decoder.h"
#include "core/threading/executor.h"
#include "core/threading/mailbox.h"

#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace vz::slideshow {

// Where the players get their pictures from.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Starts decoding `path` for `bound` unless it is ready or under way.
    virtual void prefetch(const QString& path, QSize bound) = 0;
    // The picture when it is decoded (handed over once); otherwise nothing,
    // and decoding is started if it was not asked for yet.
    virtual std::optional<DecodedPicture> take(const QString& path, QSize bound) = 0;
};

// Decodes on one worker thread, first asked first done. Keeps at most
// kKeep pictures that nobody has taken yet; older ones are dropped. Used
// from one thread (the players'); the decoded pictures wait in a mailbox
// until that thread next asks.
class PictureReadAhead final : public PictureSource {
public:
    static constexpr int kKeep = 3;

    explicit PictureReadAhead(DecodeLimits limits = {});
    ~PictureReadAhead() override;  // waits for a decode under way to finish
    PictureReadAhead(const PictureReadAhead&) = delete;
    PictureReadAhead& operator=(const PictureReadAhead&) = delete;

    void prefetch(const QString& path, QSize bound) override;
    std::optional<DecodedPicture> take(const QString& path, QSize bound) override;

private:
    // Who has a queued decode: the worker when it starts it, or the owner
    // when it drops it first.
    enum Claim : int { Queued, Started, Dropped };
    struct Job {
        std::uint64_t id = 0;
        QString path;
        QSize bound;
        std::shared_ptr<std::atomic<int>> claim;
        std::optional<DecodedPicture> result;
    };
    struct Decoded {
        std::uint64_t id = 0;
        DecodedPicture picture;
    };
    std::deque<Job>::iterator find(const QString& path, QSize bound);
    void enqueue(const QString& path, QSize bound);
    // Moves the pictures the worker finished to their jobs.
    void collect();

    const DecodeLimits limits_;
    std::deque<Job> jobs_;  // the owner's
    std::uint64_t lastId_ = 0;
    RowWorkers* const rowWorkers_ = RowWorkers::lent();  // the constructing thread's
    Mailbox<std::vector<Decoded>> decoded_;              // from the worker
    Executor worker_;
};

// Decodes on the calling thread when asked: for tests and for single
// pictures that are needed at once.
class ImmediatePictures final : public PictureSource {
public:
    explicit ImmediatePictures(DecodeLimits limits = {}) : limits_(limits) {}
    void prefetch(const QString&, QSize) override {}
    std::optional<DecodedPicture> take(const QString& path, QSize bound) override {
        return decodePictureFile(path, bound, limits_);
    }

private:
    const DecodeLimits limits_;
};

}  // namespace vz::slideshow
