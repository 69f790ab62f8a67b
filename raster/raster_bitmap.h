#pragma once

#include "gdi-emu.h"

// 32-bit bitmaps. A pixel is one unsigned 32-bit word whose bytes in memory are alpha,
// red, green, blue (offsets 0 to 3), straight alpha: on the little-endian target the word
// is a | r << 8 | g << 16 | b << 24. Rows run top to bottom; the row span is counted in
// pixels; pixel (x, y) is word y * span + x.

typedef unsigned int RAS_pixel;

#define RAS_RGBA(r, g, b, a)                                                              \
  (static_cast<RAS_pixel>((a) & 0xff) | (static_cast<RAS_pixel>((r) & 0xff) << 8) |       \
   (static_cast<RAS_pixel>((g) & 0xff) << 16) | (static_cast<RAS_pixel>((b) & 0xff) << 24))
#define RAS_GETA(p) (static_cast<int>((p) & 0xff))
#define RAS_GETR(p) (static_cast<int>(((p) >> 8) & 0xff))
#define RAS_GETG(p) (static_cast<int>(((p) >> 16) & 0xff))
#define RAS_GETB(p) (static_cast<int>(((p) >> 24) & 0xff))

// Byte offsets of the channels inside a pixel.
enum { RAS_BYTE_A = 0, RAS_BYTE_R = 1, RAS_BYTE_G = 2, RAS_BYTE_B = 3 };

class RAS_IBitmap
{
public:
  virtual ~RAS_IBitmap() {}
  // pointer to the first pixel, or null when the bitmap has none
  virtual RAS_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // row span in pixels, at least the width
  virtual int getRowSpan() = 0;
  // true when rows are stored bottom-up
  virtual bool isFlipped() { return false; }
  // true when the size changed; pixels are not cleared
  virtual bool resize(int w, int h) = 0;
  // the drawing context behind the pixels, if any
  virtual GDI_HDC getDC() { return nullptr; }
  virtual int Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// A bitmap in plain memory, rows padded to a power of two of pixels (at most 16), bits
// 64-byte aligned. Grows with 25 % headroom and never shrinks its allocation (except to
// nothing for an empty size).
class RAS_MemBitmap : public RAS_IBitmap
{
public:
  RAS_MemBitmap(int w = 0, int h = 0, unsigned int lineAlign = 4);
  ~RAS_MemBitmap() override;

  RAS_pixel* getBits() override;
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return (mWidth + mLineAlignMask) & ~mLineAlignMask; }
  bool resize(int w, int h) override;

  // usable bytes of the current allocation (without the alignment slack)
  int getAllocatedBytes() const { return mAllocated; }

private:
  RAS_MemBitmap(const RAS_MemBitmap&) = delete;
  RAS_MemBitmap& operator=(const RAS_MemBitmap&) = delete;

  void* mBuffer = nullptr;
  int mWidth = 0;
  int mHeight = 0;
  int mAllocated = 0;
  int mLineAlignMask = 0;
};

// A bitmap whose pixels belong to a memory drawing context, so that the platform can
// draw text into them and copy them to a window. Rows span the width rounded up to 4.
class RAS_SysBitmap : public RAS_IBitmap
{
public:
  RAS_SysBitmap(int w = 0, int h = 0);
  ~RAS_SysBitmap() override;

  RAS_pixel* getBits() override { return mBits; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mAllocWidth; }
  bool resize(int w, int h) override;
  GDI_HDC getDC() override { return mDC; }

private:
  RAS_SysBitmap(const RAS_SysBitmap&) = delete;
  RAS_SysBitmap& operator=(const RAS_SysBitmap&) = delete;

  int mWidth = 0;
  int mHeight = 0;
  GDI_HDC mDC = nullptr;
  RAS_pixel* mBits = nullptr;
  int mAllocWidth = 0;
  int mAllocHeight = 0;
};
