// Scaled and rotated blits: the source is walked in 16.16 fixed point with precomputed
// steps; the combine class is fixed once per call.

#include "raster.h"

#include "raster_blit.h"

#include <cmath>
#include <cstdint>
#include <type_traits>

namespace {

// Limits of 16.16 values, chosen so that start + index * step cannot overflow 64 bits for
// any bitmap size: positions within 2^24 pixels, steps within 2^15 pixels.
constexpr double kMaxFixedPos = 1099511627776.0;  // 2^40
constexpr double kMaxFixedStep = 2147483648.0;    // 2^31

// The integer part of v * 65536, limited to +-limit; NaN gives 0.
int64_t ToFixed(double v, double limit)
{
  double f = v * 65536.0;
  if (!(f == f)) return 0;
  if (f > limit) f = limit;
  if (f < -limit) f = -limit;
  return static_cast<int64_t>(f);
}

// The integer part of v limited to the int range; NaN gives 0.
int ToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

double DistanceToNearestInteger(double v) { return std::fabs(v - std::floor(v + 0.5)); }

// Source clip edge min(ceil(v), limit), at least 0.
int ClipEdge(double v, int limit)
{
  if (!(v == v)) return 0;
  const double c = std::ceil(v);
  if (c >= limit) return limit;
  return c <= 0 ? 0 : static_cast<int>(c);
}

// Destination and source rectangles with a negative destination size turned into a
// positive one that walks the source backwards (a mirror).
struct Mirror
{
  double sx, sy, sw, sh;
  int64_t dx, dy, w, h;
};

Mirror MirrorNegativeSizes(int dstx, int dsty, int dstw, int dsth, double srcx, double srcy, double srcw,
                              double srch)
{
  Mirror k = {srcx, srcy, srcw, srch, dstx, dsty, dstw, dsth};
  if (k.w < 0) {
    k.w = -k.w;
    k.dx -= k.w;
    k.sx += k.sw;
    k.sw = -k.sw;
  }
  if (k.h < 0) {
    k.h = -k.h;
    k.dy -= k.h;
    k.sy += k.sh;
    k.sh = -k.sh;
  }
  return k;
}

}  // namespace

void RAS_ScaledBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  const bool bilinear = (mode & RAS_MODE_FILTER_MASK) == RAS_MODE_BILINEAR;

  // No scaling: a plain blit, unless bilinear filtering asks for a fractional offset.
  if (dstw > 0 && dsth > 0 && std::fabs(static_cast<double>(srcw) - dstw) < 0.001 &&
      std::fabs(static_cast<double>(srch) - dsth) < 0.001) {
    if (!bilinear || (DistanceToNearestInteger(srcx) < 0.03 && DistanceToNearestInteger(srcy) < 0.03)) {
      RAS_Blit(dest, src, dstx, dsty, ToInt(srcx + 0.5), ToInt(srcy + 0.5), dstw, dsth, alpha, mode);
      return;
    }
  }

  const Mirror m = MirrorNegativeSizes(dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch);
  double sx = m.sx, sy = m.sy, sw = m.sw, sh = m.sh;
  int64_t dx = m.dx, dy = m.dy, w = m.w, h = m.h;
  const double xstep = sw / static_cast<double>(w);
  const double ystep = sh / static_cast<double>(h);

  // Source clip: the right and bottom edges of the source rectangle.
  const int clipw = ClipEdge(sx + (sw > 0 ? sw : 0.0), src->getWidth());
  const int cliph = ClipEdge(sy + (sh > 0 ? sh : 0.0), src->getHeight());
  if (clipw <= 0 || cliph <= 0) return;

  // A mirrored axis (negative step, from a negative source or destination size) starts one
  // step in, so that its first pixel reads the last source pixel of the rectangle and the
  // result is the exact mirror image of the unmirrored blit.
  if (xstep < 0) sx += xstep;
  if (ystep < 0) sy += ystep;

  if (dx < 0) {
    sx += static_cast<double>(-dx) * xstep;
    w += dx;
    dx = 0;
  }
  if (dy < 0) {
    sy += static_cast<double>(-dy) * ystep;
    h += dy;
    dy = 0;
  }
  if (w > dest->getWidth() - dx) w = dest->getWidth() - dx;
  if (h > dest->getHeight() - dy) h = dest->getHeight() - dy;
  if (w <= 0 || h <= 0) return;

  _RAS_Rows drows, srows;
  if (!_RAS_GetRows(dest, &drows) || !_RAS_GetRows(src, &srows)) return;

  _RAS_ScaleWalk walk;
  walk.dx = static_cast<int>(dx);
  walk.dy = static_cast<int>(dy);
  walk.w = static_cast<int>(w);
  walk.h = static_cast<int>(h);
  walk.clipw = clipw;
  walk.cliph = cliph;
  walk.sx = ToFixed(sx, kMaxFixedPos);
  walk.sy = ToFixed(sy, kMaxFixedPos);
  walk.xstep = ToFixed(xstep, kMaxFixedStep);
  walk.ystep = ToFixed(ystep, kMaxFixedStep);

  const int weight = _RAS_WeightFromAlpha(alpha);
  if (weight == 0) return;

  // A bitmap scaled onto itself reads from a snapshot.
  RAS_MemBitmap snapshot;
  if (dest->getBits() == src->getBits()) {
    RAS_Copy(&snapshot, src);
    if (!_RAS_GetRows(&snapshot, &srows)) return;
  }

  if ((mode & 0x1FFFF) == 0 && weight == 256) {
    _RAS_Template_Blit0::scaleBlitFAST<_RAS_CombinePixelsClobberFAST>(drows, srows, walk);
    return;
  }
  if ((mode & 0x1FFFF) == 0 && weight == 128) {
    _RAS_Template_Blit0::scaleBlitFAST<_RAS_CombinePixelsHalfMixFAST>(drows, srows, walk);
    return;
  }
  if (bilinear && xstep >= 1.7 && ystep >= 1.7) {
    // three source pixels or more per destination pixel: 5 x 5 kernel, else 3 x 3
    const int radius = (walk.xstep > walk.ystep ? walk.xstep : walk.ystep) > 0x30000 ? 2 : 1;
    _RAS_DispatchBlitMode(mode, weight, [&](auto* tag) {
      using Combine = std::remove_pointer_t<decltype(tag)>;
      _RAS_Template_Blit2::scaleBlitFilterDown<Combine>(drows, srows, walk, radius, weight);
    });
    return;
  }
  _RAS_DispatchBlitMode(mode, weight, [&](auto* tag) {
    using Combine = std::remove_pointer_t<decltype(tag)>;
    if (bilinear)
      _RAS_Template_Blit2::scaleBlit<Combine, true>(drows, srows, walk, weight);
    else
      _RAS_Template_Blit2::scaleBlit<Combine, false>(drows, srows, walk, weight);
  });
}

