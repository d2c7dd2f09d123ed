#pragma once
// An item picture of a chosen size whose every pixel is distinct enough to
// show a misplaced copy: column and row coded into the colour.

#include "core/scrolltext/item_picture.h"

#include <memory>

namespace vz::test {

class FakePicture : public ItemPicture {
public:
    FakePicture(QSize size, int seed) : image_(size, QImage::Format_RGB32) {
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image_.setPixel(x, y, qRgb((x * 7 + seed * 50) & 0xFF, (x >> 5) & 0xFF, (y * 9 + seed) & 0xFF));
    }
    QSize size() const override { return image_.size(); }
    void draw(BandSink& sink, const QRect& source, const QPoint& dest) override { sink.blit(image_, source, dest); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

// Pictures whose size is given by the item's text, "WIDTHxHEIGHT".
inline PictureFactory fakePictures(int* built = nullptr) {
    return [built](const QString& text, const BandLook&) -> std::unique_ptr<ItemPicture> {
        if (built) ++*built;
        const QStringList parts = text.split(u'x');
        return std::make_unique<FakePicture>(QSize(parts.value(0).toInt(), parts.value(1).toInt()),
                                             int(qHash(text) & 7));
    };
}

}  // namespace vz::test
