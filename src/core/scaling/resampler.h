#pragma once
// Our picture resampler, used by every image view.
//
// The filter, per axis, with n source pixels scaled to m destination pixels
// (source pixel j has its centre at j, destination pixel i at
// c = (i + 0.5) * n / m - 0.5 in source coordinates):
//   - m >= n (enlarging or 1:1): linear interpolation between the two source
//     pixels around c, with c clamped to [0, n - 1]; the tent of radius 1.
//     At m == n this is pixel i itself.
//   - m < n (shrinking): the tent of radius r = n / m centred on c: source
//     pixel j weighs max(0, 1 - |j - c| / r); pixels outside the picture are
//     left out and the weights are normalised to sum 1.
// The two axes are applied one after the other (horizontal, then vertical),
// so enlarging in both directions is bilinear interpolation from the four
// nearest source pixels. A picture resampled to its own size is copied
// unchanged. All four 8-bit channels are filtered alike, so premultiplied
// alpha stays consistent.
//
// Arithmetic: 14-bit weights that sum to exactly 1 << 14 (a flat picture
// stays flat), intermediate rows carrying 7 extra bits, one rounding to
// nearest at the end. Results stay within one level of the exact filter.
//
// Speed: the weight tables are rebuilt only when the sizes change, the
// buffers are kept in the scratch object, so a steady stream of frames of
// one size allocates nothing; rows are split over the pool of threads lent to
// the calling thread (core/scaling/row_workers.h).

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <memory>

namespace vz {

// Instruction sets of the row kernels; Auto picks the best the processor has.
enum class ResampleKernel { Auto, Portable, Sse2, Avx2 };

// Everything a resample keeps between calls: weight tables and row buffers.
// One scratch must not be used by two threads at once.
class ResampleScratch {
public:
    ResampleScratch();
    ~ResampleScratch();
    ResampleScratch(const ResampleScratch&) = delete;
    ResampleScratch& operator=(const ResampleScratch&) = delete;

    // For tests and benchmarks: force one instruction set (unsupported ones
    // fall back to the portable code), or keep all work on the calling thread.
    void setKernel(ResampleKernel kernel);
    void setThreaded(bool threaded);

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
    friend void resample(const QImage&, QImage&, QSize, const QRect&, ResampleScratch&);
    friend QRegion resampleChanged(const QImage&, QImage&, QSize, const QRect&, const QRegion&, ResampleScratch&);
    friend QRegion resampledRegion(QSize, QSize, const QRect&, const QRegion&, ResampleScratch&);
};

// Scales `src` to `size` into `dst`. `dst` keeps its buffer when it already
// has that size and format: Format_ARGB32 or Format_ARGB32_Premultiplied when
// `src` has that format, else Format_RGB32 (other source formats are
// converted first, which allocates). An empty src or size gives a null dst.
void resample(const QImage& src, QImage& dst, QSize size, ResampleScratch& scratch);

// The same, but only the rectangle `part` of the scaled picture (in its
// coordinates, clipped to it) is computed: dst becomes part's size. This is
// how a view draws just the visible part of a picture larger than itself.
void resample(const QImage& src, QImage& dst, QSize size, const QRect& part, ResampleScratch& scratch);

// Brings `dst`, which holds `part` of an earlier picture scaled to `size`,
// up to date with `src`, where only `changed` (src coordinates) differs from
// that picture: only the output pixels whose filter reads a changed pixel
// are computed again, each with the same weights as in a whole resample, so
// the result equals resample(src, dst, size, part) bit for bit. Returns
// those pixels (dst coordinates). A dst that cannot hold the part (another
// size or format, shared, or src itself) is resampled whole, and the whole
// of it is returned.
QRegion resampleChanged(const QImage& src, QImage& dst, QSize size, const QRect& part, const QRegion& changed,
                        ResampleScratch& scratch);

// The output pixels of `part` (in part's coordinates) that resampling a
// picture of `srcSize` to `size` computes from `changed`.
QRegion resampledRegion(QSize srcSize, QSize size, const QRect& part, const QRegion& changed, ResampleScratch& scratch);

}  // namespace vz
