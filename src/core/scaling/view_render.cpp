#include "core/scaling/view_render.h"

namespace vz {

bool renderView(const QImage& picture, const ViewLayout& layout, ViewRender& into, ResampleScratch& scratch) {
    const QRect drawn = viewGeometry(layout.view, picture.size(), layout.fit, layout.factor);
    into.visible = drawn & QRect(QPoint(0, 0), layout.view);
    into.direct = false;
    if (into.visible.isEmpty()) {
        into.visible = QRect();
        return false;
    }
    if (drawn.size() == picture.size()) {
        into.direct = true;
        into.sourceAt = into.visible.topLeft() - drawn.topLeft();
        return false;
    }
    // Only the part inside the view is computed.
    resample(picture, into.scaled, drawn.size(), into.visible.translated(-drawn.topLeft()), scratch);
    return true;
}

}  // namespace vz
