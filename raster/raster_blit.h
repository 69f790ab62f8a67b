#pragma once

#include "raster_combine.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

// The per-pixel loops of the blits and fills. Each family is instantiated once per combine
// class (or, for the rotation walk, once per doPix function), so the per-pixel operation is
// inlined and the inner loops hold no mode branch. Callers have clipped every rectangle
// against both bitmaps; source positions are 16.16 fixed point held in 64 bits.

// The rows of a bitmap as the loops see them: logical row y starts at row0 + y * stride
// (a flipped bitmap is walked from its last stored row with a negative stride).
struct _RAS_Rows
{
  RAS_pixel* row0 = nullptr;
  ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;

  RAS_pixel* row(int y) const { return row0 + y * stride; }
};

// Fills rows for a bitmap; false for a null bitmap, no pixels or an empty size.
static inline bool _RAS_GetRows(RAS_IBitmap* bm, _RAS_Rows* rows)
{
  if (!bm) return false;
  RAS_pixel* bits = bm->getBits();
  const int w = bm->getWidth();
  const int h = bm->getHeight();
  const int span = bm->getRowSpan();
  if (!bits || w <= 0 || h <= 0 || span < w) return false;
  rows->width = w;
  rows->height = h;
  if (bm->isFlipped()) {
    rows->row0 = bits + static_cast<ptrdiff_t>(h - 1) * span;
    rows->stride = -static_cast<ptrdiff_t>(span);
  } else {
    rows->row0 = bits;
    rows->stride = span;
  }
  return true;
}

// One byte of a pixel word (0 alpha, 1 red, 2 green, 3 blue on the little-endian target).
static inline unsigned int _RAS_Byte(RAS_pixel p, int i) { return (p >> (8 * i)) & 0xFF; }

// Combines a pixel word into dest through a combine class. Copy with source alpha at full
// weight, the editor's most common blit, handles its transparent and opaque pixels as words.
template <class Combine>
static inline void _RAS_DoPixWord(RAS_pixel* dest, RAS_pixel s, int alpha)
{
  if (std::is_same<Combine, _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::value) {
    const RAS_pixel a = s & 0xFF;
    if (a == 0) return;
    if (a == 255) {
      *dest = s;
      return;
    }
  }
  Combine::doPix(reinterpret_cast<unsigned char*>(dest), RAS_GETR(s), RAS_GETG(s), RAS_GETB(s), RAS_GETA(s), alpha);
}

// Bytes 0 and 2 (shift 0) or 1 and 3 (shift 8) of a pixel in two 32-bit lanes, so that one
// 64-bit multiplication weighs two channels at once (a weighted sum stays below 2^24).
static inline uint64_t _RAS_Lanes(RAS_pixel p, int shift)
{
  const uint64_t v = (p >> shift) & 0x00FF00FFu;
  return (v & 0xFF) | ((v & 0x00FF0000u) << 16);
}

static inline RAS_pixel _RAS_Unlanes(uint64_t even, uint64_t odd)
{
  return static_cast<RAS_pixel>(((even >> 16) & 0xFF) | ((even >> 32) & 0xFF0000) | ((odd >> 8) & 0xFF00) |
                                ((odd >> 24) & 0xFF000000u));
}

// Bilinear mix of four pixels with 16-bit fractions fx, fy: p = fx * fy >> 16, weights
// 65536 - fx - fy + p, fx - p, fy - p, p; each channel is the weighted sum / 65536.
static inline RAS_pixel __RAS_BilinearFilterI(RAS_pixel p00, RAS_pixel p10, RAS_pixel p01, RAS_pixel p11, int fx,
                                              int fy)
{
  const uint64_t p = (static_cast<uint64_t>(fx) * static_cast<uint64_t>(fy)) >> 16;
  const uint64_t w00 = 65536 + p - static_cast<uint64_t>(fx) - static_cast<uint64_t>(fy);
  const uint64_t w10 = static_cast<uint64_t>(fx) - p;
  const uint64_t w01 = static_cast<uint64_t>(fy) - p;
  const uint64_t w11 = p;
  const uint64_t even = _RAS_Lanes(p00, 0) * w00 + _RAS_Lanes(p10, 0) * w10 + _RAS_Lanes(p01, 0) * w01 +
                        _RAS_Lanes(p11, 0) * w11;
  const uint64_t odd = _RAS_Lanes(p00, 8) * w00 + _RAS_Lanes(p10, 8) * w10 + _RAS_Lanes(p01, 8) * w01 +
                       _RAS_Lanes(p11, 8) * w11;
  return _RAS_Unlanes(even, odd);
}

