#include "core/imagefiles/capture_sequence.h"

#include <limits>

namespace vz {

namespace {

using Status = CaptureOutcome::Status;

CaptureOutcome outcome(Status status, QString message = {}, QString path = {}) {
    return CaptureOutcome{status, std::move(path), std::move(message)};
}

}  // namespace

QStringList captureFileTypeEntries() {
    return {QStringLiteral("JPG - JPG/JPEG Format"), QStringLiteral("PNG - Portable Network Graphics"),
            QStringLiteral("BMP - Windows Bitmap")};
}

std::optional<ImageFileType> captureFileTypeOfEntry(int index) {
    switch (index) {
        case 0: return ImageFileType::Jpeg;
        case 1: return ImageFileType::Png;
        case 2: return ImageFileType::Bmp;
        default: return std::nullopt;
    }
}

QString captureFileName(const QString& folder, const QString& base, qint32 number, ImageFileType type) {
    return folder + base + QString::number(number) + imageFileExtension(type);
}

QString captureNamePreview(const QString& base, qint32 number) {
    return QStringLiteral("[ ") + base + QString::number(number) + QStringLiteral(" ]");
}

QString captureFolderText(const QString& chosenFolder) {
    if (chosenFolder.endsWith(QLatin1Char('/'))) return chosenFolder;
    return chosenFolder + QLatin1Char('/');
}

CaptureSequence::CaptureSequence(qint32 counter, Writer writer) : counter_(counter), writer_(std::move(writer)) {}

CaptureOutcome CaptureSequence::capture(const CaptureFileRequest& request, const QImage& picture) {
    if (!request.outputVisible) return outcome(Status::OutputHidden);
    if (inProgress_) return outcome(Status::Busy);

    const std::optional<ImageFileType> type = captureFileTypeOfEntry(request.typeEntry);
    if (!type) return outcome(Status::NoFileType, QStringLiteral("Choose a file type: JPG, PNG or BMP."));
    if (picture.isNull())
        return outcome(Status::NoPicture,
                       QStringLiteral("The second display shows no picture yet: nothing was saved."));
    if (request.folder.isEmpty())
        return outcome(Status::NoFolder, QStringLiteral("Choose a destination directory first."));
    if (request.baseName.contains(QLatin1Char('/')))
        return outcome(Status::BadName,
                       QStringLiteral("The file name \"%1\" must not contain \"/\".").arg(request.baseName));
    if (request.number == std::numeric_limits<qint32>::max())
        return outcome(
            Status::LastNumber,
            QStringLiteral("The counter cannot go past %1: set a lower starting counter.").arg(request.number));

    const QString path = captureFileName(request.folder, request.baseName, request.number, *type);
    struct Mark {
        bool& flag;
        explicit Mark(bool& f) : flag(f) { flag = true; }
        ~Mark() { flag = false; }
    } mark(inProgress_);

    QString error;
    if (!writer_(picture, *type, path, &error)) return outcome(Status::WriteFailed, error, path);
    counter_ = request.number + 1;
    return outcome(Status::Written, {}, path);
}

}  // namespace vz
