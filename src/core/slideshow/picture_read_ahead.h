#pragma once
// Decoding pictures ahead of their turn: the players ask for the next
// picture while the current one shows, and a worker thread decodes it.

#include "core/slideshow/picture_decoder.h"

#include <QSize>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

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
// kKeep pictures that nobody has taken yet; older ones are dropped.
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
    struct Job {
        QString path;
        QSize bound;
        bool running = false;
        std::optional<DecodedPicture> result;
    };
    std::deque<Job>::iterator find(const QString& path, QSize bound);
    void enqueue(const QString& path, QSize bound);
    void run();

    const DecodeLimits limits_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool quit_ = false;
    std::thread worker_;
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
