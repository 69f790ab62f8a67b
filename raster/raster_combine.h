#pragma once

#include "raster_bitmap.h"

#include <type_traits>

// Pixel combine operations. Each class combines a source colour (r, g, b, a, each 0 to
// 255) into one destination pixel with an integer weight alpha (0 to 256, out of 256)
// through its static doPix. The blit, fill and line routines are instantiated once per
// class, so the per-pixel operation is inlined and the mode word is examined once per
// call. "/" is integer division truncating toward zero throughout.

static inline void _RAS_MakePixelClamp(unsigned char* dest, int r, int g, int b, int a)
{
  dest[RAS_BYTE_R] = static_cast<unsigned char>(r < 0 ? 0 : r > 255 ? 255 : r);
  dest[RAS_BYTE_G] = static_cast<unsigned char>(g < 0 ? 0 : g > 255 ? 255 : g);
  dest[RAS_BYTE_B] = static_cast<unsigned char>(b < 0 ? 0 : b > 255 ? 255 : b);
  dest[RAS_BYTE_A] = static_cast<unsigned char>(a < 0 ? 0 : a > 255 ? 255 : a);
}

static inline void _RAS_MakePixelNoClamp(unsigned char* dest, int r, int g, int b, int a)
{
  dest[RAS_BYTE_R] = static_cast<unsigned char>(r);
  dest[RAS_BYTE_G] = static_cast<unsigned char>(g);
  dest[RAS_BYTE_B] = static_cast<unsigned char>(b);
  dest[RAS_BYTE_A] = static_cast<unsigned char>(a);
}

static inline int _RAS_Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// d = s + (d - s) * (256 - alpha) / 256
static inline int _RAS_CopyChannel(int d, int s, int alpha) { return s + (d - s) * (256 - alpha) / 256; }

class _RAS_CombinePixelsCopyClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_MakePixelClamp(dest, _RAS_CopyChannel(dest[RAS_BYTE_R], r, alpha), _RAS_CopyChannel(dest[RAS_BYTE_G], g, alpha),
                        _RAS_CopyChannel(dest[RAS_BYTE_B], b, alpha), _RAS_CopyChannel(dest[RAS_BYTE_A], a, alpha));
  }
};

class _RAS_CombinePixelsCopyNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_MakePixelNoClamp(dest, _RAS_CopyChannel(dest[RAS_BYTE_R], r, alpha), _RAS_CopyChannel(dest[RAS_BYTE_G], g, alpha),
                          _RAS_CopyChannel(dest[RAS_BYTE_B], b, alpha), _RAS_CopyChannel(dest[RAS_BYTE_A], a, alpha));
  }
};

// d = s, the weight ignored
class _RAS_CombinePixelsClobberClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    _RAS_MakePixelClamp(dest, r, g, b, a);
  }
};

class _RAS_CombinePixelsClobberNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    _RAS_MakePixelNoClamp(dest, r, g, b, a);
  }
};

// d = (d + s) / 2
class _RAS_CombinePixelsHalfMixClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    _RAS_MakePixelClamp(dest, (dest[RAS_BYTE_R] + r) / 2, (dest[RAS_BYTE_G] + g) / 2, (dest[RAS_BYTE_B] + b) / 2,
                        (dest[RAS_BYTE_A] + a) / 2);
  }
};

class _RAS_CombinePixelsHalfMixNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    _RAS_MakePixelNoClamp(dest, (dest[RAS_BYTE_R] + r) / 2, (dest[RAS_BYTE_G] + g) / 2, (dest[RAS_BYTE_B] + b) / 2,
                          (dest[RAS_BYTE_A] + a) / 2);
  }
};

// d = clamp(d + s * alpha / 256)
class _RAS_CombinePixelsAdd
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_MakePixelClamp(dest, dest[RAS_BYTE_R] + r * alpha / 256, dest[RAS_BYTE_G] + g * alpha / 256,
                        dest[RAS_BYTE_B] + b * alpha / 256, dest[RAS_BYTE_A] + a * alpha / 256);
  }
};

// k = 256 - s * alpha / 256; d = clamp(d * 256 / k), or clamp(d * 256) when k < 2
static inline int _RAS_DodgeChannel(int d, int s, int alpha)
{
  const int k = 256 - s * alpha / 256;
  return _RAS_Clamp255(k >= 2 ? d * 256 / k : d * 256);
}

class _RAS_CombinePixelsColorDodge
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_MakePixelNoClamp(dest, _RAS_DodgeChannel(dest[RAS_BYTE_R], r, alpha), _RAS_DodgeChannel(dest[RAS_BYTE_G], g, alpha),
                          _RAS_DodgeChannel(dest[RAS_BYTE_B], b, alpha), _RAS_DodgeChannel(dest[RAS_BYTE_A], a, alpha));
  }
};

