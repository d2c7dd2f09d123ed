#include "core/scaling/row_workers.h"

#include <algorithm>

namespace vz {

namespace {
thread_local RowWorkers* lentHere = nullptr;
}

int RowWorkers::defaultWorkerCount() { return std::clamp(int(std::thread::hardware_concurrency()) - 1, 0, 7); }

RowWorkers::Lend::Lend(RowWorkers* workers) : previous_(lentHere) { lentHere = workers; }

RowWorkers::Lend::~Lend() { lentHere = previous_; }

RowWorkers* RowWorkers::lent() { return lentHere; }

RowWorkers::RowWorkers(int workerCount) {
    threads_.reserve(size_t(std::max(0, workerCount)));
    for (int i = 0; i < workerCount; ++i) threads_.emplace_back([this, i] { workerLoop(i + 1); });
}

RowWorkers::~RowWorkers() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void RowWorkers::drain(Fn fn, void* ctx, int slot) {
    for (int chunk = next_.fetch_add(1); chunk < chunks_; chunk = next_.fetch_add(1)) fn(ctx, chunk, slot);
}

void RowWorkers::runRaw(int chunks, Fn fn, void* ctx) {
    if (chunks <= 0) return;
    std::unique_lock job(dispatch_, std::try_to_lock);
    if (!job.owns_lock() || threads_.empty() || chunks == 1) {
        for (int chunk = 0; chunk < chunks; ++chunk) fn(ctx, chunk, 0);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        fn_ = fn;
        ctx_ = ctx;
        chunks_ = chunks;
        next_.store(0);
        ++generation_;
        open_ = true;
    }
    wake_.notify_all();
    drain(fn, ctx, 0);
    // Workers that have not woken yet stay out; wait for those inside.
    std::unique_lock lock(mutex_);
    open_ = false;
    done_.wait(lock, [this] { return active_ == 0; });
}

void RowWorkers::workerLoop(int slot) {
    unsigned seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || (open_ && generation_ != seen); });
        if (stop_) return;
        seen = generation_;
        ++active_;
        const Fn fn = fn_;
        void* const ctx = ctx_;
        lock.unlock();
        drain(fn, ctx, slot);
        lock.lock();
        if (--active_ == 0) done_.notify_all();
    }
}

}  // namespace vz
