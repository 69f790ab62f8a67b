#include "raster_bitmap.h"

#include <cstdint>
#include <cstdlib>

namespace {

// slack that lets the bits start on a 64-byte boundary
constexpr int kAlignSlack = 63;

}  // namespace

RAS_MemBitmap::RAS_MemBitmap(int w, int h, unsigned int lineAlign)
{
  if (lineAlign > 1) {
    const unsigned int lowest = lineAlign & (~lineAlign + 1);
    mLineAlignMask = static_cast<int>(lowest - 1 > 15 ? 15 : lowest - 1);
  }
  if (w || h) resize(w, h);
}

RAS_MemBitmap::~RAS_MemBitmap() { std::free(mBuffer); }

RAS_pixel* RAS_MemBitmap::getBits()
{
  if (!mBuffer) return nullptr;
  const uintptr_t address = reinterpret_cast<uintptr_t>(mBuffer);
  return reinterpret_cast<RAS_pixel*>((address + kAlignSlack) & ~static_cast<uintptr_t>(kAlignSlack));
}

bool RAS_MemBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;
  const long long needed = static_cast<long long>(getRowSpan()) * h * 4;
  if (needed <= 0 || w <= 0 || h <= 0) {
    std::free(mBuffer);
    mBuffer = nullptr;
    mAllocated = 0;
    return true;
  }
  if (mBuffer && needed <= mAllocated) return true;

  // grow with 25 % headroom; a first allocation takes exactly what is needed
  const long long wanted = mBuffer ? needed + needed / 4 : needed;
  void* grown = wanted <= INT32_MAX - kAlignSlack ? std::malloc(static_cast<size_t>(wanted) + kAlignSlack) : nullptr;
  std::free(mBuffer);
  mBuffer = grown;
  if (!grown) {
    mAllocated = 0;
    mWidth = mHeight = 0;
    return true;
  }
  mAllocated = static_cast<int>(wanted);
  return true;
}

RAS_SysBitmap::RAS_SysBitmap(int w, int h) { resize(w, h); }

RAS_SysBitmap::~RAS_SysBitmap() { GDI_DeleteGfxContext(mDC); }

bool RAS_SysBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;
  if (w > 0 && h > 0 && w <= mAllocWidth && h <= mAllocHeight && mBits) return true;

  mAllocWidth = w > 0 ? (w + 3) & ~3 : 0;
  mAllocHeight = h;
  GDI_DeleteGfxContext(mDC);
  mDC = nullptr;
  mBits = nullptr;
  if (w <= 0 || h <= 0) return false;

  mDC = GDI_CreateMemContext(nullptr, mAllocWidth, h);
  mBits = static_cast<RAS_pixel*>(GDI_GetCtxFrameBuffer(mDC));
  if (!mBits) {
    GDI_DeleteGfxContext(mDC);
    mDC = nullptr;
    mWidth = mHeight = 0;
    mAllocWidth = mAllocHeight = 0;
  }
  return true;
}
