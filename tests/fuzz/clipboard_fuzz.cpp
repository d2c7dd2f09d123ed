// Fuzz target for the clipboard picture path: the input is offered as the
// clipboard's data under a picture type chosen by its first byte. Whatever
// it holds, reading must not crash or take more than the clipboard bound;
// a picture taken fits the bound and is plain 32-bit pixels, a refusal
// says why.

#include "core/clipboard/clipboard_picture.h"
#include "fuzz_check.h"

#include <QMimeData>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kTypes[] = {"image/png", "image/bmp", "image/jpeg", "image/gif",
                                         "image/x-portable-pixmap"};
    const char* type = kTypes[data[0] % (sizeof kTypes / sizeof *kTypes)];
    QMimeData mime;
    mime.setData(QString::fromLatin1(type), QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    const vz::ClipboardPicture read = vz::readClipboardPicture(&mime);
    switch (read.status) {
        case vz::ClipboardPicture::Status::Picture:
            fuzz::check(vz::clipboardPictureSizeAllowed(read.picture.size()), "picture beyond the bound");
            fuzz::check(read.picture.format() == QImage::Format_RGB32, "picture not in 32-bit pixels");
            break;
        case vz::ClipboardPicture::Status::Refused:
            fuzz::check(!read.error.isEmpty() && read.picture.isNull(), "refused without a reason, or with a picture");
            break;
        case vz::ClipboardPicture::Status::NoPicture:
            fuzz::check(read.picture.isNull(), "a picture where there is none");
            break;
    }
    return 0;
}
