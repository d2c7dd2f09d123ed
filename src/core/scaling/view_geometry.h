#pragma once
// Where a picture is drawn inside an image view, for each view mode.

#include <QRect>
#include <QSize>

#include <optional>

namespace vz {

// The image view's own fitting modes.
enum class ViewFit { Normal, Stretch, Optimal, Resize, Scale };

// View-mode numbers as stored in the settings and shown in the menus:
// 1 Normal, 2 Stretch, 3 Optimal, 4 Resize, 5 Scale. None for other numbers.
std::optional<ViewFit> viewFitFromNumber(int number);
int viewFitNumber(ViewFit fit);

// The rectangle the picture of `picture` size is drawn into, in a view of
// `view` size. An empty rectangle means nothing is drawn.
QRect viewGeometry(QSize view, QSize picture, ViewFit fit, float scaleFactor);

}  // namespace vz
