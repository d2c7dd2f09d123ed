#pragma once
// One PipeWire video stream received on a thread of PipeWire's own: each
// picture goes into a CastFrames, with the compositor's damage where it
// sends it. Shared-memory buffers only (MemFd, MemPtr): the format offered
// carries no DMA-BUF modifiers, so the producer hands out memory we can map.

#include "platform/wayland/cast_frames.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace vz::wayland {

class PipeWireStream {
public:
    // Called once, on PipeWire's thread, when the stream stops for good
    // (the producer went away or failed), with the reason.
    using EndHandler = std::function<void(const QString& why)>;

    // Connects over `fd` (a PipeWire remote, e.g. the screen-cast portal's;
    // taken over, closed on failure too) to node `node`. Null with `*error`
    // set when the connection cannot be made.
    static std::unique_ptr<PipeWireStream> open(int fd, std::uint32_t node, std::shared_ptr<CastFrames> frames,
                                                EndHandler ended, QString* error);
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    // Pictures received so far.
    std::uint64_t pictures() const;

    struct State;

private:
    explicit PipeWireStream(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace vz::wayland
