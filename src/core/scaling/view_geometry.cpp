#include "core/scaling/view_geometry.h"

#include "core/scaling/rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace vz {

namespace {

// Round half to even, clamped to the int range so that absurd sizes cannot
// overflow. Results below 1 mean "nothing drawn" and come back as 0.
int roundedExtent(double value) {
    if (!(value >= 1.0)) return 0;  // also NaN
    return roundHalfEven(value, std::numeric_limits<int>::max() / 2);
}

}  // namespace

std::optional<ViewFit> viewFitFromNumber(int number) {
    switch (number) {
        case 1: return ViewFit::Normal;
        case 2: return ViewFit::Stretch;
        case 3: return ViewFit::Optimal;
        case 4: return ViewFit::Resize;
        case 5: return ViewFit::Scale;
        default: return std::nullopt;
    }
}

int viewFitNumber(ViewFit fit) {
    switch (fit) {
        case ViewFit::Normal: return 1;
        case ViewFit::Stretch: return 2;
        case ViewFit::Optimal: return 3;
        case ViewFit::Resize: return 4;
        case ViewFit::Scale: return 5;
    }
    return 3;
}

QRect viewGeometry(QSize view, QSize picture, ViewFit fit, float scaleFactor) {
    const int W = view.width(), H = view.height();
    const int w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return {};

    if (fit == ViewFit::Optimal) fit = (w > W || h > H) ? ViewFit::Resize : ViewFit::Normal;

    int cx = 0, cy = 0;
    switch (fit) {
        case ViewFit::Normal:
            cx = w;
            cy = h;
            break;
        case ViewFit::Stretch:
            cx = W;
            cy = H;
            break;
        case ViewFit::Resize: {
            // The ratios are single-precision values; the products are not.
            const float sx = float(W) / float(w);
            const float sy = float(H) / float(h);
            if (sx >= sy) {
                cx = roundedExtent(double(w) * double(sy));
                cy = H;
            } else {
                cx = W;
                cy = roundedExtent(double(h) * double(sx));
            }
            break;
        }
        case ViewFit::Scale: {
            const float f = scaleFactor >= 0.001f ? scaleFactor : 0.001f;  // NaN too
            cx = roundedExtent(double(w) * double(f));
            cy = roundedExtent(double(h) * double(f));
            break;
        }
        case ViewFit::Optimal: break;  // resolved above
    }
    if (cx < 1 || cy < 1) return {};
    // Integer division truncates toward zero: a larger picture gets a
    // negative offset and stays centred.
    return QRect((W - cx) / 2, (H - cy) / 2, cx, cy);
}

}  // namespace vz
