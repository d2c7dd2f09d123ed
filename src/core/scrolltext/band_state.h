#pragma once
// The scroll band's engine: a list of text items scrolled from right to left
// without end, copies following one another at fixed gaps. Pure state: no
// lock, no thread, no window. BandTicker adds the lock and the clock; the
// widget adds the window.
//
// Positions are distances from the right edge of the band to the left edge
// of a copy, so a copy that has just started sits at distance 0 and leaves
// completely at distance width + its picture width.
//
// A tick moves everything `step` pixels to the left by scrolling the pixels
// already on the sink, then draws only the uncovered strip at the right edge.

#include "platform/band_sink.h"
#include "core/scrolltext/item_picture.h"

#include <QSize>
#include <QString>

#include <algorithm>
#include <memory>
#include <vector>

namespace vz {

class BandState {
public:
    struct Positions {
        int visibleCount = 0;  // copies on screen; 0: the next tick starts afresh
        int headIndex = 0;     // item of the newest copy, entering at the right
        int headOffset = 0;
        int tailIndex = 0;  // item of the oldest copy, leaving at the left
        int tailOffset = 0;
        int headLoops = 0;  // passes started through the list
        int tailLoops = 0;  // passes completed
        bool operator==(const Positions&) const = default;
    };

    explicit BandState(PictureFactory factory = makeTextPicture);

    // Low 8 bits of the value; 0 becomes 1.
    void setStep(unsigned value);
    int step() const { return step_; }
    // Gaps in percent of the band's width, clamped to 0..100. These, the
    // size, the look and the item list return true when the band needs a
    // full repaint (copies were on screen).
    bool setSpacing(int percent);
    bool setLoopSpacing(int percent);
    int spacing() const { return spacingPercent_; }
    int loopSpacing() const { return loopSpacingPercent_; }
    int spacingPixels() const { return spacingPixels_; }
    int loopSpacingPixels() const { return loopSpacingPixels_; }

    // New copies enter only while active.
    void setActive(bool active) { active_ = active; }
    bool active() const { return active_; }

    bool setSize(QSize size);
    QSize size() const { return size_; }
    bool setLook(const BandLook& look);
    const BandLook& look() const { return look_; }

    int itemCount() const { return int(items_.size()); }
    QString itemText(int index) const;
    // Keeps every position: the copies show the new text from the next paint.
    bool setItemText(int index, const QString& text);
    bool addItem(const QString& text);
    bool removeItem(int index);
    // The item's picture size (renders the picture when missing).
    QSize pictureSize(int index);

    // One step. Returns how many times a copy of the last item left at the
    // left edge (the loop notification).
    int tick(BandSink& sink);
    // Draws the band's part `rect`: background, then every copy reaching into it.
    void paint(BandSink& sink, const QRect& rect);

    const Positions& positions() const { return pos_; }

private:
    struct Item {
        QString text;
        std::unique_ptr<ItemPicture> picture;  // null until first needed
    };
    ItemPicture& picture(int index);
    int pictureWidth(int index) { return std::max(1, picture(index).size().width()); }
    int gapBefore(int index) const { return index == 0 ? loopSpacingPixels_ : spacingPixels_; }
    int gapAfter(int index) const { return index == itemCount() - 1 ? loopSpacingPixels_ : spacingPixels_; }
    void computeGaps();
    bool relayout();
    void dropPictures();

    PictureFactory factory_;
    BandLook look_;
    QSize size_;
    int step_ = 1;
    bool active_ = false;
    int spacingPercent_ = 100;
    int loopSpacingPercent_ = 100;
    int spacingPixels_ = 0;
    int loopSpacingPixels_ = 0;
    std::vector<Item> items_;
    Positions pos_;
    int copiesStarted_ = 0;  // since the last fresh start: bounds the re-layout
};

}  // namespace vz
