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

QString chooseClipboardPictureType(const QStringList& types) {
    // PNG first: it carries the picture unchanged.
    if (types.contains(QStringLiteral("image/png"))) return QStringLiteral("image/png");
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QString& t : types)
        if (t.startsWith(QLatin1String("image/")) && readable.contains(t.toLatin1())) return t;
    return {};
}

ClipboardPicture readClipboardPicture(const QMimeData* data) {
    if (!data) return {};
    const QStringList formats = data->formats();
    // A picture put there by this process is already decoded.
    if (formats.contains(kQtImage) && !formats.contains(QStringLiteral("image/png"))) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) return finish(image);
    }
    const QString type = chooseClipboardPictureType(formats);
    if (type.isEmpty()) return {};
    return readClipboardPictureData(type, data->data(type));
}

std::optional<ClipboardPicture> readClipboardPicture(ClipboardReader& reader) {
    using Outcome = ClipboardReader::Outcome;
    // An owner that does not answer, or goes away, has no picture to give.
    const ClipboardReader::Reply offered = reader.types();
    if (offered.outcome == Outcome::Interrupted) return std::nullopt;
    if (offered.outcome != Outcome::Done) return ClipboardPicture{};
    const QString type = chooseClipboardPictureType(offered.types);
    if (type.isEmpty()) return ClipboardPicture{};
    const ClipboardReader::Reply data = reader.read(type, kMaxClipboardBytes);
    if (data.outcome == Outcome::TooLarge) {
        ClipboardPicture result;
        result.status = ClipboardPicture::Status::Refused;
        result.error = QStringLiteral("The picture on the clipboard is too large to show (more than %1 MB of %2 data).")
                           .arg(kMaxClipboardBytes / 1000000)
                           .arg(type);
        return result;
    }
    if (data.outcome == Outcome::Interrupted) return std::nullopt;
    if (data.outcome != Outcome::Done) return ClipboardPicture{};
    return readClipboardPictureData(type, data.bytes);
}

ClipboardPicture readClipboardPictureData(const QString& type, const QByteArray& bytes) {
    ClipboardPicture result;
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
