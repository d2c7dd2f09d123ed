#include "core/scaling/view_render.h"

#include <cstring>

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

namespace {

// Copies the rectangles `rects` (view coordinates, inside into.visible) of
// the 1:1 picture into into.scaled.
void copyDirect(const QImage& picture, ViewRender& into, const QRegion& rects) {
    const QPoint shift = into.sourceAt - into.visible.topLeft();  // view to picture
    for (const QRect& r : rects) {
        const size_t rowBytes = size_t(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(into.scaled.scanLine(y - into.visible.y()) + qsizetype(r.x() - into.visible.x()) * 4,
                        picture.constScanLine(y + shift.y()) + qsizetype(r.x() + shift.x()) * 4, rowBytes);
    }
}

bool canCopyDirect(const QImage& picture) {
    return picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32 ||
           picture.format() == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

void renderViewCopy(const QImage& picture, const ViewLayout& layout, ViewRender& into, ResampleScratch& scratch) {
    renderView(picture, layout, into, scratch);
    if (!into.direct) return;
    if (canCopyDirect(picture)) {
        if (into.scaled.size() != into.visible.size() || into.scaled.format() != picture.format() ||
            !into.scaled.isDetached())
            into.scaled = QImage(into.visible.size(), picture.format());
        copyDirect(picture, into, QRegion(into.visible));
    } else {
        into.scaled = picture.copy(QRect(into.sourceAt, into.visible.size()));
    }
    into.direct = false;
}

QRegion renderViewChanged(const QImage& picture, const ViewLayout& layout, ViewRender& into, const QRegion& changed,
                          ResampleScratch& scratch) {
    const QRect drawn = viewGeometry(layout.view, picture.size(), layout.fit, layout.factor);
    const QRect visible = drawn & QRect(QPoint(0, 0), layout.view);
    const bool kept = !visible.isEmpty() && into.scaled.size() == visible.size() && into.scaled.isDetached() &&
                      into.scaled.format() == picture.format() && canCopyDirect(picture);
    if (!kept) {
        renderViewCopy(picture, layout, into, scratch);
        return into.visible.isEmpty() ? QRegion() : QRegion(into.visible);
    }
    into.visible = visible;
    into.direct = false;
    if (drawn.size() == picture.size()) {
        into.sourceAt = visible.topLeft() - drawn.topLeft();
        const QRegion rects = changed.translated(drawn.topLeft()) & visible;
        copyDirect(picture, into, rects);
        return rects;
    }
    return resampleChanged(picture, into.scaled, drawn.size(), visible.translated(-drawn.topLeft()), changed, scratch)
        .translated(visible.topLeft());
}

QRegion viewRegionOf(QSize picture, const ViewLayout& layout, const QRegion& changed, ResampleScratch& scratch) {
    const QRect drawn = viewGeometry(layout.view, picture, layout.fit, layout.factor);
    const QRect visible = drawn & QRect(QPoint(0, 0), layout.view);
    if (visible.isEmpty()) return {};
    if (drawn.size() == picture) return changed.translated(drawn.topLeft()) & visible;
    return resampledRegion(picture, drawn.size(), visible.translated(-drawn.topLeft()), changed, scratch)
        .translated(visible.topLeft());
}

}  // namespace vz
