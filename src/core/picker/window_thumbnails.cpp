#include "core/picker/window_thumbnails.h"

namespace vz::picker {

WindowThumbnails::WindowThumbnails(Mode mode, OpenWindows open, Windows* inlineWindows, qint64 ownProcessId,
                                   QObject* parent)
    : QObject(parent),
      open_(std::move(open)),
      inlineWindows_(inlineWindows),
      ownProcessId_(ownProcessId),
      // The service is opened at the first rebuild and closed again when the
      // list is stopped (the picker hides): while it lives, the server keeps
      // an off-screen copy of every window, which costs the whole desktop.
      worker_(mode == Mode::Worker ? Executor::Mode::Worker : Executor::Mode::Inline, {1, "window pictures"}),
      orders_(worker_, [this] { carryOut(); }),
      delivered_(this, [this] { receive(); }) {}

WindowThumbnails::~WindowThumbnails() {
    stopping_ = true;
    redrawWait_.interrupt();
    worker_.shutdown();
    windows_.reset();  // the worker has ended: closed after its last use
}

std::uint64_t WindowThumbnails::rebuild() {
    const std::uint64_t generation = ++generation_;
    delivered_.clear();
    ready_.clear();
    finished_ = false;
    order({generation, false});
    return generation;
}

void WindowThumbnails::stop() {
    ++generation_;
    delivered_.clear();
    ready_.clear();
    finished_ = true;
    order({std::nullopt, true});
}

void WindowThumbnails::order(Orders orders) {
    orders_.update([&](Orders& waiting) { waiting = orders; });
    redrawWait_.interrupt();  // a list being made stops waiting for redraws
}

std::uint64_t WindowThumbnails::generation() const { return generation_; }

// What arrives of an older list (made before a rebuild or stop reached the
// worker) is dropped unseen.
void WindowThumbnails::receive() {
    std::optional<Delivery> delivery = delivered_.take();
    if (!delivery || delivery->generation != generation_) return;
    for (Entry& e : delivery->entries) ready_.push_back(std::move(e));
    if (delivery->finished) finished_ = true;
    if (signalled_) return;
    signalled_ = true;
    emit entriesReady();
}

void WindowThumbnails::take(std::vector<Entry>& into, bool& finished) {
    signalled_ = true;  // what waits is taken now, without a signal
    receive();
    for (Entry& e : ready_) into.push_back(std::move(e));
    ready_.clear();
    finished = finished_;
    signalled_ = false;
}

bool WindowThumbnails::current(std::uint64_t generation) const { return generation == generation_ && !stopping_; }

void WindowThumbnails::deliver(std::uint64_t generation, std::optional<Entry> entry, bool last) {
    if ((!entry && !last) || !current(generation)) return;
    delivered_.update([&](Delivery& delivery) {
        // What waits of an older list is of no use any more.
        if (delivery.generation != generation) delivery = Delivery{generation, {}, false};
        if (entry) delivery.entries.push_back(std::move(*entry));
        if (last) delivery.finished = true;
    });
}

void WindowThumbnails::build(Windows& windows, std::uint64_t generation) {
    const QVector<WindowInfo> list = candidates(windows.listWindows());
    // Pictures are taken at once; those taken before the applications could
    // redraw their covered parts are taken again once they have, and their
    // entries handed over a second time (the picker replaces them).
    const Clock::TimePoint redrawnBy = windows.redrawnBy();
    QVector<WindowInfo> early;
    for (const WindowInfo& window : list) {
        if (!current(generation)) return;
        const bool faithful = clock_.now() >= redrawnBy;
        std::optional<Entry> entry = makeEntry(windows, window, ownProcessId_, true);
        if (entry && !faithful && !entry->placeholder) early << window;
        deliver(generation, std::move(entry), false);
    }
    if (!early.isEmpty()) {
        if (current(generation)) clock_.waitUntil(redrawnBy, redrawWait_);
        for (const WindowInfo& window : early) {
            if (!current(generation)) return;
            if (std::optional<Entry> entry = makeEntry(windows, window, ownProcessId_, true))
                deliver(generation, std::move(entry), false);
        }
    }
    deliver(generation, std::nullopt, true);
}

void WindowThumbnails::carryOut() {
    // Interrupts from here on are for orders not taken yet.
    redrawWait_.reset();
    std::optional<Orders> orders = orders_.take();
    if (!orders) return;
    if (orders->release) {
        windows_.reset();  // closed on the thread that used it
        return;
    }
    if (!orders->build) return;
    Windows* windows = inlineWindows_;
    if (worker_.mode() == Executor::Mode::Worker) {
        if (!windows_ && open_) windows_ = open_();
        windows = windows_.get();
    }
    // Without a connection the list stays empty.
    if (windows)
        build(*windows, *orders->build);
    else
        deliver(*orders->build, std::nullopt, true);
}

}  // namespace vz::picker
