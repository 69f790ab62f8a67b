#pragma once

#include "raster_bitmap.h"

// Circles and arcs, outlines only, optionally antialiased. Colour, weight and blend mode
// as for RAS_Line: the integer part of alpha x 256, blend modes 0 to 5, the colour's own
// alpha byte as the source alpha. UI thread (editor drawing); keeps no state.

// Outline of radius r around (cx, cy). The radii 2, 2.5, 3, 3.5 and 4 are drawn from
// stored masks whose top-left pixel is at the integer parts of (cx - r, cy - r).
void RAS_Circle(RAS_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode, bool aa);

// Part of the outline from minAngle to maxAngle, in radians, 0 at twelve o'clock and
// growing clockwise: a point of the arc is (cx + r sin a, cy - r cos a). An arc of 2 pi or
// more is the whole circle; maxAngle below minAngle draws nothing.
void RAS_Arc(RAS_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, unsigned int color,
             float alpha, int mode, bool aa);

// Draws a w x h coverage mask with its top-left pixel at (x, y): every non-zero coverage v
// (0 to 255) combines the colour with weight v x alpha / 256 by the blend mode's class.
// Clipped to the bitmap.
void RAS_DrawGlyph(RAS_IBitmap* dest, int x, int y, const unsigned char* coverage, int w, int h,
                   unsigned int color, float alpha, int mode);
