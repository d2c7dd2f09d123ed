// Fuzz target for the picture decoder: the input is tried as a JPEG, a PNG
// and a bitmap. Whatever it holds, decoding and the size probe must not
// crash, must end, a picture that decodes fits the bound it was asked for,
// and the probe gives the decoder's size.

#include "core/slideshow/picture_decoder.h"
#include "fuzz_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vz::slideshow;
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    // Small limits keep each run short and the memory low.
    DecodeLimits limits;
    limits.maxSide = 4096;
    limits.maxSourcePixels = 4'000'000;
    limits.maxDecodedPixels = 1'000'000;
    limits.maxJpegScans = 50;
    limits.maxJpegMemory = 32l * 1024 * 1024;
    const QSize bound(64, 48);
    for (FileKind kind : {FileKind::Jpeg, FileKind::Png, FileKind::Bitmap}) {
        const DecodedPicture picture = decodePictureData(input, kind, bound, QStringLiteral("fuzz"), limits);
        fuzz::check(
            !picture.ok() || (picture.image.width() <= bound.width() && picture.image.height() <= bound.height()),
            "picture larger than its bound");
        fuzz::check(picture.ok() || picture.image.isNull(), "a failed decode returned a picture");
        // The size probe reads the same headers: where both succeed they agree.
        const DecodedPicture probed = probePictureData(input, kind, QStringLiteral("fuzz"), limits);
        fuzz::check(!probed.ok() || !picture.ok() || probed.fullSize == picture.fullSize,
                    "the probe's size differs from the decoder's");
    }
    return 0;
}
