#pragma once

// Bitmaps for the raster tests: allocated to the exact byte (so that AddressSanitizer
// reports any read or write outside them), optionally stored bottom-up, optionally with
// row padding.

#include "raster.h"

#include <cstring>
#include <memory>
#include <random>
#include <vector>

class TestBitmap : public RAS_IBitmap
{
public:
  TestBitmap(int w, int h, bool flipped = false, int padding = 0) : mFlipped(flipped), mPadding(padding)
  {
    resize(w, h);
  }

  RAS_pixel* getBits() override { return mPixels.get(); }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mWidth + mPadding; }
  bool isFlipped() override { return mFlipped; }
  bool resize(int w, int h) override
  {
    if (w == mWidth && h == mHeight) return false;
    mWidth = w;
    mHeight = h;
    mPixels.reset(w > 0 && h > 0 ? new RAS_pixel[static_cast<size_t>(w + mPadding) * h]() : nullptr);
    return true;
  }

  // the stored word of logical pixel (x, y)
  RAS_pixel& at(int x, int y)
  {
    const int row = mFlipped ? mHeight - 1 - y : y;
    return mPixels[static_cast<size_t>(row) * getRowSpan() + x];
  }
  // every stored word, padding included
  std::vector<RAS_pixel> words() const
  {
    return std::vector<RAS_pixel>(mPixels.get(), mPixels.get() + static_cast<size_t>(mWidth + mPadding) * mHeight);
  }
  void fillRandom(std::mt19937& rng)
  {
    for (size_t i = 0; i < static_cast<size_t>(mWidth + mPadding) * mHeight; ++i) mPixels[i] = rng();
  }
  void fill(RAS_pixel p)
  {
    for (size_t i = 0; i < static_cast<size_t>(mWidth + mPadding) * mHeight; ++i) mPixels[i] = p;
  }
  void copyFrom(TestBitmap& o)
  {
    for (int y = 0; y < mHeight; ++y)
      for (int x = 0; x < mWidth; ++x) at(x, y) = o.at(x, y);
  }

private:
  std::unique_ptr<RAS_pixel[]> mPixels;
  int mWidth = 0;
  int mHeight = 0;
  bool mFlipped;
  int mPadding;
};

// A grey pixel of one value with alpha a.
inline RAS_pixel Grey(int v, int a = 255) { return RAS_RGBA(v, v, v, a); }