// Linear mix of two pixels with a 16-bit fraction f: weights 65536 - f and f.
static inline RAS_pixel __RAS_LinearFilterI(RAS_pixel p0, RAS_pixel p1, int f)
{
  const uint64_t w0 = 65536 - static_cast<uint64_t>(f);
  const uint64_t w1 = static_cast<uint64_t>(f);
  return _RAS_Unlanes(_RAS_Lanes(p0, 0) * w0 + _RAS_Lanes(p1, 0) * w1, _RAS_Lanes(p0, 8) * w0 + _RAS_Lanes(p1, 8) * w1);
}

// Source pixel index of a 16.16 position (division truncating toward zero) and its
// filter fraction (a position in (-1, 0) reads its pixel unfiltered).
static inline int64_t _RAS_FixedIndex(int64_t pos) { return pos / 65536; }
static inline int _RAS_FixedFrac(int64_t pos) { return pos < 0 ? 0 : static_cast<int>(pos & 0xFFFF); }

// The filtered source pixel at (ix, iy) inside the clip [l, r) x [t, b): bilinear inside,
// linear along the last column or row, the pixel itself at the last corner.
static inline RAS_pixel _RAS_SampleBilinear(const _RAS_Rows& src, int ix, int iy, int fx, int fy, int r, int b)
{
  const RAS_pixel* r0 = src.row(iy);
  const bool lastCol = ix + 1 >= r;
  const bool lastRow = iy + 1 >= b;
  if (!lastCol && !lastRow) {
    const RAS_pixel* r1 = src.row(iy + 1);
    return __RAS_BilinearFilterI(r0[ix], r0[ix + 1], r1[ix], r1[ix + 1], fx, fy);
  }
  if (!lastRow) return __RAS_LinearFilterI(r0[ix], src.row(iy + 1)[ix], fy);
  if (!lastCol) return __RAS_LinearFilterI(r0[ix], r0[ix + 1], fx);
  return r0[ix];
}

// A scaled walk: destination rectangle (dx, dy, w, h), source start and steps in 16.16,
// source clip [0, clipw) x [0, cliph).
struct _RAS_ScaleWalk
{
  int dx, dy, w, h;
  int clipw, cliph;
  int64_t sx, sy, xstep, ystep;
};

// Nearest-neighbour scaling with a whole-word combine (doPixFAST).
class _RAS_Template_Blit0
{
public:
  template <class Combine>
  static void scaleBlitFAST(const _RAS_Rows& dst, const _RAS_Rows& src, const _RAS_ScaleWalk& walk)
  {
    int64_t py = walk.sy;
    for (int j = 0; j < walk.h; ++j, py += walk.ystep) {
      const int64_t iy = _RAS_FixedIndex(py);
      if (iy < 0 || iy >= walk.cliph) continue;
      const RAS_pixel* srow = src.row(static_cast<int>(iy));
      RAS_pixel* d = dst.row(walk.dy + j) + walk.dx;
      int64_t px = walk.sx;
      for (int i = 0; i < walk.w; ++i, px += walk.xstep) {
        const int64_t ix = _RAS_FixedIndex(px);
        if (ix >= 0 && ix < walk.clipw) Combine::doPixFAST(d + i, srow[ix]);
      }
    }
  }
};

// Calls fn with a null pointer of the combine class that fills and single pixels use for a
// blend mode (mode & 0xFF, 0 to 5); false when the blend mode draws nothing.
template <class Fn>
static inline bool _RAS_DispatchSolidMode(int blend, Fn&& fn)
{
  switch (blend) {
    case 0: fn(static_cast<_RAS_CombinePixelsCopyNoClamp*>(nullptr)); return true;
    case 1: fn(static_cast<_RAS_CombinePixelsAdd*>(nullptr)); return true;
    case 2: fn(static_cast<_RAS_CombinePixelsColorDodge*>(nullptr)); return true;
    case 3: fn(static_cast<_RAS_CombinePixelsMulNoClamp*>(nullptr)); return true;
    case 4: fn(static_cast<_RAS_CombinePixelsOverlay*>(nullptr)); return true;
    case 5: fn(static_cast<_RAS_CombinePixelsHSVAdjust*>(nullptr)); return true;
    default: return false;
  }
}

