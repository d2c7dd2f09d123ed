#pragma once
// Copies the pixels of an XImage (ZPixmap, as XGetImage and XShmGetImage
// give them) into a Format_RGB32 QImage.

#include <QImage>
#include <QPoint>

struct _XImage;

namespace vz::x11 {

// True when copyXImage can read this image's pixel layout.
bool canCopyXImage(const _XImage* image);

// Copies all of `image` into `into` with its top-left corner at `at`; `into`
// must be Format_RGB32 and large enough. The common 32-bit 0x00RRGGBB layout
// is copied row by row; other layouts go through the image's colour masks.
// False (nothing copied) for layouts it cannot read.
bool copyXImage(const _XImage* image, QImage& into, QPoint at);

}  // namespace vz::x11
