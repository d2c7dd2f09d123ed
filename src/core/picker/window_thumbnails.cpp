#include "core/picker/window_thumbnails.h"

namespace vz::picker {

WindowThumbnails::WindowThumbnails(Mode mode, OpenWindows open, Windows* inlineWindows, qint64 ownProcessId,
                                   QObject* parent)
    : QObject(parent), mode_(mode), open_(std::move(open)), inlineWindows_(inlineWindows),
      ownProcessId_(ownProcessId) {
    // The service is opened at the first rebuild and closed again when the
    // list is stopped (the picker hides): while it lives, the server keeps
    // an off-screen copy of every window, which costs the whole desktop.
    if (mode_ == Mode::Worker) worker_ = std::thread([this] { run(); });
}

WindowThumbnails::~WindowThumbnails() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::uint64_t WindowThumbnails::rebuild() {
    std::uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        generation = ++generation_;
        ready_.clear();
        finished_ = false;
    }
    if (mode_ == Mode::Inline) {
        if (inlineWindows_) build(*inlineWindows_, generation);
        else deliver(generation, std::nullopt, true);
        return generation;
    }
    wake_.notify_all();
    return generation;
}

void WindowThumbnails::stop() {
    {
        std::lock_guard lock(mutex_);
        built_ = ++generation_;
        ready_.clear();
        finished_ = true;
        release_ = true;
    }
    wake_.notify_all();
}

std::uint64_t WindowThumbnails::generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

void WindowThumbnails::take(std::vector<Entry>& into, bool& finished) {
    std::lock_guard lock(mutex_);
    for (Entry& e : ready_) into.push_back(std::move(e));
    ready_.clear();
    finished = finished_;
    signalled_ = false;
}

bool WindowThumbnails::current(std::uint64_t generation) const {
    std::lock_guard lock(mutex_);
    return generation == generation_ && !stopping_;
}

void WindowThumbnails::deliver(std::uint64_t generation, std::optional<Entry> entry, bool last) {
    bool signal = false;
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
        if (entry) ready_.push_back(std::move(*entry));
        if (last) finished_ = true;
        if ((entry || last) && !signalled_) signalled_ = signal = true;
    }
    if (signal) emit entriesReady();
}

void WindowThumbnails::build(Windows& windows, std::uint64_t generation) {
    const QVector<WindowInfo> list = candidates(windows.listWindows());
    // Pictures are taken at once; those taken before the applications could
    // redraw their covered parts are taken again once they have, and their
    // entries handed over a second time (the picker replaces them).
    const auto redrawnBy = windows.redrawnBy();
    QVector<WindowInfo> early;
    for (const WindowInfo& window : list) {
        if (!current(generation)) return;
        const bool faithful = std::chrono::steady_clock::now() >= redrawnBy;
        std::optional<Entry> entry = makeEntry(windows, window, ownProcessId_, true);
        if (entry && !faithful && !entry->placeholder) early << window;
        deliver(generation, std::move(entry), false);
    }
    if (!early.isEmpty()) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait_until(lock, redrawnBy, [&] { return stopping_ || generation != generation_; });
        }
        for (const WindowInfo& window : early) {
            if (!current(generation)) return;
            if (std::optional<Entry> entry = makeEntry(windows, window, ownProcessId_, true))
                deliver(generation, std::move(entry), false);
        }
    }
    deliver(generation, std::nullopt, true);
}

void WindowThumbnails::run() {
    std::unique_ptr<Windows> windows;
    for (;;) {
        std::uint64_t generation;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || release_ || generation_ != built_; });
            if (stopping_) break;
            const bool release = release_ && generation_ == built_;
            release_ = false;
            if (release) {
                lock.unlock();
                windows.reset();
                continue;
            }
            generation = built_ = generation_;
        }
        if (!windows && open_) windows = open_();
        // Without a connection the list stays empty.
        if (windows)
            build(*windows, generation);
        else
            deliver(generation, std::nullopt, true);
    }
    windows.reset();  // closed on the thread that used it
}

}  // namespace vz::picker
