#pragma once
// The band both scrolling-text benchmarks run: one line of text in a
// 1280 x 20 band, a 14-pixel font, 1 pixel every 10 ms.

#include "core/scrolltext/band_state.h"
#include "core/scrolltext/band_ticker.h"

#include <QFont>
#include <QSize>
#include <QString>

namespace bench {

constexpr QSize kBand(1280, 20);
inline const QString kBandText =
    QStringLiteral("Vivivoz scrolling text banner — the quick brown fox jumps over the lazy dog");

inline vz::BandLook benchLook() {
    vz::BandLook look;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    look.font = font;
    return look;
}

// The engine stepped by whoever calls it (the peers).
inline void setUpBand(vz::BandState& band) {
    band.setLook(benchLook());
    band.setSize(kBand);
    band.setLoopSpacing(1);
    band.addItem(kBandText);
    band.setActive(true);
}

// The engine on its own thread (ours).
inline void setUpTicker(vz::BandTicker& ticker) {
    ticker.setLook(benchLook());
    ticker.setSize(kBand);
    ticker.setLoopSpacing(1);
    ticker.setText(kBandText);
    ticker.setInterval(10);
    ticker.setStep(1);
}

}  // namespace bench
