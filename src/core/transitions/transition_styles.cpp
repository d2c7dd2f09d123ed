#include "core/transitions/transition_styles.h"

#include <array>

#include "core/transitions/effects.h"

namespace vz::transitions {

namespace {

// Members of a family differ only in the canvas orientation (x and y
// exchanged, mirrored across the vertical or horizontal centre line).
const std::array<TransitionStyle, kStyleCount> kStyles = {{
    {"Expand from right",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, false, false), StretchShape::Edge); }},  // 1
    {"Expand from left",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, true, false), StretchShape::Edge); }},  // 2
    {"Slide in from right",
     [](EffectFrame& f) { slideIn(f, canvasOf(f, false, false, false), SlideShape::Edge); }},                       // 3
    {"Slide in from left", [](EffectFrame& f) { slideIn(f, canvasOf(f, false, true, false), SlideShape::Edge); }},  // 4
    {"Reveal from left", [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, false), RevealShape::Edge); }},   // 5
    {"Reveal from right", [](EffectFrame& f) { reveal(f, canvasOf(f, false, true, false), RevealShape::Edge); }},   // 6
    {"Expand in from right",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, false, false), ExpandInShape::Edge); }},  // 7
    {"Expand in from left",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, true, false), ExpandInShape::Edge); }},  // 8
    {"Expand in to middle",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, false, false), ExpandInShape::Middle); }},  // 9
    {"Expand out from middle",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, false, false), StretchShape::Middle); }},  // 10
    {"Reveal out from middle",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, false), RevealShape::Middle); }},  // 11
    {"Reveal in from sides",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, false), RevealShape::Sides); }},  // 12
    {"Expand in from sides",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, false, false), StretchShape::Sides); }},  // 13
    {"Unroll from left", [](EffectFrame& f) { unroll(f, canvasOf(f, false, false, false)); }},        // 14
    {"Unroll from right", [](EffectFrame& f) { unroll(f, canvasOf(f, false, true, false)); }},        // 15
    {"Build up from right", [](EffectFrame& f) { buildUp(f, canvasOf(f, false, false, false)); }},    // 16
    {"Build up from left", [](EffectFrame& f) { buildUp(f, canvasOf(f, false, true, false)); }},      // 17
    {"Expand from bottom",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, true, false, false), StretchShape::Edge); }},  // 18
    {"Expand from top",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, true, false, true), StretchShape::Edge); }},  // 19
    {"Slide in from bottom",
     [](EffectFrame& f) { slideIn(f, canvasOf(f, true, false, false), SlideShape::Edge); }},                       // 20
    {"Slide in from top", [](EffectFrame& f) { slideIn(f, canvasOf(f, true, false, true), SlideShape::Edge); }},   // 21
    {"Reveal from top", [](EffectFrame& f) { reveal(f, canvasOf(f, true, false, false), RevealShape::Edge); }},    // 22
    {"Reveal from bottom", [](EffectFrame& f) { reveal(f, canvasOf(f, true, false, true), RevealShape::Edge); }},  // 23
    {"Expand in from bottom",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, true, false, false), ExpandInShape::Edge); }},  // 24
    {"Expand in from top",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, true, false, true), ExpandInShape::Edge); }},  // 25
    {"Expand in to middle (horizontal)",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, true, false, false), ExpandInShape::Middle); }},  // 26
    {"Expand out from middle (horizontal)",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, true, false, false), StretchShape::Middle); }},  // 27
    {"Reveal from middle (horizontal)",
     [](EffectFrame& f) { reveal(f, canvasOf(f, true, false, false), RevealShape::Middle); }},  // 28
    {"Slide in from top and bottom",
     [](EffectFrame& f) { reveal(f, canvasOf(f, true, false, false), RevealShape::Sides); }},  // 29
    {"Expand in from top and bottom",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, true, false, false), StretchShape::Sides); }},  // 30
    {"Unroll from top", [](EffectFrame& f) { unroll(f, canvasOf(f, true, false, false)); }},         // 31
    {"Unroll from bottom", [](EffectFrame& f) { unroll(f, canvasOf(f, true, false, true)); }},       // 32
    {"Expand from bottom", [](EffectFrame& f) { buildUp(f, canvasOf(f, true, false, false)); }},     // 33
    {"Expand in from top", [](EffectFrame& f) { buildUp(f, canvasOf(f, true, false, true)); }},      // 34
    {"Expand from bottom right",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, false, false), StretchShape::Corner); }},  // 35
    {"Expand from top right",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, false, true), StretchShape::Corner); }},  // 36
    {"Expand from top left",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, true, true), StretchShape::Corner); }},  // 37
    {"Expand from bottom left",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, true, false), StretchShape::Corner); }},  // 38
    {"Slide in from bottom right",
     [](EffectFrame& f) { slideIn(f, canvasOf(f, false, false, false), SlideShape::Corner); }},  // 39
    {"Slide in from top right",
     [](EffectFrame& f) { slideIn(f, canvasOf(f, false, false, true), SlideShape::Corner); }},  // 40
    {"Slide in from top left",
     [](EffectFrame& f) { slideIn(f, canvasOf(f, false, true, true), SlideShape::Corner); }},  // 41
    {"Slide in from bottom left",
     [](EffectFrame& f) { slideIn(f, canvasOf(f, false, true, false), SlideShape::Corner); }},  // 42
    {"Reveal from top left",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, false), RevealShape::Corner); }},  // 43
    {"Reveal from bottom left",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, true), RevealShape::Corner); }},  // 44
    {"Reveal from bottom right",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, true, true), RevealShape::Corner); }},  // 45
    {"Reveal from top right",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, true, false), RevealShape::Corner); }},  // 46
    {"Appear and Contract to top left",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, false, false), ExpandInShape::Corner); }},  // 47
    {"Appear and Contract to bottom left",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, false, true), ExpandInShape::Corner); }},  // 48
    {"Appear and Contract to bottom right",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, true, true), ExpandInShape::Corner); }},  // 49
    {"Appear and Contract to top right",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, true, false), ExpandInShape::Corner); }},  // 50
    {"Appear and Contract to middle",
     [](EffectFrame& f) { expandIn(f, canvasOf(f, false, false, false), ExpandInShape::Centre); }},  // 51
    {"Expand out from centre",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, false, false), StretchShape::Centre); }},  // 52
    {"Reveal out from centre",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, false), RevealShape::Centre); }},  // 53
    {"Reveal in to centre",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, false), RevealShape::Outside); }},  // 54
    {"Quarters Reveal in to middle",
     [](EffectFrame& f) { reveal(f, canvasOf(f, false, false, false), RevealShape::Quarters); }},  // 55
    {"Quarters Expand to middle",
     [](EffectFrame& f) { stretchInto(f, canvasOf(f, false, false, false), StretchShape::Quarters); }},  // 56
    {"Quarters Slide in to middle",
     [](EffectFrame& f) { slideIn(f, canvasOf(f, false, false, false), SlideShape::Quarters); }},  // 57
    {"Curved Reveal from left",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, false, false), CurveShape::Edge); }},  // 58
    {"Curved Reveal from right",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, true, false), CurveShape::Edge); }},  // 59
    {"Bars in from right", [](EffectFrame& f) { bars(f, 1, 0, false); }},                          // 60
    {"Bars in from left", [](EffectFrame& f) { bars(f, 2, 0, false); }},                           // 61
    {"Bars left then right", [](EffectFrame& f) { bars(f, 4, 0, false); }},                        // 62
    {"Bars right then left", [](EffectFrame& f) { bars(f, 5, 0, false); }},                        // 63
    {"Bars from both sides", [](EffectFrame& f) { bars(f, 3, 0, true); }},                         // 64
    {"Uneven shred from right", [](EffectFrame& f) { unevenShred(f, 1, 0); }},                     // 65
    {"Uneven shred from left", [](EffectFrame& f) { unevenShred(f, 2, 0); }},                      // 66
    {"Uneven shred out from middle (horizontal)", [](EffectFrame& f) { unevenShred(f, 3, 0); }},   // 67
    {"Uneven shred in to middle (horizontal)", [](EffectFrame& f) { unevenShred(f, 4, 0); }},      // 68
    {"Curved Reveal from top",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, true, false, false), CurveShape::Edge); }},  // 69
    {"Curved Reveal from bottom",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, true, false, true), CurveShape::Edge); }},  // 70
    {"Bars from bottom", [](EffectFrame& f) { bars(f, 0, 1, false); }},                           // 71
    {"Bars from top", [](EffectFrame& f) { bars(f, 0, 2, false); }},                              // 72
    {"Bars top then bottom", [](EffectFrame& f) { bars(f, 0, 4, false); }},                       // 73
    {"Bars bottom then top", [](EffectFrame& f) { bars(f, 0, 5, false); }},                       // 74
    {"Bars from top and bottom", [](EffectFrame& f) { bars(f, 0, 3, true); }},                    // 75
    {"Unven shred from bottom", [](EffectFrame& f) { unevenShred(f, 0, 1); }},                    // 76
    {"Uneven shred from top", [](EffectFrame& f) { unevenShred(f, 0, 2); }},                      // 77
    {"Uneven shred from horizon", [](EffectFrame& f) { unevenShred(f, 0, 3); }},                  // 78
    {"Uneven shred in to horizon", [](EffectFrame& f) { unevenShred(f, 0, 4); }},                 // 79
    {"Curved reveal from top left",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, false, false), CurveShape::Corner); }},  // 80
    {"Curved reveal from top right",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, true, false), CurveShape::Corner); }},  // 81
    {"Curved reveal from bottom left",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, false, true), CurveShape::Corner); }},  // 82
    {"Curved reveal from bottom right",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, true, true), CurveShape::Corner); }},  // 83
    {"Elliptic reveal out from centre",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, false, false), CurveShape::EllipseOut); }},  // 84
    {"Elliptic reveal in to centre",
     [](EffectFrame& f) { curvedReveal(f, canvasOf(f, false, false, false), CurveShape::EllipseIn); }},  // 85
    {"Criss Cross reveal from bottom right", [](EffectFrame& f) { bars(f, 1, 1, false); }},              // 86
    {"Criss Cross reveal from top right", [](EffectFrame& f) { bars(f, 1, 2, false); }},                 // 87
    {"Criss Cross reveal from bottom left", [](EffectFrame& f) { bars(f, 2, 1, false); }},               // 88
    {"Criss Cross reveal from top left", [](EffectFrame& f) { bars(f, 2, 2, false); }},                  // 89
    {"Criss Cross reveal bounce from top left", [](EffectFrame& f) { bars(f, 4, 4, false); }},           // 90
    {"Criss Cross reveal bounce from bottom left", [](EffectFrame& f) { bars(f, 4, 5, false); }},        // 91
    {"Criss Cross reveal bounce from top right", [](EffectFrame& f) { bars(f, 5, 4, false); }},          // 92
    {"Criss Cross reveal bounce from bottom right", [](EffectFrame& f) { bars(f, 5, 5, false); }},       // 93
    {"Criss Cross reveal from right top and bottom", [](EffectFrame& f) { bars(f, 1, 3, true); }},       // 94
    {"Criss Cross reveal from left top and bottom", [](EffectFrame& f) { bars(f, 2, 3, true); }},        // 95
    {"Criss Cross reveal from left right and bottom", [](EffectFrame& f) { bars(f, 3, 1, true); }},      // 96
    {"Criss Cross reveal from left right and top", [](EffectFrame& f) { bars(f, 3, 2, true); }},         // 97
    {"Criss Cross reveal from top left right and bottom", [](EffectFrame& f) { bars(f, 3, 3, true); }},  // 98
    {"Criss Cross reveal from bottom left top right", [](EffectFrame& f) { crossedBars(f); }},           // 99
    {"Uneven shred from bottom and right", [](EffectFrame& f) { unevenShred(f, 1, 1); }},                // 100
    {"Uneven shred from top and right", [](EffectFrame& f) { unevenShred(f, 1, 2); }},                   // 101
    {"Uneven shred from bottom and left", [](EffectFrame& f) { unevenShred(f, 2, 1); }},                 // 102
    {"Uneven shred from top and left", [](EffectFrame& f) { unevenShred(f, 2, 2); }},                    // 103
    {"Uneven shred from horizon and right", [](EffectFrame& f) { unevenShred(f, 1, 3); }},               // 104
    {"Uneven shred from horizon and left", [](EffectFrame& f) { unevenShred(f, 2, 3); }},                // 105
    {"Uneven shred from bottom and vert middle", [](EffectFrame& f) { unevenShred(f, 3, 1); }},          // 106
    {"Uneven shred from top and vert middle", [](EffectFrame& f) { unevenShred(f, 3, 2); }},             // 107
    {"Uneven shred from centre", [](EffectFrame& f) { unevenShred(f, 3, 3); }},                          // 108
    {"Uneven shred to centre", [](EffectFrame& f) { unevenShred(f, 4, 4); }},                            // 109
    {"Reveal diagonal from top left",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::Diagonal); }},  // 110
    {"Reveal diagonal from top right",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, true, false), PolygonShape::Diagonal); }},  // 111
    {"Reveal diagonal from bottom left",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, true), PolygonShape::Diagonal); }},  // 112
    {"Reveal diagonal from bottom right",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, true, true), PolygonShape::Diagonal); }},  // 113
    {"Diagonal sweep from top left bottom right anticlockwise",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::DiagonalSweep); }},  // 114
    {"Diagonal sweep from top left bottom right clockwise",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, true, false), PolygonShape::DiagonalSweep); }},  // 115
    {"Starburst clockwise from center",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::Starburst); }},  // 116
    {"Starburst anticlockwise from center",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, true, false), PolygonShape::Starburst); }},  // 117
    {"Triangular shred",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::TriangleShred); }},    // 118
    {"Fade", [](EffectFrame& f) { fade(f); }},                                                                    // 119
    {"Pivot from top left", [](EffectFrame& f) { pivot(f, canvasOf(f, false, false, false)); }},                  // 120
    {"Pivot from bottom left", [](EffectFrame& f) { pivot(f, canvasOf(f, false, false, true)); }},                // 121
    {"Pivot from top right", [](EffectFrame& f) { pivot(f, canvasOf(f, false, true, false)); }},                  // 122
    {"Pivot from bottom right", [](EffectFrame& f) { pivot(f, canvasOf(f, false, true, true)); }},                // 123
    {"Speckle appear from right", [](EffectFrame& f) { speckle(f, canvasOf(f, false, false, false)); }},          // 124
    {"Speckle appear from left", [](EffectFrame& f) { speckle(f, canvasOf(f, false, true, false)); }},            // 125
    {"Speckle appear from bottom", [](EffectFrame& f) { speckle(f, canvasOf(f, true, false, false)); }},          // 126
    {"Speckle appear from top", [](EffectFrame& f) { speckle(f, canvasOf(f, true, false, true)); }},              // 127
    {"Random squares appear", [](EffectFrame& f) { randomCells(f, RandomUnit::Squares); }},                       // 128
    {"Push right", [](EffectFrame& f) { push(f, canvasOf(f, false, false, false), false); }},                     // 129
    {"Push left", [](EffectFrame& f) { push(f, canvasOf(f, false, true, false), false); }},                       // 130
    {"Push and squeeze right", [](EffectFrame& f) { push(f, canvasOf(f, false, false, false), true); }},          // 131
    {"Push and squeeze left", [](EffectFrame& f) { push(f, canvasOf(f, false, true, false), true); }},            // 132
    {"Push down", [](EffectFrame& f) { push(f, canvasOf(f, true, false, false), false); }},                       // 133
    {"Push up", [](EffectFrame& f) { push(f, canvasOf(f, true, false, true), false); }},                          // 134
    {"Push and sqeeze down", [](EffectFrame& f) { push(f, canvasOf(f, true, false, false), true); }},             // 135
    {"Push and sqeeze up", [](EffectFrame& f) { push(f, canvasOf(f, true, false, true), true); }},                // 136
    {"Blind vertically", [](EffectFrame& f) { cells(f, canvasOf(f, false, false, false), CellShape::Blind); }},   // 137
    {"Blind horizontally", [](EffectFrame& f) { cells(f, canvasOf(f, true, false, false), CellShape::Blind); }},  // 138
    {"Uneven blind from left",
     [](EffectFrame& f) { cells(f, canvasOf(f, false, false, false), CellShape::UnevenBlind); }},  // 139
    {"Uneven blind from right",
     [](EffectFrame& f) { cells(f, canvasOf(f, false, true, false), CellShape::UnevenBlind); }},  // 140
    {"Uneven blind from top",
     [](EffectFrame& f) { cells(f, canvasOf(f, true, false, false), CellShape::UnevenBlind); }},  // 141
    {"Uneven blind from bottom",
     [](EffectFrame& f) { cells(f, canvasOf(f, true, false, true), CellShape::UnevenBlind); }},  // 142
    {"Rectangular shred",
     [](EffectFrame& f) { cells(f, canvasOf(f, false, false, false), CellShape::SquareShred); }},  // 143
    {"Sweep clockwise",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::SweepClockwise); }},  // 144
    {"Sweep anticlockwise",
     [](EffectFrame&
            f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::SweepAnticlockwise); }},  // 145
    {"Rectangles apear from left and disapear to right",
     [](EffectFrame& f) { cells(f, canvasOf(f, false, false, false), CellShape::BandsAndColumns); }},  // 146
    {"Rectangles apear from right and disapear to left",
     [](EffectFrame& f) { cells(f, canvasOf(f, false, true, false), CellShape::BandsAndColumns); }},  // 147
    {"Rectangles apear from up and disapear to bottom",
     [](EffectFrame& f) { cells(f, canvasOf(f, true, false, false), CellShape::BandsAndColumns); }},  // 148
    {"Rectangles apear from bottom and disapear to up",
     [](EffectFrame& f) { cells(f, canvasOf(f, true, false, true), CellShape::BandsAndColumns); }},  // 149
    {"Rotational rectangle in center",
     [](EffectFrame&
            f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::RotatingRectangle); }},  // 150
    {"Rotational star in center",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::RotatingStar); }},  // 151
    {"Spiral rectangle",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::Spiral); }},  // 152
    {"Circular shred",
     [](EffectFrame& f) { cells(f, canvasOf(f, false, false, false), CellShape::CircleShred); }},  // 153
    {"Reveal V from left",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::RevealV); }},  // 154
    {"Reveal V from right",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, true, false), PolygonShape::RevealV); }},  // 155
    {"Reveal V from top",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, true, false, false), PolygonShape::RevealV); }},  // 156
    {"Reveal V from bottom",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, true, false, true), PolygonShape::RevealV); }},  // 157
    {"Bow Tie Horizontal",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::BowTie); }},  // 158
    {"Bow Tie Vertical",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, true, false, false), PolygonShape::BowTie); }},  // 159
    {"Diagonal Cross In",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::CrossIn); }},  // 160
    {"Diagonal Cross Out",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::CrossOut); }},  // 161
    {"Zigzag Horizontal",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::Zigzag); }},  // 162
    {"Zigzag Vertical",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, true, false, false), PolygonShape::Zigzag); }},  // 163
    {"Diamond shred",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::DiamondShred); }},  // 164
    {"Reveal diamond out from centre",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::DiamondOut); }},  // 165
    {"Reveal diamond in to centre",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::DiamondIn); }},  // 166
    {"Diagonal Box Out",
     [](EffectFrame& f) { polygonReveal(f, canvasOf(f, false, false, false), PolygonShape::DiamondBox); }},  // 167
    {"Pixelate", [](EffectFrame& f) { pixelate(f); }},                                                       // 168
    {"Dissolve", [](EffectFrame& f) { randomCells(f, RandomUnit::Pixels); }},                                // 169
    {"Random Bars Horizontal", [](EffectFrame& f) { randomCells(f, RandomUnit::Rows); }},                    // 170
    {"Random Bars Vertical", [](EffectFrame& f) { randomCells(f, RandomUnit::Columns); }},                   // 171
    {"Channel Mix", [](EffectFrame& f) { channelMix(f); }},                                                  // 172
    {"Slide out from right", [](EffectFrame& f) { slideOut(f, canvasOf(f, false, false, false)); }},         // 173
    {"Slide out from left", [](EffectFrame& f) { slideOut(f, canvasOf(f, false, true, false)); }},           // 174
    {"Slide out from bottom", [](EffectFrame& f) { slideOut(f, canvasOf(f, true, false, false)); }},         // 175
    {"Slide out from top", [](EffectFrame& f) { slideOut(f, canvasOf(f, true, false, true)); }},             // 176
}};

}  // namespace

