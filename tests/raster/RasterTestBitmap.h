#pragma once

#include "raster_bitmap.h"

#include <cstddef>
#include <vector>

// A bitmap with exactly w x h pixels and no padding, so that AddressSanitizer reports any
// access outside it; optionally flipped (rows stored bottom-up). at(x, y) reads logical
// pixels (row 0 at the top) whatever the storage order.
class TestBitmap : public RAS_IBitmap
{
public:
  TestBitmap(int w, int h, RAS_pixel fill = 0, bool flipped = false)
      : mWidth(w), mHeight(h), mFlipped(flipped), mPixels(new RAS_pixel[static_cast<size_t>(w) * h])
  {
    for (int i = 0; i < w * h; ++i) mPixels[i] = fill;
  }
  ~TestBitmap() override { delete[] mPixels; }

  RAS_pixel* getBits() override { return mPixels; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mWidth; }
  bool isFlipped() override { return mFlipped; }
  bool resize(int, int) override { return false; }

  RAS_pixel& at(int x, int y) { return mPixels[(mFlipped ? mHeight - 1 - y : y) * mWidth + x]; }
  // every logical pixel, row by row
  std::vector<RAS_pixel> pixels()
  {
    std::vector<RAS_pixel> v;
    for (int y = 0; y < mHeight; ++y)
      for (int x = 0; x < mWidth; ++x) v.push_back(at(x, y));
    return v;
  }
  int countNot(RAS_pixel value)
  {
    int n = 0;
    for (int i = 0; i < mWidth * mHeight; ++i) n += mPixels[i] != value;
    return n;
  }

private:
  TestBitmap(const TestBitmap&) = delete;
  TestBitmap& operator=(const TestBitmap&) = delete;

  int mWidth, mHeight;
  bool mFlipped;
  RAS_pixel* mPixels;
};

// A grey level g in all four bytes (alpha included): what a white opaque colour leaves
// on a black transparent pixel at coverage g.
inline RAS_pixel Grey4(int g) { return RAS_RGBA(g, g, g, g); }
