#pragma once

// Inside the platform library: the context record, shared by the AppKit half (window
// backing stores, text drawing).

#include <CoreGraphics/CGContext.h>

#include <atomic>
#include <vector>

struct CGGState
{
  CGAffineTransform ctm = CGAffineTransformIdentity;
  // clip in device pixels: [x0, x1) x [y0, y1), device y upwards
  int clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;
  bool antialias = true;
  bool allowsAntialias = true;
  CGInterpolationQuality interpolation = kCGInterpolationDefault;
  double fill[4] = {0, 0, 0, 1};
  double alpha = 1;
};

struct CGContext
{
  std::atomic<long> refs{1};
  unsigned char* data = nullptr;
  bool ownsData = false;
  int width = 0, height = 0;
  size_t bytesPerRow = 0;
  CGBitmapInfo info = 0;
  CGGState state;
  std::vector<CGGState> saved;
  // called by CGContextFlush with the device rectangle drawn since the last flush
  void (*flushHandler)(void* owner) = nullptr;
  void* flushOwner = nullptr;
};

namespace cgpriv {

// Source-over of a straight-alpha colour (a, r, g, b 0..255) with coverage 0..255 into
// the context's pixel at device column x and memory row `row`.
void BlendPixel(CGContextRef c, int x, int row, int a, int r, int g, int b);
bool ShouldAntialias(CGContextRef c);
// Device clip of the current state, rows counted from the top in memory.
void ClipRows(CGContextRef c, int& x0, int& row0, int& x1, int& row1);

}  // namespace cgpriv