// d = d * (alpha * s + (256 - alpha) * 256) / 65536
static inline int _RAS_MulChannel(int d, int s, int alpha) { return d * (alpha * s + (256 - alpha) * 256) / 65536; }

class _RAS_CombinePixelsMulClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_MakePixelClamp(dest, _RAS_MulChannel(dest[RAS_BYTE_R], r, alpha), _RAS_MulChannel(dest[RAS_BYTE_G], g, alpha),
                        _RAS_MulChannel(dest[RAS_BYTE_B], b, alpha), _RAS_MulChannel(dest[RAS_BYTE_A], a, alpha));
  }
};

class _RAS_CombinePixelsMulNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_MakePixelNoClamp(dest, _RAS_MulChannel(dest[RAS_BYTE_R], r, alpha), _RAS_MulChannel(dest[RAS_BYTE_G], g, alpha),
                          _RAS_MulChannel(dest[RAS_BYTE_B], b, alpha), _RAS_MulChannel(dest[RAS_BYTE_A], a, alpha));
  }
};

// t = alpha * s + (256 - alpha) * 128; d = clamp(d * ((32768 - t) * d / 256 + t) / 32768)
static inline int _RAS_OverlayChannel(int d, int s, int alpha)
{
  const int t = alpha * s + (256 - alpha) * 128;
  return _RAS_Clamp255(d * ((32768 - t) * d / 256 + t) / 32768);
}

class _RAS_CombinePixelsOverlay
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_MakePixelNoClamp(dest, _RAS_OverlayChannel(dest[RAS_BYTE_R], r, alpha), _RAS_OverlayChannel(dest[RAS_BYTE_G], g, alpha),
                          _RAS_OverlayChannel(dest[RAS_BYTE_B], b, alpha), _RAS_OverlayChannel(dest[RAS_BYTE_A], a, alpha));
  }
};

// Reciprocal table of the HSV conversion: entry 0 is 0, entry i is 65536 / i - 1.
extern const unsigned short _RAS_RGB2HSV_invtab[256];

// Hue 0..383 (64 steps a sixth: red 0, green 128, blue 256), saturation and value 0..255.
void _RAS_RGB2HSV(int r, int g, int b, int* h, int* s, int* v);
void _RAS_HSV2RGB(int h, int s, int v, int* r, int* g, int* b);

// Shifts the destination's hue by (r + r / 2 - 192), its saturation by (g - 128) * 2 and
// its value by (b - 128) * 2, all scaled by alpha / 256; the alpha becomes the source's.
class _RAS_CombinePixelsHSVAdjust
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    int h, s, v;
    _RAS_RGB2HSV(dest[RAS_BYTE_R], dest[RAS_BYTE_G], dest[RAS_BYTE_B], &h, &s, &v);
    h += (r + r / 2 - 192) * alpha / 256;
    while (h < 0) h += 384;
    while (h >= 384) h -= 384;
    s = _RAS_Clamp255(s + (g - 128) * alpha / 128);
    v = _RAS_Clamp255(v + (b - 128) * alpha / 128);
    int nr, ng, nb;
    _RAS_HSV2RGB(h, s, v, &nr, &ng, &nb);
    // fills pass their weight (up to 256) as the source alpha
    _RAS_MakePixelNoClamp(dest, nr, ng, nb, a > 255 ? 255 : a);
  }
};

// Source-alpha variants: the weight becomes (s.a + 1) * alpha / 256 per pixel.
static inline int _RAS_SourceAlphaWeight(int a, int alpha) { return (a + 1) * alpha / 256; }

class _RAS_CombinePixelsCopySourceAlphaClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a) _RAS_CombinePixelsCopyClamp::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

class _RAS_CombinePixelsCopySourceAlphaNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a) _RAS_CombinePixelsCopyNoClamp::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

class _RAS_CombinePixelsAddSourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a) _RAS_CombinePixelsAdd::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

class _RAS_CombinePixelsColorDodgeSourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_CombinePixelsColorDodge::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

class _RAS_CombinePixelsMulSourceAlphaClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a) _RAS_CombinePixelsMulClamp::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

class _RAS_CombinePixelsMulSourceAlphaNoClamp
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a) _RAS_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

class _RAS_CombinePixelsOverlaySourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_CombinePixelsOverlay::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

class _RAS_CombinePixelsHSVAdjustSourceAlpha
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _RAS_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, _RAS_SourceAlphaWeight(a, alpha));
  }
};

