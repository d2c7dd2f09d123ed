#pragma once
// Where an engine's background work runs: on worker threads of the
// executor's own, one job after another in the order posted, or (in tests)
// at once on the thread that posts it.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vz {

// The worker threads of an executor.
struct ExecutorThreads {
    int count = 1;                // with one, jobs never overlap
    const char* name = "worker";  // as the system's tools show the threads
    int nice = 0;                 // above 0: the threads yield to the others
};

class Executor {
public:
    enum class Mode { Inline, Worker };

    explicit Executor(Mode mode, ExecutorThreads threads = {});
    // shutdown()
    ~Executor();
    Executor(const Executor&) = delete;
    Executor& operator=(const Executor&) = delete;

    // Runs `job` on a worker, after the jobs posted before it; inline: now,
    // before returning. Jobs posted after shutdown() are dropped.
    void post(std::function<void()> job);
    // Lets the jobs under way finish, drops those still waiting and ends the
    // threads. The owner calls it before anything its jobs use is destroyed.
    void shutdown();

    Mode mode() const { return mode_; }

private:
    void run();

    const Mode mode_;
    const ExecutorThreads workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace vz
