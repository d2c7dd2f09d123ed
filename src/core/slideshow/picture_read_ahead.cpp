#include "core/slideshow/picture_read_ahead.h"

namespace vz::slideshow {

PictureReadAhead::PictureReadAhead(DecodeLimits limits) : limits_(limits), worker_([this] { run(); }) {}

PictureReadAhead::~PictureReadAhead() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

std::deque<PictureReadAhead::Job>::iterator PictureReadAhead::find(const QString& path, QSize bound) {
    for (auto it = jobs_.begin(); it != jobs_.end(); ++it)
        if (it->path == path && it->bound == bound) return it;
    return jobs_.end();
}

void PictureReadAhead::enqueue(const QString& path, QSize bound) {
    jobs_.push_back(Job{path, bound, false, std::nullopt});
    // Drop the oldest jobs nobody took, but never the one being decoded.
    while (jobs_.size() > size_t(kKeep)) {
        auto victim = jobs_.begin();
        while (victim != jobs_.end() && victim->running) ++victim;
        if (victim == jobs_.end() || victim + 1 == jobs_.end()) break;
        jobs_.erase(victim);
    }
    wake_.notify_all();
}

void PictureReadAhead::prefetch(const QString& path, QSize bound) {
    std::lock_guard lock(mutex_);
    if (find(path, bound) == jobs_.end()) enqueue(path, bound);
}

std::optional<DecodedPicture> PictureReadAhead::take(const QString& path, QSize bound) {
    std::lock_guard lock(mutex_);
    auto it = find(path, bound);
    if (it == jobs_.end()) {
        enqueue(path, bound);
        return std::nullopt;
    }
    if (!it->result) return std::nullopt;
    std::optional<DecodedPicture> result = std::move(it->result);
    jobs_.erase(it);
    return result;
}

void PictureReadAhead::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        auto next = jobs_.end();
        wake_.wait(lock, [&] {
            if (quit_) return true;
            for (next = jobs_.begin(); next != jobs_.end(); ++next)
                if (!next->running && !next->result) return true;
            return false;
        });
        if (quit_) return;
        next->running = true;
        const QString path = next->path;
        const QSize bound = next->bound;
        lock.unlock();
        DecodedPicture picture = decodePictureFile(path, bound, limits_);
        lock.lock();
        // The job may have moved in the deque, but is never removed while running.
        for (Job& job : jobs_)
            if (job.running && job.path == path && job.bound == bound) {
                job.running = false;
                job.result = std::move(picture);
                break;
            }
    }
}

}  // namespace vz::slideshow
