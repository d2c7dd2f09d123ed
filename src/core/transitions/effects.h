#pragma once
// The effect families. Each function paints the family's drawn member in
// canonical coordinates; `Orient` turns it into the requested sibling.

#include "core/transitions/transition_styles.h"

namespace vz::transitions {

// Canonical sizes and progress of a frame seen through an orientation.
struct Canvas {
    Orient o;
    int w, h, x, y;  // W, H, X, Y with x and y exchanged when swapped
};
Canvas canvasOf(const EffectFrame& f, bool swap, bool flipX, bool flipY);

// Geometry families (whole-picture copies and stretches).
enum class StretchShape { Edge, Middle, Sides, Corner, Centre, Quarters };
void stretchInto(EffectFrame& f, const Canvas& c, StretchShape shape);
enum class SlideShape { Edge, Corner, Quarters };
void slideIn(EffectFrame& f, const Canvas& c, SlideShape shape);
enum class RevealShape { Edge, Middle, Sides, Corner, Centre, Outside, Quarters };
void reveal(EffectFrame& f, const Canvas& c, RevealShape shape);
enum class ExpandInShape { Edge, Middle, Corner, Centre };
void expandIn(EffectFrame& f, const Canvas& c, ExpandInShape shape);
void unroll(EffectFrame& f, const Canvas& c);
void buildUp(EffectFrame& f, const Canvas& c);
void push(EffectFrame& f, const Canvas& c, bool squeeze);
void slideOut(EffectFrame& f, const Canvas& c);

// Region families.
enum class CurveShape { Edge, Corner, EllipseOut, EllipseIn };
void curvedReveal(EffectFrame& f, const Canvas& c, CurveShape shape);
// Row kind and column kind 0..5 (0 = none); `full` passes X and Y as the
// extents instead of 2X and 2Y.
void bars(EffectFrame& f, int rowKind, int columnKind, bool full);
void crossedBars(EffectFrame& f);  // the intersection style
void unevenShred(EffectFrame& f, int rowKind, int columnKind);
void speckle(EffectFrame& f, const Canvas& c);

enum class PolygonShape {
    Diagonal,
    DiagonalSweep,
    Starburst,
    TriangleShred,
    SweepClockwise,
    SweepAnticlockwise,
    RotatingRectangle,
    RotatingStar,
    Spiral,
    RevealV,
    BowTie,
    CrossIn,
    CrossOut,
    Zigzag,
    DiamondShred,
    DiamondOut,
    DiamondIn,
    DiamondBox
};
void polygonReveal(EffectFrame& f, const Canvas& c, PolygonShape shape);

enum class CellShape { Blind, UnevenBlind, SquareShred, BandsAndColumns, CircleShred };
void cells(EffectFrame& f, const Canvas& c, CellShape shape);

// Pixel families.
void fade(EffectFrame& f);
void channelMix(EffectFrame& f);
void pivot(EffectFrame& f, const Canvas& c);
enum class RandomUnit { Squares, Pixels, Rows, Columns };
void randomCells(EffectFrame& f, RandomUnit unit);
void pixelate(EffectFrame& f);

// A per-thread scratch copy of the display (for effects that read the old
// picture while overwriting it).
ConstPixels snapshotOf(const Pixels& display, int slot = 0);

}  // namespace vz::transitions