void RAS_RotatedBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool cliptosrc, float alpha, int mode,
                     float rotxcent, float rotycent)
{
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  _RAS_Rows drows, srows;
  if (!_RAS_GetRows(dest, &drows) || !_RAS_GetRows(src, &srows)) return;

  // Source clip: the pixels the source rectangle touches, or the whole source.
  int l = 0, t = 0, r = srows.width, b = srows.height;
  if (cliptosrc) {
    const double x0 = srcx, x1 = static_cast<double>(srcx) + srcw;
    const double y0 = srcy, y1 = static_cast<double>(srcy) + srch;
    l = ClipEdge(std::floor(x0 < x1 ? x0 : x1), srows.width);
    t = ClipEdge(std::floor(y0 < y1 ? y0 : y1), srows.height);
    r = ClipEdge(x0 < x1 ? x1 : x0, srows.width);
    b = ClipEdge(y0 < y1 ? y1 : y0, srows.height);
  }
  if (l >= r || t >= b) return;

  const Mirror m = MirrorNegativeSizes(dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch);
  double sx = m.sx, sy = m.sy, sw = m.sw, sh = m.sh;
  int64_t dx = m.dx, dy = m.dy, w = m.w, h = m.h;
  const double xs = sw / static_cast<double>(w);
  const double ys = sh / static_cast<double>(h);
  const double c = std::cos(static_cast<double>(angle));
  const double s = std::sin(static_cast<double>(angle));
  // source change per destination column and per destination row
  const double colx = c * xs, coly = -s * ys;
  const double rowx = s * xs, rowy = c * ys;
  // the centre of the destination maps to the centre of the source rectangle plus the offset
  const double wd = static_cast<double>(w), hd = static_cast<double>(h);
  double px = sx - ((c * xs * wd + s * xs * hd - sw) / 2 - rotxcent);
  double py = sy - ((c * ys * hd - s * ys * wd - sh) / 2 - rotycent);
  // a mirrored axis starts one step in (see RAS_ScaledBlit)
  if (xs < 0) {
    px += colx;
    py += coly;
  }
  if (ys < 0) {
    px += rowx;
    py += rowy;
  }

  if (dx < 0) {
    px += static_cast<double>(-dx) * colx;
    py += static_cast<double>(-dx) * coly;
    w += dx;
    dx = 0;
  }
  if (dy < 0) {
    px += static_cast<double>(-dy) * rowx;
    py += static_cast<double>(-dy) * rowy;
    h += dy;
    dy = 0;
  }
  if (w > drows.width - dx) w = drows.width - dx;
  if (h > drows.height - dy) h = drows.height - dy;
  if (w <= 0 || h <= 0) return;

  const int weight = _RAS_WeightFromAlpha(alpha);
  if (weight == 0) return;

  _RAS_DeltaWalk walk;
  walk.dx = static_cast<int>(dx);
  walk.dy = static_cast<int>(dy);
  walk.w = static_cast<int>(w);
  walk.h = static_cast<int>(h);
  walk.l = l;
  walk.t = t;
  walk.r = r;
  walk.b = b;
  walk.sx = ToFixed(px, kMaxFixedPos);
  walk.sy = ToFixed(py, kMaxFixedPos);
  walk.colx = ToFixed(colx, kMaxFixedStep);
  walk.coly = ToFixed(coly, kMaxFixedStep);
  walk.rowx = ToFixed(rowx, kMaxFixedStep);
  walk.rowy = ToFixed(rowy, kMaxFixedStep);

  // A bitmap rotated onto itself reads from a snapshot.
  RAS_MemBitmap snapshot;
  if (dest->getBits() == src->getBits()) {
    RAS_Copy(&snapshot, src);
    if (!_RAS_GetRows(&snapshot, &srows)) return;
  }

  const bool bilinear = (mode & RAS_MODE_FILTER_MASK) == RAS_MODE_BILINEAR;
  _RAS_DispatchBlitMode(mode, weight, [&](auto* tag) {
    using Combine = std::remove_pointer_t<decltype(tag)>;
    if (bilinear)
      _RAS_Template_Blit3::deltaBlit<&Combine::doPix, true>(drows, srows, walk, weight);
    else
      _RAS_Template_Blit3::deltaBlit<&Combine::doPix, false>(drows, srows, walk, weight);
  });
}