std::span<const TransitionStyle> transitionStyles() { return kStyles; }

int styleNumberForName(const QString& name) {
    if (name.compare(QLatin1String("Custom"), Qt::CaseInsensitive) == 0) return 0;
    for (int i = 0; i < kStyleCount; ++i)
        if (name.compare(QLatin1String(kStyles[size_t(i)].name), Qt::CaseInsensitive) == 0) return i + 1;
    return -1;
}

QString styleName(int number) {
    if (number == 0) return QStringLiteral("Custom");
    if (number < 1 || number > kStyleCount) return {};
    return QString::fromLatin1(kStyles[size_t(number - 1)].name);
}

ProgressExtents progressExtents(int w, int h, int progress) {
    if (w <= 0 || h <= 0) return {};
    if (h > w) {
        const int y = mulDiv(h, progress, 100);
        return {mulDiv(y, w, h), y};
    }
    const int x = mulDiv(w, progress, 100);
    return {x, mulDiv(x, h, w)};
}

void paintStyle(int number, Pixels display, ConstPixels image, int progress, uint32_t seed, RandomGenerator& random) {
    if (number < 1 || number > kStyleCount || display.width <= 0 || display.height <= 0) return;
    EffectFrame frame;
    frame.display = display;
    frame.image = image;
    frame.w = display.width;
    frame.h = display.height;
    const ProgressExtents e = progressExtents(frame.w, frame.h, progress);
    frame.x = e.x;
    frame.y = e.y;
    frame.progress = progress;
    frame.seed = seed;
    frame.random = &random;
    kStyles[size_t(number - 1)].paint(frame);
}

}  // namespace vz::transitions
