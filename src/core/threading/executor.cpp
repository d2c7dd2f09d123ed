#include "core/threading/executor.h"

#include "platform/threads.h"

#include <algorithm>

namespace vz {

Executor::Executor(Mode mode, ExecutorThreads threads) : mode_(mode), workers_(threads) {
    if (mode_ == Mode::Inline) return;
    const int count = std::max(1, workers_.count);
    threads_.reserve(size_t(count));
    for (int i = 0; i < count; ++i) threads_.emplace_back([this] { run(); });
}

Executor::~Executor() { shutdown(); }

void Executor::post(std::function<void()> job) {
    if (mode_ == Mode::Inline) {
        if (!stopping_) job();
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void Executor::shutdown() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

void Executor::run() {
    posix::setCurrentThreadName(workers_.name);
    if (workers_.nice != 0) posix::setCurrentThreadNice(workers_.nice);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        job = nullptr;  // what the job holds goes on this thread, unlocked
        lock.lock();
    }
}

}  // namespace vz
