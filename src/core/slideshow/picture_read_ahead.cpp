#include "core/slideshow/picture_read_ahead.h"

namespace vz::slideshow {

PictureReadAhead::PictureReadAhead(DecodeLimits limits)
    : limits_(limits), worker_(Executor::Mode::Worker, {1, "read-ahead"}) {}

PictureReadAhead::~PictureReadAhead() { worker_.shutdown(); }

std::deque<PictureReadAhead::Job>::iterator PictureReadAhead::find(const QString& path, QSize bound) {
    for (auto it = jobs_.begin(); it != jobs_.end(); ++it)
        if (it->path == path && it->bound == bound) return it;
    return jobs_.end();
}

void PictureReadAhead::enqueue(const QString& path, QSize bound) {
    Job job{++lastId_, path, bound, std::make_shared<std::atomic<int>>(Queued), std::nullopt};
    worker_.post([this, id = job.id, path, bound, claim = job.claim] {
        int queued = Queued;
        if (!claim->compare_exchange_strong(queued, Started)) return;  // dropped
        const RowWorkers::Lend lend(rowWorkers_);
        DecodedPicture picture = decodePictureFile(path, bound, limits_);
        decoded_.update([&](std::vector<Decoded>& done) { done.push_back({id, std::move(picture)}); });
    });
    jobs_.push_back(std::move(job));
    // Drop the oldest jobs nobody took, but never the one being decoded.
    // (The newest job, just asked for, stays whatever happens.)
    while (jobs_.size() > size_t(kKeep)) {
        auto victim = jobs_.begin();
        for (; victim + 1 != jobs_.end(); ++victim) {
            if (victim->result) break;  // decoded, not taken
            int queued = Queued;
            if (victim->claim->compare_exchange_strong(queued, Dropped)) break;  // never started
        }
        if (victim + 1 == jobs_.end()) break;
        jobs_.erase(victim);
    }
}

void PictureReadAhead::collect() {
    std::optional<std::vector<Decoded>> done = decoded_.take();
    if (!done) return;
    for (Decoded& decoded : *done)
        for (Job& job : jobs_)
            if (job.id == decoded.id) {
                job.result = std::move(decoded.picture);
                break;
            }
}

void PictureReadAhead::prefetch(const QString& path, QSize bound) {
    collect();
    if (find(path, bound) == jobs_.end()) enqueue(path, bound);
}

std::optional<DecodedPicture> PictureReadAhead::take(const QString& path, QSize bound) {
    collect();
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

}  // namespace vz::slideshow
