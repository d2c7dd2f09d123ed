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
#include <QSize>

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
};

// Computes what a view laid out as `layout` shows of `picture`. `into`
// keeps its buffer from call to call. Returns true when it resampled.
bool renderView(const QImage& picture, const ViewLayout& layout, ViewRender& into, ResampleScratch& scratch);

}  // namespace vz
