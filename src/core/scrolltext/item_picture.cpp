#include "core/scrolltext/item_picture.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace vz {

namespace {

// Points at 96 pixels per inch, the resolution the pictures are drawn at.
QFont withPixelSize(QFont font) {
    int pixels = font.pixelSize();
    if (pixels <= 0) pixels = int(std::lround(font.pointSizeF() * 96.0 / 72.0));
    font.setPixelSize(std::clamp(pixels, 1, TextPicture::MaxFontPixels));
    return font;
}

// Cuts without splitting a surrogate pair.
QString cut(const QString& text, qsizetype length) {
    if (text.size() <= length) return text;
    if (length > 0 && text.at(length - 1).isHighSurrogate()) --length;
    return text.left(length);
}

// The glyphs of `run` whose position lies in [from, to).
QGlyphRun slice(const QGlyphRun& run, qreal from, qreal to) {
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    QList<quint32> keptGlyphs;
    QList<QPointF> keptPositions;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const qreal x = positions.at(i).x();
        if (x >= from && x < to) {
            keptGlyphs << glyphs.at(i);
            keptPositions << positions.at(i);
        }
    }
    QGlyphRun part = run;
    part.setGlyphIndexes(keptGlyphs);
    part.setPositions(keptPositions);
    part.setUnderline(false);
    part.setStrikeOut(false);
    part.setOverline(false);
    return part;
}

}  // namespace

TextPicture::TextPicture(const QString& rawText, const BandLook& look)
    : textColour_(look.textColour), background_(look.background) {
    const QFont font = withPixelSize(look.font);
    const QFontMetricsF metrics(font);
    const int average = std::max(1, int(std::lround(metrics.averageCharWidth())));

    // No glyph advances more than a few ems; keep the widest possible line
    // inside the layout's fixed-point range.
    const qreal widest = std::max<qreal>({metrics.maxWidth(), 2.0 * font.pixelSize(), 1.0});
    const qsizetype fits = qsizetype(MaxPictureWidth / widest);
    const QString text = cut(rawText, std::min<qsizetype>(MaxTextLength, fits));
    renderedLength_ = int(text.size());

    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    // Left in absolute terms: a right-to-left line still starts at x = 0.
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setTextDirection(look.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    option.setTabStopDistance(8.0 * average);

    QTextLayout layout(text, font);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    qreal textWidth = 0;
    if (line.isValid()) {
        line.setLineWidth(MaxPictureWidth);
        line.setPosition(QPointF(0, 0));
        textWidth = line.naturalTextWidth();
    }
    layout.endLayout();
    if (line.isValid()) runs_ = line.glyphRuns();

    const int measured = std::clamp(int(std::ceil(textWidth)), 0, MaxPictureWidth);
    const int height = std::max(1, int(std::ceil(metrics.height())));
    size_ = QSize(std::max(1, measured + average), height);
    textLeft_ = average / 2;
    const int thickness = std::max(1, int(std::lround(metrics.lineWidth())));
    const auto rule = [&](qreal y) { return QRect(int(textLeft_), int(std::lround(y)), measured, thickness); };
    if (font.underline()) decorations_ << rule(metrics.ascent() + metrics.underlinePos());
    if (font.strikeOut()) decorations_ << rule(metrics.ascent() - metrics.strikeOutPos());
    if (font.overline()) decorations_ << rule(metrics.ascent() - metrics.overlinePos());
    glyphOverhang_ = 2 * font.pixelSize() + average;
}

QImage TextPicture::renderTile(int index) const {
    const int left = index * TileWidth;
    const int width = std::min(TileWidth, size_.width() - left);
    QImage image(width, size_.height(), QImage::Format_RGB32);
    image.fill(background_);
    QPainter painter(&image);
    painter.setPen(textColour_);
    const qreal from = left - textLeft_ - glyphOverhang_;
    const qreal to = left + width - textLeft_ + glyphOverhang_;
    for (const QGlyphRun& run : runs_) {
        const QRectF bounds = run.boundingRect();
        if (bounds.right() < from || bounds.left() >= to) continue;
        const QGlyphRun part = slice(run, from, to);
        if (!part.glyphIndexes().isEmpty()) painter.drawGlyphRun(QPointF(textLeft_ - left, 0), part);
    }
    for (const QRect& decoration : decorations_) painter.fillRect(decoration.translated(-left, 0), textColour_);
    return image;
}

const QImage& TextPicture::tile(int index) {
    auto found = std::find_if(tiles_.begin(), tiles_.end(), [&](const Tile& t) { return t.index == index; });
    if (found == tiles_.end()) {
        tiles_.push_front(Tile{index, renderTile(index)});
        if (tiles_.size() > size_t(CachedTiles)) tiles_.pop_back();
    } else if (found != tiles_.begin()) {
        Tile t = std::move(*found);
        tiles_.erase(found);
        tiles_.push_front(std::move(t));
    }
    return tiles_.front().image;
}

void TextPicture::draw(BandSink& sink, const QRect& source, const QPoint& dest) {
    const QRect wanted = source & QRect(QPoint(0, 0), size_);
    if (wanted.isEmpty()) return;
    const QPoint shift = dest - source.topLeft();
    for (int index = wanted.left() / TileWidth; index <= wanted.right() / TileWidth; ++index) {
        const QRect tileRect(index * TileWidth, 0, TileWidth, size_.height());
        const QRect part = wanted & tileRect;
        sink.blit(tile(index), part.translated(-tileRect.left(), 0), part.topLeft() + shift);
    }
}

QImage TextPicture::toImage() {
    ImageBandSink sink(size_);
    draw(sink, QRect(QPoint(0, 0), size_), QPoint(0, 0));
    return sink.image();
}

std::unique_ptr<ItemPicture> makeTextPicture(const QString& text, const BandLook& look) {
    return std::make_unique<TextPicture>(text, look);
}

}  // namespace vz