// Combine classes whose every result channel depends only on the same destination
// channel (for a fixed source colour and weight): a fill can look their results up.
template <class Combine>
struct _RAS_IsChannelwise : std::false_type
{
};
template <> struct _RAS_IsChannelwise<_RAS_CombinePixelsCopyClamp> : std::true_type {};
template <> struct _RAS_IsChannelwise<_RAS_CombinePixelsCopyNoClamp> : std::true_type {};
template <> struct _RAS_IsChannelwise<_RAS_CombinePixelsAdd> : std::true_type {};
template <> struct _RAS_IsChannelwise<_RAS_CombinePixelsColorDodge> : std::true_type {};
template <> struct _RAS_IsChannelwise<_RAS_CombinePixelsMulClamp> : std::true_type {};
template <> struct _RAS_IsChannelwise<_RAS_CombinePixelsMulNoClamp> : std::true_type {};
template <> struct _RAS_IsChannelwise<_RAS_CombinePixelsOverlay> : std::true_type {};

// Fills with one colour.
class _RAS_Template_Blit1
{
public:
  template <class Combine>
  static void solidBlit(const _RAS_Rows& dst, int x, int y, int w, int h, int r, int g, int b, int a, int alpha)
  {
    if (_RAS_IsChannelwise<Combine>::value && static_cast<int64_t>(w) * h >= 1024) {
      // the result of each channel value, worked out once by the class itself
      unsigned char table[4][256];
      for (int v = 0; v < 256; ++v) {
        unsigned char px[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v),
                               static_cast<unsigned char>(v), static_cast<unsigned char>(v)};
        Combine::doPix(px, r, g, b, a, alpha);
        for (int c = 0; c < 4; ++c) table[c][v] = px[c];
      }
      for (int j = 0; j < h; ++j) {
        unsigned char* d = reinterpret_cast<unsigned char*>(dst.row(y + j) + x);
        for (int i = 0; i < w; ++i, d += 4) {
          d[0] = table[0][d[0]];
          d[1] = table[1][d[1]];
          d[2] = table[2][d[2]];
          d[3] = table[3][d[3]];
        }
      }
      return;
    }
    for (int j = 0; j < h; ++j) {
      unsigned char* d = reinterpret_cast<unsigned char*>(dst.row(y + j) + x);
      for (int i = 0; i < w; ++i, d += 4) Combine::doPix(d, r, g, b, a, alpha);
    }
  }
};

// Unscaled and scaled blits through a combine class.
class _RAS_Template_Blit2
{
public:
  // w x h pixels from (sx, sy) of src to (dx, dy) of dst
  template <class Combine>
  static void blit(const _RAS_Rows& dst, int dx, int dy, const _RAS_Rows& src, int sx, int sy, int w, int h,
                   int alpha)
  {
    for (int j = 0; j < h; ++j) {
      RAS_pixel* d = dst.row(dy + j) + dx;
      const RAS_pixel* s = src.row(sy + j) + sx;
      int i = 0;
      if (std::is_same<Combine, _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::value) {
        // images are mostly runs of transparent or opaque pixels: skip or copy four at once
        for (; i + 4 <= w; i += 4) {
          const RAS_pixel a0 = s[i] & 0xFF, a1 = s[i + 1] & 0xFF, a2 = s[i + 2] & 0xFF, a3 = s[i + 3] & 0xFF;
          if ((a0 | a1 | a2 | a3) == 0) continue;
          if ((a0 & a1 & a2 & a3) == 0xFF) {
            d[i] = s[i];
            d[i + 1] = s[i + 1];
            d[i + 2] = s[i + 2];
            d[i + 3] = s[i + 3];
            continue;
          }
          for (int k = i; k < i + 4; ++k) _RAS_DoPixWord<Combine>(d + k, s[k], alpha);
        }
      }
      for (; i < w; ++i) _RAS_DoPixWord<Combine>(d + i, s[i], alpha);
    }
  }

  // nearest source pixel, or bilinear filtering; pixels whose source index falls outside
  // the clip are left alone
  template <class Combine, bool kBilinear>
  static void scaleBlit(const _RAS_Rows& dst, const _RAS_Rows& src, const _RAS_ScaleWalk& walk, int alpha)
  {
    int64_t py = walk.sy;
    for (int j = 0; j < walk.h; ++j, py += walk.ystep) {
      const int64_t iy = _RAS_FixedIndex(py);
      if (iy < 0 || iy >= walk.cliph) continue;
      const int fy = _RAS_FixedFrac(py);
      const RAS_pixel* srow = src.row(static_cast<int>(iy));
      RAS_pixel* d = dst.row(walk.dy + j) + walk.dx;
      int64_t px = walk.sx;
      for (int i = 0; i < walk.w; ++i, px += walk.xstep) {
        const int64_t ix = _RAS_FixedIndex(px);
        if (ix < 0 || ix >= walk.clipw) continue;
        const RAS_pixel s =
            kBilinear ? _RAS_SampleBilinear(src, static_cast<int>(ix), static_cast<int>(iy), _RAS_FixedFrac(px), fy,
                                            walk.clipw, walk.cliph)
                      : srow[ix];
        _RAS_DoPixWord<Combine>(d + i, s, alpha);
      }
    }
  }

