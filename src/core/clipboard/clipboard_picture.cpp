#include "core/clipboard/clipboard_picture.h"

#include "core/slideshow/picture_decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QMimeData>

#include <limits>

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

// The decoder's kind for a picture type on the clipboard; Other for the
// types left to Qt's readers (GIF, PPM and the like).
slideshow::FileKind pictureKindOfType(const QString& type) {
    if (type == QLatin1String("image/png")) return slideshow::FileKind::Png;
    if (type == QLatin1String("image/jpeg") || type == QLatin1String("image/jpg")) return slideshow::FileKind::Jpeg;
    if (type == QLatin1String("image/bmp") || type == QLatin1String("image/x-bmp") ||
        type == QLatin1String("image/x-ms-bmp"))
        return slideshow::FileKind::Bitmap;
    return slideshow::FileKind::Other;
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
    result.status = ClipboardPicture::Status::Refused;
    auto unreadable = [&type](const QString& why) {
        return QStringLiteral("The picture on the clipboard cannot be read (%1): %2").arg(type, why);
    };
    // PNG, JPEG and bitmaps go through the slideshow's decoder, which walks
    // the file's structure before it decodes and keeps libpng's and
    // libjpeg's memory bounded (a chunk that declares hundreds of megabytes
    // is refused, not allocated).
    const slideshow::FileKind kind = pictureKindOfType(type);
    if (kind != slideshow::FileKind::Other) {
        // The size the picture declares decides before anything is decoded:
        // a small file that unpacks into gigabytes is refused here.
        slideshow::DecodeLimits declared;
        declared.maxSide = std::numeric_limits<int>::max();
        declared.maxSourcePixels = std::numeric_limits<qint64>::max();
        const slideshow::DecodedPicture probed = slideshow::probePictureData(bytes, kind, type, declared);
        if (!probed.ok()) {
            result.error = unreadable(probed.reason);
            return result;
        }
        if (!clipboardPictureSizeAllowed(probed.fullSize)) {
            result.error = tooLarge(probed.fullSize);
            return result;
        }
        slideshow::DecodeLimits limits;
        limits.maxSide = kMaxClipboardSide;
        limits.maxSourcePixels = kMaxClipboardPixels;
        limits.maxDecodedPixels = kMaxClipboardPixels;
        slideshow::DecodedPicture decoded = slideshow::decodePictureData(bytes, kind, QSize(), type, limits);
        if (!decoded.ok()) {
            result.error = unreadable(decoded.reason);
            return result;
        }
        return finish(std::move(decoded.image));
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QImageReader::imageFormatsForMimeType(type.toLatin1()).value(0));
    reader.setDecideFormatFromContent(true);
    const QSize declaredSize = reader.size();
    if (declaredSize.isValid() && !clipboardPictureSizeAllowed(declaredSize)) {
        result.error = tooLarge(declaredSize);
        return result;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        result.error = unreadable(reader.errorString());
        return result;
    }
    return finish(std::move(image));
}

}  // namespace vz
