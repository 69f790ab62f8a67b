#pragma once

#include "raster_bitmap.h"

// Lines: one pixel wide, both end points included, optionally antialiased. The colour's
// red, green and blue are combined into the bitmap with its own alpha byte as the source
// alpha; the weight is the integer part of alpha x 256 (0 draws nothing). Only the blend
// mode (mode & 0xFF, 0 to 5) is used; other blend modes draw nothing. Flipped bitmaps are
// addressed with row 0 at the top. UI thread (editor drawing); keeps no state.
void RAS_Line(RAS_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode,
              bool aa);

// Cohen-Sutherland clip of a segment to columns 0..w-1 and rows 0..h-1; false when
// nothing of it remains. Crossings are computed in floating point and truncated.
bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h);