// Copy with source alpha at full weight: transparent leaves the pixel, opaque replaces it
// with alpha 255, anything between mixes with w = s.a + 1 (alpha channel towards w).
template <bool kClamp>
class _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParm
{
public:
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int)
  {
    if (!a) return;
    if (a == 255) {
      _RAS_MakePixelNoClamp(dest, r, g, b, 255);
      return;
    }
    const int w = a + 1;
    const int nr = _RAS_CopyChannel(dest[RAS_BYTE_R], r, w);
    const int ng = _RAS_CopyChannel(dest[RAS_BYTE_G], g, w);
    const int nb = _RAS_CopyChannel(dest[RAS_BYTE_B], b, w);
    const int na = w + (dest[RAS_BYTE_A] - w) * (256 - w) / 256;
    if (kClamp)
      _RAS_MakePixelClamp(dest, nr, ng, nb, na);
    else
      _RAS_MakePixelNoClamp(dest, nr, ng, nb, na);
  }
};

typedef _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParm<true> _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp;
typedef _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParm<false> _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp;

// Whole-word mixes, each byte handled by shifting and masking the word.
static inline RAS_pixel _RAS_HalfMixWord(RAS_pixel d, RAS_pixel s)
{
  return ((d >> 1) & 0x7F7F7F7F) + ((s >> 1) & 0x7F7F7F7F);
}
// one quarter source, three quarters destination
static inline RAS_pixel _RAS_QuarterMixWord(RAS_pixel d, RAS_pixel s)
{
  return ((d >> 1) & 0x7F7F7F7F) + ((d >> 2) & 0x3F3F3F3F) + ((s >> 2) & 0x3F3F3F3F);
}
// three quarters source, one quarter destination
static inline RAS_pixel _RAS_ThreeQuarterMixWord(RAS_pixel d, RAS_pixel s) { return _RAS_QuarterMixWord(s, d); }

// Whole-word combine classes of the fast nearest-neighbour scaler.
class _RAS_CombinePixelsHalfMixFAST
{
public:
  static inline void doPixFAST(RAS_pixel* dest, RAS_pixel src) { *dest = _RAS_HalfMixWord(*dest, src); }
};

class _RAS_CombinePixelsClobberFAST
{
public:
  static inline void doPixFAST(RAS_pixel* dest, RAS_pixel src) { *dest = src; }
};

// Calls fn with a null pointer of the combine class that the blit table selects for a
// mode word (masked with 0x100FF) and integer weight; returns false when the mode draws
// nothing. Shared by blits, scaled and rotated blits and RAS_CombinePixels so that the
// table exists once.
template <class Fn>
static inline bool _RAS_DispatchBlitMode(int mode, int alpha, Fn&& fn)
{
  switch (mode & 0x100FF) {
    case 0:
      if (alpha == 256)
        fn(static_cast<_RAS_CombinePixelsClobberNoClamp*>(nullptr));
      else if (alpha >= 1)
        fn(static_cast<_RAS_CombinePixelsCopyNoClamp*>(nullptr));
      else
        return false;
      return true;
    case 1: fn(static_cast<_RAS_CombinePixelsAdd*>(nullptr)); return true;
    case 2: fn(static_cast<_RAS_CombinePixelsColorDodge*>(nullptr)); return true;
    case 3: fn(static_cast<_RAS_CombinePixelsMulNoClamp*>(nullptr)); return true;
    case 4: fn(static_cast<_RAS_CombinePixelsOverlay*>(nullptr)); return true;
    case 5: fn(static_cast<_RAS_CombinePixelsHSVAdjust*>(nullptr)); return true;
    case 0x10000:
      if (alpha == 256)
        fn(static_cast<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp*>(nullptr));
      else
        fn(static_cast<_RAS_CombinePixelsCopySourceAlphaNoClamp*>(nullptr));
      return true;
    case 0x10001: fn(static_cast<_RAS_CombinePixelsAddSourceAlpha*>(nullptr)); return true;
    case 0x10002: fn(static_cast<_RAS_CombinePixelsColorDodgeSourceAlpha*>(nullptr)); return true;
    case 0x10003: fn(static_cast<_RAS_CombinePixelsMulSourceAlphaNoClamp*>(nullptr)); return true;
    case 0x10004: fn(static_cast<_RAS_CombinePixelsOverlaySourceAlpha*>(nullptr)); return true;
    case 0x10005: fn(static_cast<_RAS_CombinePixelsHSVAdjustSourceAlpha*>(nullptr)); return true;
    default: return false;
  }
}

// Integer weight out of 256 of a float alpha: the integer part of alpha * 256, limited to
// 0..256 (the range every doPix is written for); NaN gives 0.
static inline int _RAS_WeightFromAlpha(float alpha)
{
  if (!(alpha > 0.0f)) return 0;
  if (alpha >= 1.0f) return 256;
  return static_cast<int>(alpha * 256.0f);
}

// Combines one source pixel into one destination pixel under the mode and weight of a
// plain blit; copy at full weight returns the source.
RAS_pixel RAS_CombinePixels(RAS_pixel dest, RAS_pixel src, float alpha, int mode);
