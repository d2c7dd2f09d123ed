#pragma once
// Capture an Image: the capture dialog's fields and the numbered files a
// press of the capture key writes. One error box at a time: presses that
// arrive while one is up (a held key repeats) are dropped.

#include "core/imagefiles/capture_sequence.h"
#include "platform/platform.h"

#include <QImage>
#include <QObject>
#include <QString>

namespace vz {

// The capture dialog's fields, as the capture reads them at each press.
struct ImageCaptureForm {
    QString folder;                              // the destination field
    QString baseName = QStringLiteral("image");  // the file-name base
    qint32 number = 10;                          // the counter box
    int typeEntry = 0;                           // the file-type box; -1 for typed text
    bool beep = false;
};

class ImageCapture : public QObject {
    Q_OBJECT
public:
    explicit ImageCapture(Prompter& prompter, QObject* parent = nullptr) : QObject(parent), prompter_(prompter) {}

    const ImageCaptureForm& form() const { return form_; }
    void setForm(const ImageCaptureForm& form) { form_ = form; }
    qint32 counter() const { return sequence_.counter(); }
    // The stored counter: the next file's number.
    void setCounter(qint32 counter);
    // Writes `picture` to the next numbered file; failures are told with a
    // message box (and on standard error).
    CaptureOutcome capture(const QImage& picture, bool outputVisible);

signals:
    void counterChanged(qint32 counter);

private:
    Prompter& prompter_;
    ImageCaptureForm form_;
    CaptureSequence sequence_;
    bool errorShowing_ = false;
};

}  // namespace vz
