#include "core/scrolltext/band_state.h"
#include "core/scrolltext/item_picture.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace vz {
namespace {

BandLook look(bool rightToLeft = false) {
    BandLook l;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    l.font = font;
    l.textColour = Qt::black;
    l.background = Qt::white;
    l.rightToLeft = rightToLeft;
    return l;
}

bool hasInk(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
    return false;
}

TEST(TextPicture, MeasuresTheTextPlusHalfAnAverageCharacterEachSide) {
    const BandLook l = look();
    TextPicture picture(QStringLiteral("Hello"), l);
    const QFontMetricsF metrics(l.font);
    const int average = qRound(metrics.averageCharWidth());
    QTextLayout layout(QStringLiteral("Hello"), l.font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1000);
    layout.endLayout();
    EXPECT_EQ(picture.size().width(), qCeil(line.naturalTextWidth()) + average);
    EXPECT_EQ(picture.size().height(), qCeil(metrics.height()));

    const QImage image = picture.toImage();
    EXPECT_FALSE(hasInk(image, QRect(0, 0, average / 2 - 1, image.height())));
    EXPECT_TRUE(hasInk(image, image.rect()));

    // An empty text is a margin only, still at least a pixel wide.
    EXPECT_GE(TextPicture(QString(), l).size().width(), 1);
}

// Tiles must join without seams: the tiled picture equals the text drawn in
// one go.
TEST(TextPicture, TilesJoinIntoTheWholeText) {
    BandLook l = look();
    QString text;
    for (int i = 0; i < 40; ++i) text += QStringLiteral("Scrolling text %1 — ").arg(i);
    TextPicture picture(text, l);
    ASSERT_GT(picture.size().width(), 3 * TextPicture::TileWidth);

    QImage reference(picture.size(), QImage::Format_RGB32);
    reference.fill(Qt::white);
    {
        QPainter painter(&reference);
        painter.setPen(Qt::black);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        option.setTabStopDistance(8.0 * qRound(QFontMetricsF(l.font).averageCharWidth()));
        QTextLayout layout(text, l.font);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(TextPicture::MaxPictureWidth);
        layout.endLayout();
        for (const QGlyphRun& run : line.glyphRuns())
            painter.drawGlyphRun(QPointF(qRound(QFontMetricsF(l.font).averageCharWidth()) / 2, 0), run);
    }
    const QImage tiled = picture.toImage();
    ASSERT_EQ(tiled.size(), reference.size());
    int differing = 0, first = -1;
    for (int y = 0; y < tiled.height(); ++y)
        for (int x = 0; x < tiled.width(); ++x)
            if (tiled.pixel(x, y) != reference.pixel(x, y)) {
                ++differing;
                if (first < 0) first = x;
            }
    EXPECT_EQ(differing, 0) << "first at x = " << first;

    // An underline runs unbroken across the tiles.
    l.font.setUnderline(true);
    const QImage underlined = TextPicture(text, l).toImage();
    const int average = qRound(QFontMetricsF(l.font).averageCharWidth());
    bool unbroken = false;
    for (int y = 0; y < underlined.height() && !unbroken; ++y) {
        unbroken = true;
        for (int x = average / 2; x < underlined.width() - average / 2 - 1 && unbroken; ++x)
            unbroken = underlined.pixel(x, y) == qRgb(0, 0, 0);
    }
    EXPECT_TRUE(unbroken);
}

TEST(TextPicture, RightToLeftAndComplexScriptsAreShaped) {
    for (const QString& text :
         {QStringLiteral("שלום עולם"), QStringLiteral("مرحبا بالعالم"), QStringLiteral("abc אבג 123")}) {
        SCOPED_TRACE(text.toStdString());
        TextPicture rtl(text, look(true));
        TextPicture ltr(text, look(false));
        EXPECT_TRUE(hasInk(rtl.toImage(), rtl.toImage().rect()));
        EXPECT_EQ(rtl.size().width(), ltr.size().width());
    }
    // A mixed line reads in another order right to left.
    const QString mixed = QStringLiteral("abc אבג def");
    EXPECT_NE(TextPicture(mixed, look(true)).toImage(), TextPicture(mixed, look(false)).toImage());
}

TEST(TextPicture, VeryLongTextsAreCutAtTheLimitWithoutSplittingAPair) {
    QString text(TextPicture::MaxTextLength - 1, u'x');
    text += QString::fromUcs4(U"\U0001F600");
    TextPicture picture(text, look());
    EXPECT_EQ(picture.renderedLength(), TextPicture::MaxTextLength - 1);
}

// 100,000 characters: some 800,000 pixels wide, rendered a tile at a time.
TEST(TextPicture, AHundredThousandCharacterTextScrolls) {
    QString text;
    while (text.size() < 100000) text += QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    text.truncate(100000);
    BandState band;
    band.setLook(look());
    band.setSize({1280, 20});
    band.setLoopSpacing(1);
    band.addItem(text);
    band.setActive(true);
    band.setStep(200);
    ImageBandSink sink({1280, 20});
    for (int t = 0; t < 50; ++t) band.tick(sink);
    EXPECT_GT(band.pictureSize(0).width(), 100000 * 4);
    EXPECT_EQ(band.positions().visibleCount, 1);
    EXPECT_TRUE(hasInk(sink.image(), sink.image().rect()));
}

}  // namespace
}  // namespace vz
