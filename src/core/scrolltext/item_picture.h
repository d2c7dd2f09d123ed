#pragma once
// The cached picture of one band item: the text rendered once on the band's
// background, with half an average character of margin on either side, and
// handed to a sink piece by piece.
//
// Long texts are not rendered as one image: the shaped glyphs are kept and
// the picture is rendered in tiles of TileWidth pixels on demand, a few of
// them cached. A 100,000-character text therefore costs its glyph list plus
// a handful of tiles, whatever its width.

#include "platform/band_sink.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QSize>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

namespace vz {

// How a band looks: the things whose change drops every item picture.
struct BandLook {
    QFont font;
    QColor textColour = Qt::black;
    QColor background = Qt::white;
    bool rightToLeft = false;

    bool operator==(const BandLook&) const = default;
};

class ItemPicture {
public:
    virtual ~ItemPicture() = default;
    // Width at least 1, so that copies always advance.
    virtual QSize size() const = 0;
    // Hands the part `source` of the picture (inside size()) to the sink with
    // its top-left corner at `dest`.
    virtual void draw(BandSink& sink, const QRect& source, const QPoint& dest) = 0;
};

using PictureFactory = std::function<std::unique_ptr<ItemPicture>(const QString& text, const BandLook& look)>;

// The text picture. Limits: the text is cut after MaxTextLength UTF-16 code
// units, and further when its width could pass MaxPictureWidth pixels (the
// text layout works in 26.6 fixed point); the font is rendered at 1 to
// MaxFontPixels pixels.
class TextPicture : public ItemPicture {
public:
    static constexpr int MaxTextLength = 200000;
    static constexpr int MaxPictureWidth = 16000000;
    static constexpr int MaxFontPixels = 600;
    static constexpr int TileWidth = 1024;
    static constexpr int CachedTiles = 8;

    TextPicture(const QString& text, const BandLook& look);

    QSize size() const override { return size_; }
    void draw(BandSink& sink, const QRect& source, const QPoint& dest) override;

    // The text actually rendered (after the limits above).
    int renderedLength() const { return renderedLength_; }
    // Renders the whole picture as one image (tests, small previews).
    QImage toImage();

private:
    struct Tile {
        int index;
        QImage image;
    };
    const QImage& tile(int index);
    QImage renderTile(int index) const;

    QSize size_;
    int renderedLength_ = 0;
    qreal textLeft_ = 0;     // where the text layout starts in the picture
    int glyphOverhang_ = 0;  // how far a glyph may reach past its position
    QColor textColour_, background_;
    QList<QGlyphRun> runs_;  // positions relative to the text layout
    // Underline and strike-out, drawn per tile across the whole text so that
    // tiles join without seams.
    QList<QRect> decorations_;
    std::deque<Tile> tiles_;  // most recently used first
};

std::unique_ptr<ItemPicture> makeTextPicture(const QString& text, const BandLook& look);

}  // namespace vz
