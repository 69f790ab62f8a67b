#include "raster.h"

#include "raster_blit.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

// Applies op to every pixel word of the rectangle.
template <class Op>
void ForEachWord(const _RAS_Rows& rows, int x, int y, int w, int h, Op op)
{
  for (int j = 0; j < h; ++j) {
    RAS_pixel* p = rows.row(y + j) + x;
    for (int i = 0; i < w; ++i) p[i] = op(p[i]);
  }
}

// The whole-word weights of a copy: 256 colour, 128 half, 64 a quarter, 192 three
// quarters. False for any other weight.
bool FillWords(const _RAS_Rows& rows, int x, int y, int w, int h, RAS_pixel color, int alpha)
{
  switch (alpha) {
    case 256: ForEachWord(rows, x, y, w, h, [color](RAS_pixel) { return color; }); return true;
    case 128: ForEachWord(rows, x, y, w, h, [color](RAS_pixel d) { return _RAS_HalfMixWord(d, color); }); return true;
    case 64: ForEachWord(rows, x, y, w, h, [color](RAS_pixel d) { return _RAS_QuarterMixWord(d, color); }); return true;
    case 192:
      ForEachWord(rows, x, y, w, h, [color](RAS_pixel d) { return _RAS_ThreeQuarterMixWord(d, color); });
      return true;
    default: return false;
  }
}

// Clips (x, y, w, h) against a w x h area; false when nothing is left.
bool ClipRect(int64_t& x, int64_t& y, int64_t& w, int64_t& h, int width, int height)
{
  if (x < 0) {
    w += x;
    x = 0;
  }
  if (y < 0) {
    h += y;
    y = 0;
  }
  if (w > width - x) w = width - x;
  if (h > height - y) h = height - y;
  return w > 0 && h > 0;
}

// Plain blit of the source rectangle [l, r) x [t, b) to (dx, dy).
void BlitRect(RAS_IBitmap* dest, RAS_IBitmap* src, int64_t dx, int64_t dy, int64_t l, int64_t t, int64_t r, int64_t b,
              float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  if (l < 0) {
    dx -= l;
    l = 0;
  }
  if (t < 0) {
    dy -= t;
    t = 0;
  }
  if (r > src->getWidth()) r = src->getWidth();
  if (b > src->getHeight()) b = src->getHeight();
  if (dx < 0) {
    l -= dx;
    dx = 0;
  }
  if (dy < 0) {
    t -= dy;
    dy = 0;
  }
  int64_t w = r - l;
  int64_t h = b - t;
  if (w > dest->getWidth() - dx) w = dest->getWidth() - dx;
  if (h > dest->getHeight() - dy) h = dest->getHeight() - dy;
  if (w <= 0 || h <= 0) return;

  _RAS_Rows drows, srows;
  if (!_RAS_GetRows(dest, &drows) || !_RAS_GetRows(src, &srows)) return;
  const int iw = static_cast<int>(w), ih = static_cast<int>(h);
  const int idx = static_cast<int>(dx), idy = static_cast<int>(dy);
  int sx = static_cast<int>(l), sy = static_cast<int>(t);

  // A bitmap blitted onto itself reads from a snapshot so that no source pixel is
  // overwritten before it is read.
  RAS_MemBitmap snapshot;
  if (dest->getBits() == src->getBits()) {
    snapshot.resize(iw, ih);
    _RAS_Rows copy;
    if (!_RAS_GetRows(&snapshot, &copy)) return;
    for (int j = 0; j < ih; ++j) memcpy(copy.row(j), srows.row(sy + j) + sx, static_cast<size_t>(iw) * 4);
    srows = copy;
    sx = sy = 0;
  }

  const int blend = mode & RAS_MODE_BLEND_MASK;
  if (blend >= 0xF0) {
    // channel copy: destination byte (mode >> 2 & 3) = source byte (mode & 3)
    const int from = mode & 3;
    const int to = (mode >> 2) & 3;
    for (int j = 0; j < ih; ++j) {
      unsigned char* d = reinterpret_cast<unsigned char*>(drows.row(idy + j) + idx);
      const unsigned char* s = reinterpret_cast<const unsigned char*>(srows.row(sy + j) + sx);
      for (int i = 0; i < iw; ++i) d[4 * i + to] = s[4 * i + from];
    }
    return;
  }
  if ((mode & 0x100FF) == 0 && alpha == 1.0f) {
    for (int j = 0; j < ih; ++j) memcpy(drows.row(idy + j) + idx, srows.row(sy + j) + sx, static_cast<size_t>(iw) * 4);
    return;
  }
  if ((mode & 0x100FF) == 0 && alpha == 0.5f) {
    for (int j = 0; j < ih; ++j) {
      RAS_pixel* d = drows.row(idy + j) + idx;
      const RAS_pixel* s = srows.row(sy + j) + sx;
      for (int i = 0; i < iw; ++i) d[i] = _RAS_HalfMixWord(d[i], s[i]);
    }
    return;
  }
  const int weight = _RAS_WeightFromAlpha(alpha);
  if (weight == 0) return;
  _RAS_DispatchBlitMode(mode, weight, [&](auto* tag) {
    using Combine = std::remove_pointer_t<decltype(tag)>;
    _RAS_Template_Blit2::blit<Combine>(drows, idx, idy, srows, sx, sy, iw, ih, weight);
  });
}

}  // namespace

