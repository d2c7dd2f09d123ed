#pragma once
// Makes the window picker's entries away from the user-interface thread:
// lists the windows and takes their pictures on a worker thread with a
// Windows service of its own, handing each entry over as soon as it is
// made, so that a long list never holds up the picker.
//
// Just after the service is opened, pictures are taken at once and taken
// again once the applications have redrawn what was covered: an entry then
// comes a second time, with the same window id, and replaces the first.
//
// A rebuild started while another runs replaces it: the older one stops
// after the window it is working on, and nothing of it is handed over.

#include "core/picker/window_list.h"
#include "core/threading/clock.h"
#include "core/threading/executor.h"
#include "core/threading/mailbox.h"
#include "platform/platform.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vz::picker {

class WindowThumbnails : public QObject {
    Q_OBJECT
public:
    using OpenWindows = std::function<std::unique_ptr<Windows>()>;
    // Inline: a rebuild is carried out at once on the calling thread with
    // `inlineWindows` (the fake platform in tests). Worker: on a thread of
    // its own, which opens its service with `open` at a rebuild and closes
    // it when the list is stopped.
    enum class Mode { Inline, Worker };
    WindowThumbnails(Mode mode, OpenWindows open, Windows* inlineWindows, qint64 ownProcessId,
                     QObject* parent = nullptr);
    ~WindowThumbnails() override;

    // Starts a new list; returns its number.
    std::uint64_t rebuild();
    // Stops the list being made; nothing more of it is handed over.
    void stop();
    // Moves the entries of the newest list made since the last call into
    // `into`, in list order. `finished` becomes true once that list is
    // complete and every entry of it was taken.
    void take(std::vector<Entry>& into, bool& finished);
    std::uint64_t generation() const;

signals:
    // Entries are waiting (sent once until they are taken), or the list is
    // complete.
    void entriesReady();

private:
    // What the worker is asked to do next; newer orders merge into waiting ones.
    struct Orders {
        std::optional<std::uint64_t> build;  // the list to make
        bool release = false;                // the list was stopped: close the service
    };
    // What the worker made of one list since the owner last took.
    struct Delivery {
        std::uint64_t generation = 0;
        std::vector<Entry> entries;
        bool finished = false;
    };
    void order(Orders orders);
    void receive();
    void carryOut();
    void build(Windows& windows, std::uint64_t generation);
    bool current(std::uint64_t generation) const;
    void deliver(std::uint64_t generation, std::optional<Entry> entry, bool last);

    OpenWindows open_;
    Windows* inlineWindows_;
    qint64 ownProcessId_;
    std::atomic<std::uint64_t> generation_{0};  // the newest list asked for (set by the owner)
    std::atomic<bool> stopping_{false};
    // Owner side: what was received of the newest list and not taken yet.
    std::vector<Entry> ready_;
    bool finished_ = false;
    bool signalled_ = false;

    // Worker side.
    std::unique_ptr<Windows> windows_;
    SteadyClock clock_;
    ClockWaiter redrawWait_;  // interrupted by a newer order

    Executor worker_;
    Mailbox<Orders> orders_;       // to the worker
    Mailbox<Delivery> delivered_;  // to the owner's thread
};

}  // namespace vz::picker
