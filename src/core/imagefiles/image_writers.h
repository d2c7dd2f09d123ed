#pragma once
// Writers for captured pictures: baseline JPEG (quality 90), 8-bit RGB PNG
// and uncompressed 32-bit Windows bitmaps.
//
// Every writer takes the picture as 32-bit RGB at its own resolution: a
// picture in any other format is converted first and its alpha ignored.
// The encoders stream into any QIODevice; saveImageFile() writes a whole
// file so that it either appears complete under its name or not at all.

#include <QImage>
#include <QString>

class QIODevice;

namespace vz {

enum class ImageFileType { Jpeg, Png, Bmp };

// ".jpg", ".png" or ".bmp".
QString imageFileExtension(ImageFileType type);

// Each returns false on a failed write and then, when `error` is given,
// the reason (the device's error text).
bool writeJpeg(const QImage& picture, QIODevice& out, QString* error = nullptr);
bool writePng(const QImage& picture, QIODevice& out, QString* error = nullptr);
bool writeBmp(const QImage& picture, QIODevice& out, QString* error = nullptr);
bool writeImage(const QImage& picture, ImageFileType type, QIODevice& out, QString* error = nullptr);

// Writes the file through a temporary file in the same folder that is
// flushed to disk and then renamed over `path` (an existing file of that
// name is replaced). On any failure the temporary file is removed, an
// existing file of that name is left as it was, and `error` reads
// Cannot create file "<path>". <reason>
bool saveImageFile(const QImage& picture, ImageFileType type, const QString& path, QString* error = nullptr);

}  // namespace vz
