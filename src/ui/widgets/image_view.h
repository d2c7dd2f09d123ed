#pragma once
// A picture control: fits one picture into its area by a view mode, centres
// it, paints the rest black and scales with our resampler. The scaled result
// is cached: it is recomputed only when the picture, the view size, the mode
// or the factor change, never on a mere repaint.

#include "core/scaling/view_render.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace vz {

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);
    ~ImageView() override;

    // Copies `picture` into the view's own buffer (reused when the size is
    // unchanged) and repaints.
    void setPicture(const QImage& picture);
    // Takes `picture` together with what was already computed of it for
    // this view's current layout (off the user-interface thread), so that
    // painting it resamples nothing. The picture is shared, not copied.
    // When `render` follows the render shown (its `since` is that one's
    // `frame`), only its `changed` rectangles are painted again.
    void setRenderedPicture(const QImage& picture, const ViewRender& render);
    // Removes the picture (the view shows only its background).
    void clearPicture();
    const QImage& picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

    void setFit(ViewFit fit);
    ViewFit fit() const { return fit_; }
    void setScaleFactor(float factor);  // raised to 0.001 when smaller
    float scaleFactor() const { return factor_; }

    // The view's size in device pixels: what a picture is scaled for, so a
    // scaled desktop (device pixel ratio above 1) gets one picture pixel
    // per screen pixel, without Qt scaling it again.
    QSize pixelSize() const;
    // Where the picture is drawn now, in the view's device pixels.
    QRect drawnRect() const;
    // What the view shows (background and picture) in device pixels, for
    // tests and captures.
    QImage rendered() const;
    // How many times the view has resampled its picture (for tests: a mere
    // repaint must not resample).
    int resampleCount() const { return resampleCount_; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;

private:
    void invalidate();
    void updateScaled() const;
    void paintContent(QPainter& painter, const QRegion& area) const;
    ViewLayout layout() const { return {pixelSize(), fit_, factor_}; }
    QImage picture_;
    // The cache: what the view shows of picture_, filled lazily before
    // painting and whenever the picture, the size, the mode or the factor change.
    mutable ViewRender render_;
    mutable bool renderValid_ = false;
    mutable int resampleCount_ = 0;
    std::unique_ptr<ResampleScratch> scratch_;
    ViewFit fit_ = ViewFit::Optimal;
    float factor_ = 1.0f;
};

}  // namespace vz
