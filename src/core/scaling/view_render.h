#pragma once
// What an image view shows of a picture: the visible part of the rectangle
// the view mode draws it into, resampled. Computed by the view itself for
// pictures set directly, and off the user-interface thread by the frame
// pipeline for mirrored frames.

#include "core/scaling/resampler.h"
#include "core/scaling/view_geometry.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <cstdint>

namespace vz {

// How a view fits its picture.
struct ViewLayout {
    QSize view;
    ViewFit fit = ViewFit::Optimal;
    float factor = 1.0f;
    bool operator==(const ViewLayout&) const = default;
};

struct ViewRender {
    QRect visible;        // in view coordinates; empty: nothing is drawn
    bool direct = false;  // 1:1: paint `sourceAt` of the picture itself
    QPoint sourceAt;      // with `direct`: the top-left of `visible` in the picture
    QImage scaled;        // otherwise: `visible`, resampled
    // For renders handed on frame after frame: the frame this is, and where
    // it differs from the render of frame `since` (view coordinates); `since`
    // is 0 when it is new throughout.
    std::uint64_t frame = 0;
    std::uint64_t since = 0;
    QRegion changed;
};

// Computes what a view laid out as `layout` shows of `picture`. `into`
// keeps its buffer from call to call. Returns true when it resampled.
bool renderView(const QImage& picture, const ViewLayout& layout, ViewRender& into, ResampleScratch& scratch);

// The same, but a 1:1 render is copied out of the picture too, so that
// `into.scaled` always holds what the view shows and never refers to the
// picture (for renders made on another thread than the one painting).
void renderViewCopy(const QImage& picture, const ViewLayout& layout, ViewRender& into, ResampleScratch& scratch);

// Brings `into`, whose `scaled` was made by renderViewCopy for the same
// layout from an earlier picture of the same size, up to date with `picture`,
// which differs from that one only in `changed` (picture coordinates). Only the
// pixels that depend on the change are written; the result equals
// renderViewCopy's bit for bit. Returns the view rectangles written (view
// coordinates). Falls back to renderViewCopy (and returns all of `visible`)
// when `into.scaled` cannot hold such a render (another size or format, or
// shared).
QRegion renderViewChanged(const QImage& picture, const ViewLayout& layout, ViewRender& into, const QRegion& changed,
                          ResampleScratch& scratch);

// The view rectangles (view coordinates) whose pixels depend on `changed`
// (coordinates of a picture of `picture` size) in a view laid out as `layout`.
QRegion viewRegionOf(QSize picture, const ViewLayout& layout, const QRegion& changed, ResampleScratch& scratch);

}  // namespace vz
