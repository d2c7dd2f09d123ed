#include "core/clipboard/clipboard_picture.h"

#include "core/slideshow/picture_decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QMimeData>

namespace vz {

namespace {

const QString kQtImage = QStringLiteral("application/x-qt-image");

QString tooLarge(QSize size) {
    return QStringLiteral(
               "The picture on the clipboard is too large to show (%1 x %2 pixels; "
               "at most %3 million pixels).")
        .arg(size.width())
        .arg(size.height())
        .arg(kMaxClipboardPixels / 1000000);
}

ClipboardPicture finish(QImage image) {
    ClipboardPicture result;
    if (!clipboardPictureSizeAllowed(image.size())) {
        result.status = ClipboardPicture::Status::Refused;
        result.error = tooLarge(image.size());
        return result;
    }
    // Transparent parts over black, then plain 32-bit pixels.
    if (image.hasAlphaChannel()) image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    result.picture = image.convertToFormat(QImage::Format_RGB32);
    result.status = ClipboardPicture::Status::Picture;
    return result;
}

}  // namespace

bool clipboardPictureSizeAllowed(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxClipboardSide &&
           size.height() <= kMaxClipboardSide && qint64(size.width()) * size.height() <= kMaxClipboardPixels;
}

ClipboardPicture readClipboardPicture(const QMimeData* data) {
    ClipboardPicture result;
    if (!data) return result;
    const QStringList formats = data->formats();
    // A picture put there by this process is already decoded.
    if (formats.contains(kQtImage) && !formats.contains(QStringLiteral("image/png"))) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) return finish(image);
    }
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    QString type;
    // PNG first: it carries the picture unchanged.
    if (formats.contains(QStringLiteral("image/png"))) type = QStringLiteral("image/png");
    for (const QString& f : formats) {
        if (!type.isEmpty()) break;
        if (f.startsWith(QLatin1String("image/")) && readable.contains(f.toLatin1())) type = f;
    }
    if (type.isEmpty()) return result;

    const QByteArray bytes = data->data(type);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QImageReader::imageFormatsForMimeType(type.toLatin1()).value(0));
    reader.setDecideFormatFromContent(true);
    result.status = ClipboardPicture::Status::Refused;
    // The size the picture declares decides before anything is decoded: a
    // small file that unpacks into gigabytes is refused here.
    const QSize declared = reader.size();
    if (declared.isValid() && !clipboardPictureSizeAllowed(declared)) {
        result.error = tooLarge(declared);
        return result;
    }
    // Qt's PNG reader, like libpng under it, inflates every byte of data
    // behind the last row.
    if (vz::slideshow::pngDataLongerThanPicture(bytes)) {
        result.error = QStringLiteral(
                           "The picture on the clipboard cannot be read (%1): its data is longer than "
                           "the picture")
                           .arg(type);
        return result;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        result.error =
            QStringLiteral("The picture on the clipboard cannot be read (%1): %2").arg(type, reader.errorString());
        return result;
    }
    return finish(std::move(image));
}

}  // namespace vz
