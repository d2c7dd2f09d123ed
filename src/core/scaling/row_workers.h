#pragma once
// A small pool of threads kept alive for splitting per-frame picture work
// (rows of a resample, of a transition frame) over the cores without
// creating threads per frame.
//
// The program makes one pool (the App owns it) and lends it to its
// user-interface thread; an engine made on a thread takes the pool lent
// there and lends it to the threads it starts. The picture work (resample(),
// the transition frames) runs its rows on the pool lent to the calling
// thread, and on the calling thread alone where none is lent. Tests make
// pools of their own and lend them the same way.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vz {

class RowWorkers {
public:
    // One worker fewer than the machine has cores (at most 7).
    static int defaultWorkerCount();

    // Lends `workers` (may be null: none) to the calling thread while it
    // lives; the pool lent before comes back after it.
    class Lend {
    public:
        explicit Lend(RowWorkers* workers);
        ~Lend();
        Lend(const Lend&) = delete;
        Lend& operator=(const Lend&) = delete;

    private:
        RowWorkers* previous_;
    };
    // The pool lent to the calling thread, or null.
    static RowWorkers* lent();

    explicit RowWorkers(int workerCount = defaultWorkerCount());
    ~RowWorkers();
    RowWorkers(const RowWorkers&) = delete;
    RowWorkers& operator=(const RowWorkers&) = delete;

    // Threads that can take part in a run, the caller included.
    int threadCount() const { return int(threads_.size()) + 1; }

    // Calls task(chunk, slot) for every chunk in [0, chunks) and returns when
    // all are done. `slot` (0 for the calling thread, 1.. for the workers)
    // lets a task use per-thread buffers. When another thread is already
    // running a job here, the caller does all chunks itself with slot 0.
    template <class Task>
    void run(int chunks, Task& task) {
        runRaw(
            chunks, [](void* ctx, int chunk, int slot) { (*static_cast<Task*>(ctx))(chunk, slot); }, &task);
    }

private:
    using Fn = void (*)(void*, int, int);
    void runRaw(int chunks, Fn fn, void* ctx);
    void workerLoop(int slot);
    void drain(Fn fn, void* ctx, int slot);

    std::vector<std::thread> threads_;
    std::mutex dispatch_;  // one job at a time
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    unsigned generation_ = 0;
    bool open_ = false;  // workers may still join the current job
    bool stop_ = false;
    int active_ = 0;  // workers inside the current job
    Fn fn_ = nullptr;
    void* ctx_ = nullptr;
    int chunks_ = 0;
    std::atomic<int> next_{0};
};

}  // namespace vz
