#pragma once

#include "raster_bitmap.h"
#include "raster_combine.h"

// Moving and combining rectangles of pixels. Every routine clips against both bitmaps and
// does nothing for a null bitmap, a bitmap without pixels, an empty area or a weight of 0.
// The mode word: blend mode in bits 0 to 7 (0 copy, 1 add, 2 colour dodge, 3 multiply,
// 4 overlay, 5 HSV adjust; 0xF0..0xFF channel copy in plain blits), filter in bits 8 to
// 15 (1 = bilinear), bit 16 (0x10000) use of source alpha. Alpha 0..1 becomes a weight out
// of 256 (values outside are limited to 0..256).
// Threads: the editor calls these on the user-interface thread while it draws; any thread
// may call them on bitmaps it alone writes, since they keep no state. They take no lock and
// allocate nothing, except a snapshot of the source when a bitmap is blitted onto itself.

#ifndef RAS_RECT_DEFINED
#define RAS_RECT_DEFINED
// right and bottom are exclusive
struct RECT
{
  int left;
  int top;
  int right;
  int bottom;
};
#endif

enum
{
  RAS_MODE_BLEND_MASK = 0xFF,
  RAS_MODE_FILTER_MASK = 0xFF00,
  RAS_MODE_BILINEAR = 0x100,
  RAS_MODE_SOURCE_ALPHA = 0x10000,
};

// Blits srcrect of src (null: the whole source) to (dstx, dsty) of dest.
void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, RECT* srcrect, float alpha, int mode);
// The same with the source rectangle (srcx, srcy, srcx + srcw, srcy + srch).
void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode);
// Resizes dest to the source's size and copies every pixel.
void RAS_Copy(RAS_IBitmap* dest, RAS_IBitmap* src);

// Fills a rectangle with one colour; with the source-alpha bit the colour's alpha byte
// scales the weight.
void RAS_FillRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_pixel color, float alpha, int mode);
// Sets every pixel (not the row padding) to color.
void RAS_Clear(RAS_IBitmap* dest, RAS_pixel color);
// Each pixel p of the clipped rectangle becomes (p & mask) | orbits.
void RAS_ClearRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_pixel mask, RAS_pixel orbits);

// The pixel word, or 0 outside the bitmap or without pixels.
RAS_pixel RAS_GetPixel(RAS_IBitmap* bm, int x, int y);
// Combines color (its own alpha byte as source alpha) into one pixel.
void RAS_PutPixel(RAS_IBitmap* dest, int x, int y, RAS_pixel color, float alpha, int mode);

// Scales the source rectangle (floats, in source pixels) onto the destination rectangle;
// a negative destination width or height mirrors.
void RAS_ScaledBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode);

// Draws the source rectangle rotated by angle (radians) into the destination rectangle;
// the rotation centre is offset (rotxcent, rotycent) source pixels from the centre of the
// source rectangle. With cliptosrc only pixels inside the source rectangle are read.
void RAS_RotatedBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool cliptosrc, float alpha, int mode,
                     float rotxcent = 0.0f, float rotycent = 0.0f);