void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, RECT* srcrect, float alpha, int mode)
{
  if (!src) return;
  if (srcrect)
    BlitRect(dest, src, dstx, dsty, srcrect->left, srcrect->top, srcrect->right, srcrect->bottom, alpha, mode);
  else
    BlitRect(dest, src, dstx, dsty, 0, 0, src->getWidth(), src->getHeight(), alpha, mode);
}

void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode)
{
  BlitRect(dest, src, dstx, dsty, srcx, srcy, static_cast<int64_t>(srcx) + srcw, static_cast<int64_t>(srcy) + srch,
           alpha, mode);
}

void RAS_Copy(RAS_IBitmap* dest, RAS_IBitmap* src)
{
  if (!dest || !src || dest == src) return;
  dest->resize(src->getWidth(), src->getHeight());
  RAS_Blit(dest, src, 0, 0, nullptr, 1.0f, 0);
}

void RAS_FillRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_pixel color, float alpha, int mode)
{
  _RAS_Rows rows;
  if (!_RAS_GetRows(dest, &rows)) return;
  int64_t cx = x, cy = y, cw = w, ch = h;
  if (!ClipRect(cx, cy, cw, ch, rows.width, rows.height)) return;
  if (mode & RAS_MODE_SOURCE_ALPHA) alpha *= RAS_GETA(color) / 255.0f;
  const int weight = _RAS_WeightFromAlpha(alpha);
  if (weight == 0) return;
  const int ix = static_cast<int>(cx), iy = static_cast<int>(cy), iw = static_cast<int>(cw), ih = static_cast<int>(ch);
  const int blend = mode & RAS_MODE_BLEND_MASK;
  if (blend == 0 && FillWords(rows, ix, iy, iw, ih, color, weight)) return;
  _RAS_DispatchSolidMode(blend, [&](auto* tag) {
    using Combine = std::remove_pointer_t<decltype(tag)>;
    _RAS_Template_Blit1::solidBlit<Combine>(rows, ix, iy, iw, ih, RAS_GETR(color), RAS_GETG(color), RAS_GETB(color),
                                            weight, weight);
  });
}

void RAS_Clear(RAS_IBitmap* dest, RAS_pixel color)
{
  _RAS_Rows rows;
  if (!_RAS_GetRows(dest, &rows)) return;
  ForEachWord(rows, 0, 0, rows.width, rows.height, [color](RAS_pixel) { return color; });
}

void RAS_ClearRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_pixel mask, RAS_pixel orbits)
{
  _RAS_Rows rows;
  if (!_RAS_GetRows(dest, &rows)) return;
  int64_t cx = x, cy = y, cw = w, ch = h;
  if (!ClipRect(cx, cy, cw, ch, rows.width, rows.height)) return;
  ForEachWord(rows, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(cw), static_cast<int>(ch),
              [mask, orbits](RAS_pixel p) { return (p & mask) | orbits; });
}

RAS_pixel RAS_GetPixel(RAS_IBitmap* bm, int x, int y)
{
  _RAS_Rows rows;
  if (!_RAS_GetRows(bm, &rows) || x < 0 || y < 0 || x >= rows.width || y >= rows.height) return 0;
  return rows.row(y)[x];
}

void RAS_PutPixel(RAS_IBitmap* dest, int x, int y, RAS_pixel color, float alpha, int mode)
{
  _RAS_Rows rows;
  if (!_RAS_GetRows(dest, &rows) || x < 0 || y < 0 || x >= rows.width || y >= rows.height) return;
  const int weight = _RAS_WeightFromAlpha(alpha);
  if (weight == 0) return;
  const int blend = mode & RAS_MODE_BLEND_MASK;
  if (blend == 0 && FillWords(rows, x, y, 1, 1, color, weight)) return;
  RAS_pixel* p = rows.row(y) + x;
  _RAS_DispatchSolidMode(blend, [&](auto* tag) {
    using Combine = std::remove_pointer_t<decltype(tag)>;
    _RAS_DoPixWord<Combine>(p, color, weight);
  });
}
