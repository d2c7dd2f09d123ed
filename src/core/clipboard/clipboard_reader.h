#pragma once
// Reads the clipboard's picture away from the user-interface thread: the
// owner is asked, and the picture decoded, on a worker thread with a
// ClipboardReader of its own, so an owner that never answers, or goes away
// in the middle of a transfer, holds up nobody but that worker.
//
// The newest change wins: a read asked for while another is under way ends
// that one at once, and nothing of it is handed over.

#include "core/clipboard/clipboard_picture.h"
#include "core/threading/executor.h"
#include "core/threading/mailbox.h"
#include "platform/platform.h"

#include <QObject>

#include <atomic>
#include <cstdint>

namespace vz {

class ClipboardPictureReader : public QObject {
    Q_OBJECT
public:
    // Worker: on a thread of its own; Inline: at once on the calling thread
    // (tests).
    enum class Mode { Inline, Worker };
    // `reader` is used on the worker only (its interrupt() from here) and
    // outlives this object.
    ClipboardPictureReader(ClipboardReader& reader, Mode mode, QObject* parent = nullptr);
    ~ClipboardPictureReader() override;

    // Reads what the clipboard holds now; pictureRead follows, unless a
    // newer read or forget() comes first.
    void readLatest();
    // Nothing of the reads asked so far is handed over.
    void forget();

signals:
    // On this object's thread. NoPicture too (the owner had none, did not
    // answer, or went away), so a caller can tell that the read has ended.
    void pictureRead(const vz::ClipboardPicture& picture);

private:
    struct Result {
        std::uint64_t generation = 0;
        ClipboardPicture picture;
    };
    void carryOut();
    void receive();

    ClipboardReader& reader_;
    std::atomic<std::uint64_t> generation_{0};  // the newest read asked for (set by the owner)
    Executor worker_;
    Mailbox<std::uint64_t> orders_;  // to the worker: the read to make
    Mailbox<Result> results_;        // to the owner's thread
};

}  // namespace vz
