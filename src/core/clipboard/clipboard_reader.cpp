#include "core/clipboard/clipboard_reader.h"

namespace vz {

ClipboardPictureReader::ClipboardPictureReader(ClipboardReader& reader, Mode mode, QObject* parent)
    : QObject(parent),
      reader_(reader),
      worker_(mode == Mode::Worker ? Executor::Mode::Worker : Executor::Mode::Inline, {1, "clipboard"}),
      orders_(worker_, [this] { carryOut(); }),
      results_(this, [this] { receive(); }) {}

ClipboardPictureReader::~ClipboardPictureReader() {
    ++generation_;
    reader_.interrupt();
    worker_.shutdown();
}

void ClipboardPictureReader::readLatest() {
    const std::uint64_t generation = ++generation_;
    results_.clear();
    // The read under way ends at once. Interrupted before the order is
    // posted: the worker clears the interrupt when it takes the order, so
    // the new read is never cut short by it.
    reader_.interrupt();
    orders_.post(generation);
}

void ClipboardPictureReader::forget() {
    ++generation_;
    results_.clear();
    reader_.interrupt();
}

void ClipboardPictureReader::carryOut() {
    reader_.clearInterrupt();
    const std::optional<std::uint64_t> generation = orders_.take();
    for (;;) {
        if (!generation || *generation != generation_) return;
        std::optional<ClipboardPicture> picture = readClipboardPicture(reader_);
        if (picture) {
            if (*generation == generation_) results_.post({*generation, std::move(*picture)});
            return;
        }
        // Interrupted while this read is still the newest: the interrupt
        // was meant for the one before, and came after the worker cleared
        // it. A newer read has its order waiting; this one starts again.
        reader_.clearInterrupt();
    }
}

// A result of an older read (finished before a newer order reached the
// worker) is dropped unseen.
void ClipboardPictureReader::receive() {
    std::optional<Result> result = results_.take();
    if (!result || result->generation != generation_) return;
    emit pictureRead(result->picture);
}

}  // namespace vz
