#include "core/controller/image_capture.h"

#include <QScopedValueRollback>

namespace vz {

void ImageCapture::setCounter(qint32 counter) {
    form_.number = counter;
    sequence_.setCounter(counter);
}

CaptureOutcome ImageCapture::capture(const QImage& picture, bool outputVisible) {
    if (errorShowing_) return CaptureOutcome{CaptureOutcome::Status::Busy, {}, {}};
    CaptureFileRequest request;
    request.outputVisible = outputVisible;
    request.folder = form_.folder;
    request.baseName = form_.baseName;
    request.number = form_.number;
    request.typeEntry = form_.typeEntry;
    const CaptureOutcome outcome = sequence_.capture(request, picture);
    if (outcome.written()) {
        if (form_.beep) prompter_.beep(Prompter::Icon::None);
        form_.number = sequence_.counter();
        emit counterChanged(sequence_.counter());
    } else if (!outcome.message.isEmpty()) {
        const QScopedValueRollback<bool> showing(errorShowing_, true);
        prompter_.error(outcome.message);
    }
    return outcome;
}

}  // namespace vz
