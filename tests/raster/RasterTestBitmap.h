#pragma once

#include "raster_bitmap.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

// A bitmap with exactly w x h pixels and no padding, so that AddressSanitizer reports any
// access outside it; optionally flipped (rows stored bottom-up). at(x, y) reads logical
// pixels (row 0 at the top) whatever the storage order.
class TestBitmap : public RAS_IBitmap
{
public:
  TestBitmap(int w, int h, RAS_pixel fill = 0, bool flipped = false)
      : mWidth(w), mHeight(h), mFlipped(flipped), mPixels(static_cast<size_t>(w) * h, fill)
  {
  }

  RAS_pixel* getBits() override { return mPixels.data(); }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mWidth; }
  bool isFlipped() override { return mFlipped; }
  bool resize(int, int) override { return false; }

  RAS_pixel& at(int x, int y) { return mPixels[(mFlipped ? mHeight - 1 - y : y) * mWidth + x]; }
  std::vector<RAS_pixel> pixels()  // every logical pixel, row by row
  {
    std::vector<RAS_pixel> v;
    for (int y = 0; y < mHeight; ++y)
      for (int x = 0; x < mWidth; ++x) v.push_back(at(x, y));
    return v;
  }
  int countNot(RAS_pixel value) { return static_cast<int>(mPixels.size() - std::count(mPixels.begin(), mPixels.end(), value)); }

private:
  int mWidth, mHeight;
  bool mFlipped;
  std::vector<RAS_pixel> mPixels;
};

// A grey level g in all four bytes (alpha included): what a white opaque colour leaves
// on a black transparent pixel at coverage g.
inline RAS_pixel Grey4(int g) { return RAS_RGBA(g, g, g, g); }
inline std::vector<RAS_pixel> Greys(std::initializer_list<int> levels)
{
  std::vector<RAS_pixel> v;
  for (int g : levels) v.push_back(Grey4(g));
  return v;
}
// The pixels a mask drawn as text stands for, row by row: `on` for '#', 0 for the rest.
inline std::vector<RAS_pixel> MaskPixels(const std::string& mask, RAS_pixel on)
{
  std::vector<RAS_pixel> v;
  for (char c : mask) v.push_back(c == '#' ? on : 0);
  return v;
}