  // box-filtered reduction: each channel is the plain average of the pixels of a square
  // kernel (radius 1 or 2) centred on the nearest source pixel, inside the clip
  template <class Combine>
  static void scaleBlitFilterDown(const _RAS_Rows& dst, const _RAS_Rows& src, const _RAS_ScaleWalk& walk,
                                  int radius, int alpha)
  {
    int64_t py = walk.sy;
    for (int j = 0; j < walk.h; ++j, py += walk.ystep) {
      const int64_t iy = _RAS_FixedIndex(py);
      if (iy < 0 || iy >= walk.cliph) continue;
      const int y0 = iy - radius < 0 ? 0 : static_cast<int>(iy) - radius;
      const int y1 = iy + radius >= walk.cliph ? walk.cliph - 1 : static_cast<int>(iy) + radius;
      unsigned char* d = reinterpret_cast<unsigned char*>(dst.row(walk.dy + j) + walk.dx);
      int64_t px = walk.sx;
      for (int i = 0; i < walk.w; ++i, px += walk.xstep, d += 4) {
        const int64_t ix = _RAS_FixedIndex(px);
        if (ix < 0 || ix >= walk.clipw) continue;
        const int x0 = ix - radius < 0 ? 0 : static_cast<int>(ix) - radius;
        const int x1 = ix + radius >= walk.clipw ? walk.clipw - 1 : static_cast<int>(ix) + radius;
        unsigned int sum[4] = {0, 0, 0, 0};
        for (int y = y0; y <= y1; ++y) {
          const RAS_pixel* s = src.row(y);
          for (int x = x0; x <= x1; ++x)
            for (int c = 0; c < 4; ++c) sum[c] += _RAS_Byte(s[x], c);
        }
        const unsigned int count = static_cast<unsigned int>((x1 - x0 + 1) * (y1 - y0 + 1));
        Combine::doPix(d, static_cast<int>(sum[RAS_BYTE_R] / count), static_cast<int>(sum[RAS_BYTE_G] / count),
                       static_cast<int>(sum[RAS_BYTE_B] / count), static_cast<int>(sum[RAS_BYTE_A] / count), alpha);
      }
    }
  }
};

// An affine walk: destination rectangle (dx, dy, w, h); source position of its top-left
// pixel and its change per destination column and row, all 16.16; source clip [l, r) x [t, b).
struct _RAS_DeltaWalk
{
  int dx, dy, w, h;
  int l, t, r, b;
  int64_t sx, sy;
  int64_t colx, coly, rowx, rowy;
};

typedef void (*_RAS_DoPixFn)(unsigned char* dest, int r, int g, int b, int a, int alpha);

// Rotation: the combine operation is passed as a function (fixed at compile time).
class _RAS_Template_Blit3
{
public:
  template <_RAS_DoPixFn kDoPix, bool kBilinear>
  static void deltaBlit(const _RAS_Rows& dst, const _RAS_Rows& src, const _RAS_DeltaWalk& walk, int alpha)
  {
    int64_t rx = walk.sx;
    int64_t ry = walk.sy;
    for (int j = 0; j < walk.h; ++j, rx += walk.rowx, ry += walk.rowy) {
      unsigned char* d = reinterpret_cast<unsigned char*>(dst.row(walk.dy + j) + walk.dx);
      int64_t px = rx;
      int64_t py = ry;
      for (int i = 0; i < walk.w; ++i, px += walk.colx, py += walk.coly, d += 4) {
        const int64_t ix = _RAS_FixedIndex(px);
        const int64_t iy = _RAS_FixedIndex(py);
        if (ix < walk.l || ix >= walk.r || iy < walk.t || iy >= walk.b) continue;
        const RAS_pixel s = kBilinear ? _RAS_SampleBilinear(src, static_cast<int>(ix), static_cast<int>(iy),
                                                            _RAS_FixedFrac(px), _RAS_FixedFrac(py), walk.r, walk.b)
                                      : src.row(static_cast<int>(iy))[ix];
        kDoPix(d, RAS_GETR(s), RAS_GETG(s), RAS_GETB(s), RAS_GETA(s), alpha);
      }
    }
  }
};
