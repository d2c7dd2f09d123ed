#include "core/scrolltext/band_state.h"

#include "core/scrolltext/mul_div.h"

#include <algorithm>
#include <limits>

namespace vz {

namespace {

// The pass counters only ever count up; after 2^31 passes they wrap.
void bump(int& counter) { counter = int(unsigned(counter) + 1u); }

}  // namespace

BandState::BandState(PictureFactory factory) : factory_(std::move(factory)) {}

void BandState::setStep(unsigned value) {
    step_ = int(value & 0xFFu);
    if (step_ == 0) step_ = 1;
}

void BandState::computeGaps() {
    spacingPixels_ = mulDiv(size_.width(), spacingPercent_, 100);
    loopSpacingPixels_ = mulDiv(size_.width(), loopSpacingPercent_, 100);
}

bool BandState::setSpacing(int percent) {
    spacingPercent_ = std::clamp(percent, 0, 100);
    computeGaps();
    return relayout();
}

bool BandState::setLoopSpacing(int percent) {
    loopSpacingPercent_ = std::clamp(percent, 0, 100);
    computeGaps();
    return relayout();
}

bool BandState::setSize(QSize size) {
    size = size.expandedTo(QSize(0, 0));
    if (size == size_) return false;
    size_ = size;
    computeGaps();
    return relayout();
}

bool BandState::setLook(const BandLook& look) {
    look_ = look;
    dropPictures();
    return relayout();
}

void BandState::dropPictures() {
    for (Item& item : items_) item.picture.reset();
}

QString BandState::itemText(int index) const {
    return index >= 0 && index < itemCount() ? items_[size_t(index)].text : QString();
}

bool BandState::setItemText(int index, const QString& text) {
    if (index < 0 || index >= itemCount()) return false;
    Item& item = items_[size_t(index)];
    item.text = text;
    item.picture.reset();
    return pos_.visibleCount > 0;
}

bool BandState::addItem(const QString& text) {
    items_.push_back(Item{text, nullptr});
    return relayout();
}

bool BandState::removeItem(int index) {
    if (index < 0 || index >= itemCount()) return false;
    items_.erase(items_.begin() + index);
    return relayout();
}

ItemPicture& BandState::picture(int index) {
    Item& item = items_[size_t(index)];
    if (!item.picture) item.picture = factory_(item.text, look_);
    return *item.picture;
}

QSize BandState::pictureSize(int index) {
    if (index < 0 || index >= itemCount()) return {};
    const QSize s = picture(index).size();
    return QSize(std::max(1, s.width()), s.height());
}

// Keeps the newest copy where it is and counts the copies to its left that
// still reach into the band.
bool BandState::relayout() {
    if (pos_.visibleCount == 0) return false;
    pos_.visibleCount = 0;
    if (items_.empty()) return true;
    pos_.headIndex = std::min(pos_.headIndex, itemCount() - 1);

    const int width = size_.width();
    int index = pos_.headIndex;
    int offset = pos_.headOffset;
    int counted = 0;
    while (counted < copiesStarted_ && offset - pictureWidth(index) < width) {
        ++counted;
        pos_.tailIndex = index;
        pos_.tailOffset = offset;
        const int gap = gapBefore(index);
        index = index == 0 ? itemCount() - 1 : index - 1;
        offset += gap + pictureWidth(index);
    }
    pos_.visibleCount = counted;
    return true;
}

int BandState::tick(BandSink& sink) {
    if (items_.empty()) return 0;
    const int width = size_.width();
    if (pos_.visibleCount == 0) {
        pos_.tailIndex = pos_.headIndex = 0;
        pos_.tailOffset = pos_.headOffset = 0;
        bump(pos_.headLoops);
        pos_.visibleCount = 1;
        copiesStarted_ = 1;
    }
    pos_.tailOffset += step_;
    pos_.headOffset += step_;

    QRect strip(0, 0, width, size_.height());
    if (!sink.hasPendingRepaint()) {
        sink.scrollLeft(step_);
        strip.setLeft(std::max(0, width - step_));
    }

    // Every step at most one copy leaves and one enters, unless the step is
    // wider than a copy and its gap: then as many as fit, so that positions
    // never run away from the copies.
    int wraps = 0;
    while (pos_.visibleCount > 0 && pos_.tailOffset >= width + pictureWidth(pos_.tailIndex)) {
        pos_.tailOffset -= pictureWidth(pos_.tailIndex);
        --pos_.visibleCount;
        const bool wrapped = ++pos_.tailIndex >= itemCount();
        if (wrapped) {
            pos_.tailIndex = 0;
            bump(pos_.tailLoops);
            ++wraps;
        }
        pos_.tailOffset -= wrapped ? loopSpacingPixels_ : spacingPixels_;
    }
    if (active_) {
        for (;;) {
            const int needed = pictureWidth(pos_.headIndex) + gapAfter(pos_.headIndex);
            if (pos_.headOffset < needed) break;
            pos_.headOffset -= needed;
            if (++pos_.headIndex >= itemCount()) {
                pos_.headIndex = 0;
                bump(pos_.headLoops);
            }
            ++pos_.visibleCount;
            if (copiesStarted_ < std::numeric_limits<int>::max()) ++copiesStarted_;
        }
    }
    paint(sink, strip);
    return wraps;
}

void BandState::paint(BandSink& sink, const QRect& rect) {
    const QRect area = rect & QRect(QPoint(0, 0), size_);
    if (area.isEmpty()) return;
    sink.fill(area, look_.background);
    if (pos_.visibleCount == 0 || items_.empty()) return;

    int x = size_.width() - pos_.headOffset;
    int index = std::min(pos_.headIndex, itemCount() - 1);
    for (int n = 0; n < pos_.visibleCount; ++n) {
        ItemPicture& pic = picture(index);
        const QSize ps = pic.size();
        const QRect copy(x, (size_.height() - ps.height()) / 2, ps.width(), ps.height());
        const QRect shown = copy & area;
        if (!shown.isEmpty()) pic.draw(sink, shown.translated(-copy.topLeft()), shown.topLeft());
        x -= gapBefore(index);
        if (x < area.left()) break;
        index = index == 0 ? itemCount() - 1 : index - 1;
        x -= pictureWidth(index);
    }
}

}  // namespace vz
