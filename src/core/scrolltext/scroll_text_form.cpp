#include "core/scrolltext/scroll_text_form.h"

#include <algorithm>

namespace vz::scrolltext {

int bannerHeight(int trackPosition) { return 200 - std::clamp(trackPosition, TrackMinimum, TrackMaximum); }

int previewHeight(int trackPosition) { return std::max(PreviewMinimumHeight, bannerHeight(trackPosition)); }

QString heightLabel(int trackPosition) { return QStringLiteral("Height: %1 px").arg(bannerHeight(trackPosition)); }

int previewTopAfterHeightChange(int previewHeight) { return 89 - previewHeight / 2; }

int previewTopAfterTextChange(int previewHeight) { return 105 - previewHeight / 2; }

}  // namespace vz::scrolltext
