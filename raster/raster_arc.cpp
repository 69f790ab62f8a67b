#include "raster_arc.h"

#include "raster_shape_mode.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

constexpr double kPi = 3.14159265358979323846;
// arc pieces shorter than this (radians) are rounding, not drawing
constexpr double kSliver = 1e-5;

// Coverage masks of the smallest circles, (2r + 1) pixels square, centred on the mask.
// Antialiased: a ring about one pixel wide; not antialiased: a single-pixel outline.
const unsigned char kCircle20AA[5 * 5] = {
  35,  196, 251, 196, 35,   //
  196, 116, 7,   116, 196,  //
  251, 7,   0,   7,   251,  //
  196, 116, 7,   116, 196,  //
  35,  196, 251, 196, 35,   //
};
const unsigned char kCircle25AA[6 * 6] = {
  7,   147, 241, 241, 147, 7,    //
  147, 175, 22,  22,  175, 147,  //
  241, 22,  0,   0,   22,  241,  //
  241, 22,  0,   0,   22,  241,  //
  147, 175, 22,  22,  175, 147,  //
  7,   147, 241, 241, 147, 7,    //
};
const unsigned char kCircle30AA[7 * 7] = {
  0,   90,  214, 252, 214, 90,  0,    //
  90,  220, 59,  4,   59,  220, 90,   //
  214, 59,  0,   0,   0,   59,  214,  //
  252, 4,   0,   0,   0,   4,   252,  //
  214, 59,  0,   0,   0,   59,  214,  //
  90,  220, 59,  4,   59,  220, 90,   //
  0,   90,  214, 252, 214, 90,  0,    //
};
const unsigned char kCircle35AA[8 * 8] = {
  0,   41,  177, 244, 244, 177, 41,  0,    //
  41,  232, 108, 14,  14,  108, 232, 41,   //
  177, 108, 0,   0,   0,   0,   108, 177,  //
  244, 14,  0,   0,   0,   0,   14,  244,  //
  244, 14,  0,   0,   0,   0,   14,  244,  //
  177, 108, 0,   0,   0,   0,   108, 177,  //
  41,  232, 108, 14,  14,  108, 232, 41,   //
  0,   41,  177, 244, 244, 177, 41,  0,    //
};
const unsigned char kCircle40AA[9 * 9] = {
  0,   31,  176, 255, 255, 255, 176, 31,  0,    //
  31,  240, 209, 79,  64,  79,  209, 240, 31,   //
  176, 209, 0,   0,   0,   0,   0,   209, 176,  //
  255, 79,  0,   0,   0,   0,   0,   79,  255,  //
  255, 64,  0,   0,   0,   0,   0,   64,  255,  //
  255, 79,  0,   0,   0,   0,   0,   79,  255,  //
  176, 209, 0,   0,   0,   0,   0,   209, 176,  //
  31,  240, 209, 79,  64,  79,  209, 240, 31,   //
  0,   31,  176, 255, 255, 255, 176, 31,  0,    //
};

#define O 255
const unsigned char kCircle20[5 * 5] = {
  0, O, O, O, 0,  //
  O, 0, 0, 0, O,  //
  O, 0, 0, 0, O,  //
  O, 0, 0, 0, O,  //
  0, O, O, O, 0,  //
};
const unsigned char kCircle25[6 * 6] = {
  0, O, O, O, O, 0,  //
  O, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, O,  //
  0, O, O, O, O, 0,  //
};
const unsigned char kCircle30[7 * 7] = {
  0, 0, O, O, O, 0, 0,  //
  0, O, 0, 0, 0, O, 0,  //
  O, 0, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, 0, O,  //
  0, O, 0, 0, 0, O, 0,  //
  0, 0, O, O, O, 0, 0,  //
};
const unsigned char kCircle35[8 * 8] = {
  0, 0, O, O, O, O, 0, 0,  //
  0, O, 0, 0, 0, 0, O, 0,  //
  O, 0, 0, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, 0, 0, O,  //
  0, O, 0, 0, 0, 0, O, 0,  //
  0, 0, O, O, O, O, 0, 0,  //
};
const unsigned char kCircle40[9 * 9] = {
  0, 0, 0, O, O, O, 0, 0, 0,  //
  0, 0, O, 0, 0, 0, O, 0, 0,  //
  0, O, 0, 0, 0, 0, 0, O, 0,  //
  O, 0, 0, 0, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, 0, 0, 0, O,  //
  O, 0, 0, 0, 0, 0, 0, 0, O,  //
  0, O, 0, 0, 0, 0, 0, O, 0,  //
  0, 0, O, 0, 0, 0, O, 0, 0,  //
  0, 0, 0, O, O, O, 0, 0, 0,  //
};
#undef O

struct CachedCircle
{
  float radius;
  int size;
  const unsigned char* antialiased;
  const unsigned char* outline;
};

const CachedCircle kCachedCircles[] = {
  {2.0f, 5, kCircle20AA, kCircle20}, {2.5f, 6, kCircle25AA, kCircle25}, {3.0f, 7, kCircle30AA, kCircle30},
  {3.5f, 8, kCircle35AA, kCircle35}, {4.0f, 9, kCircle40AA, kCircle40},
};

// A pixel row or column for a coordinate, or a value far outside any bitmap when the
// coordinate does not fit (so that clipping drops it).
inline long long pixelIndex(double v)
{
  const double f = std::floor(v);
  if (!(f > -1e15 && f < 1e15)) return -(1LL << 50);
  return static_cast<long long>(f);
}

inline bool isFinite(double v) { return std::isfinite(v); }

// The row cy - r cos a of the point at angle a. Within 1/10000 of a pixel of a whole row
// it is that row, so that angles given in single precision (pi / 2 is a little more than
// a quarter turn) do not reach one row past the end of the arc.
inline double rowAt(double cy, double r, double a)
{
  const double y = cy - r * std::cos(a);
  const double whole = std::round(y);
  return std::fabs(y - whole) < 1e-4 ? whole : y;
}

}  // namespace

// Circle and arc outlines of one combine class. Points are the pixels containing the
// computed positions; a clip rectangle (half-open, in pixels) bounds the clipped forms.
template <class T>
class _RAS_CircleDrawer
{
public:
  _RAS_CircleDrawer(RAS_pixel* bits, int span, int w, int h, RAS_pixel color, int alpha)
      : mBits(bits), mSpan(span), mWidth(w), mHeight(h), mColour(color), mAlpha(alpha)
  {
    setClip(0, 0, w, h);
  }

  void setClip(double l, double t, double r, double b)
  {
    mClipL = l;
    mClipT = t;
    mClipR = r;
    mClipB = b;
  }

  // one point, dropped unless its pixel lies inside the clip rectangle
  void DrawClippedPt(double x, double y, int weight) { pt<true>(x, y, weight); }

  // midpoint outline, every point clipped
  void DrawClippedCircle(double cx, double cy, double r) { midpoint<true>(cx, cy, r); }

  // antialiased outline, every point clipped
  void DrawClippedCircleAA(double cx, double cy, double r) { antialiased<true>(cx, cy, r); }

  // The whole outline, clipped to the bitmap only when it comes near an edge.
  void DrawCircle(double cx, double cy, double r, bool aa)
  {
    const double margin = r + 2;
    if (cx - margin >= 0 && cy - margin >= 0 && cx + margin < mWidth && cy + margin < mHeight) {
      if (aa)
        antialiased<false>(cx, cy, r);
      else
        midpoint<false>(cx, cy, r);
      return;
    }
    setClip(0, 0, mWidth, mHeight);
    if (aa)
      DrawClippedCircleAA(cx, cy, r);
    else
      DrawClippedCircle(cx, cy, r);
  }

  // The arc from lo to hi (radians, clockwise from twelve o'clock), lo <= hi. Each half
  // circle's part is the outline clipped to the rows between its end angles.
  void DrawArc(double cx, double cy, double r, double lo, double hi, bool aa)
  {
    if (hi - lo >= 2 * kPi) {
      DrawCircle(cx, cy, r, aa);
      return;
    }
    // pieces lie within half turns [k pi, (k + 1) pi]: even k the right half, odd the left
    const double first = std::floor(lo / kPi);
    for (int i = 0; i < 4; ++i) {
      const double k = first + i;
      const double pieceLo = std::max(lo, k * kPi);
      const double pieceHi = std::min(hi, (k + 1) * kPi);
      if (pieceLo > pieceHi) break;
      // a sliver (single-precision angles overshoot pi by about 1e-7) is drawn only when
      // the whole arc is no longer
      if (pieceHi - pieceLo < kSliver && hi - lo >= kSliver) continue;
      const bool right = std::fmod(std::fabs(k), 2.0) == 0.0;
      const double yLo = rowAt(cy, r, pieceLo);
      const double yHi = rowAt(cy, r, pieceHi);
      if (right) {
        setClip(std::max(cx, 0.0), std::max(yLo, 0.0), mWidth, std::min(yHi + 1, static_cast<double>(mHeight)));
      } else {
        setClip(0, std::max(yHi, 0.0), std::min(cx, static_cast<double>(mWidth)),
                std::min(yLo + 1, static_cast<double>(mHeight)));
      }
      if (aa)
        DrawClippedCircleAA(cx, cy, r);
      else
        DrawClippedCircle(cx, cy, r);
      if (hi - lo < kSliver) break;
    }
  }

private:
  template <bool kClip>
  void pt(long long px, long long py, int weight)
  {
    if (kClip && !(px >= mClipL && px < mClipR && py >= mClipT && py < mClipB)) return;
    _RAS_ShapePlot<T>(mBits + py * mSpan + px, mColour, weight);
  }

  template <bool kClip>
  void pt(double x, double y, int weight)
  {
    pt<kClip>(pixelIndex(x), pixelIndex(y), weight);
  }

  // The points (+-dx, +-dy) and (+-dy, +-dx) about the centre, each pixel once: on the
  // axes and the diagonals several of the eight fall into one pixel.
  template <bool kClip>
  void octants(double cx, double cy, double dx, double dy, int weight)
  {
    if (!weight) return;
    const long long xs[8] = {pixelIndex(cx + dx), pixelIndex(cx - dx), pixelIndex(cx + dx), pixelIndex(cx - dx),
                             pixelIndex(cx + dy), pixelIndex(cx - dy), pixelIndex(cx + dy), pixelIndex(cx - dy)};
    const long long ys[8] = {pixelIndex(cy + dy), pixelIndex(cy + dy), pixelIndex(cy - dy), pixelIndex(cy - dy),
                             pixelIndex(cy + dx), pixelIndex(cy + dx), pixelIndex(cy - dx), pixelIndex(cy - dx)};
    for (int i = 0; i < 8; ++i) {
      bool seen = false;
      for (int j = 0; j < i && !seen; ++j) seen = xs[j] == xs[i] && ys[j] == ys[i];
      if (!seen) pt<kClip>(xs[i], ys[i], weight);
    }
  }

  // p = (5 - 4r) / 4; x steps by one while x < y, y stepping down when p >= 0.
  template <bool kClip>
  void midpoint(double cx, double cy, double r)
  {
    double p = (5 - 4 * r) / 4;
    double x = 0;
    double y = r;
    octants<kClip>(cx, cy, 0, r, mAlpha);
    while (x < y) {
      x += 1;
      if (p < 0) {
        p += 2 * x + 1;
      } else {
        y -= 1;
        p += 2 * (x - y) + 1;
      }
      // a step past the diagonal repeats the other octant's pixels
      if (x > y) break;
      octants<kClip>(cx, cy, x, y, mAlpha);
    }
  }

  // y = sqrt(r^2 - x^2) for x = 0, 1, ... while x < y + 1; the fraction f of y shares the
  // weight between the pixel outside the curve (f) and the one inside (1 - f).
  template <bool kClip>
  void antialiased(double cx, double cy, double r)
  {
    double x = 0;
    double y = r;
    while (x < y + 1) {
      const double yi = std::floor(y);
      const double f = y - yi;
      if (f == 0) {
        octants<kClip>(cx, cy, x, y, mAlpha);
      } else {
        const int outside = static_cast<int>(f * mAlpha);
        octants<kClip>(cx, cy, x, yi + 1, outside);
        octants<kClip>(cx, cy, x, yi, mAlpha - outside);
      }
      x += 1;
      const double rest = r * r - x * x;
      y = rest > 0 ? std::sqrt(rest) : 0;
    }
  }

  RAS_pixel* mBits;
  int mSpan;
  int mWidth;
  int mHeight;
  _RAS_ShapeColour mColour;
  int mAlpha;
  double mClipL = 0, mClipT = 0, mClipR = 0, mClipB = 0;
};

namespace {

// Bits, size and weight of a drawable destination, or false when nothing can be drawn.
bool prepare(RAS_IBitmap* dest, float alpha, int mode, RAS_pixel** bits, int* w, int* h, int* a)
{
  if (!dest) return false;
  *bits = dest->getBits();
  *w = dest->getWidth();
  *h = dest->getHeight();
  *a = _RAS_WeightFromAlpha(alpha);
  const int blend = mode & 0xFF;
  return *bits && *w > 0 && *h > 0 && blend <= 5 && *a != 0 && !(blend == 0 && *a < 1);
}

// true when the outline cannot touch the bitmap: its box (one pixel wider each way)
// misses it, or the whole bitmap lies well inside the circle; radii beyond 2^24 pixels,
// where single precision has no pixel resolution left, count as outside too
bool outside(double cx, double cy, double r, int w, int h)
{
  if (r > 16777216.0) return true;
  if (cx + r + 1 < 0 || cy + r + 1 < 0 || cx - r - 1 >= w || cy - r - 1 >= h) return true;
  const double fx = std::max(std::fabs(cx), std::fabs(cx - w));
  const double fy = std::max(std::fabs(cy), std::fabs(cy - h));
  return std::sqrt(fx * fx + fy * fy) < r - 2;
}

}  // namespace

void RAS_DrawGlyph(RAS_IBitmap* dest, int x, int y, const unsigned char* coverage, int w, int h,
                   unsigned int color, float alpha, int mode)
{
  RAS_pixel* bits;
  int bw, bh, a;
  if (!coverage || w <= 0 || h <= 0 || !prepare(dest, alpha, mode, &bits, &bw, &bh, &a)) return;
  const int span = dest->getRowSpan();
  const bool flipped = dest->isFlipped();
  const _RAS_ShapeColour c(color);
  // glyphs take the antialiased column of the class table: copy for blend mode 0
  _RAS_DispatchShapeMode(mode, a, true, [&](auto* cls) {
    using T = std::remove_pointer_t<decltype(cls)>;
    for (int j = 0; j < h; ++j) {
      const long long row = static_cast<long long>(y) + j;
      if (row < 0 || row >= bh) continue;
      RAS_pixel* line = bits + (flipped ? bh - 1 - row : row) * span;
      const unsigned char* cov = coverage + static_cast<long>(j) * w;
      for (int i = 0; i < w; ++i) {
        const long long col = static_cast<long long>(x) + i;
        if (col < 0 || col >= bw || !cov[i]) continue;
        _RAS_ShapePlot<T>(line + col, c, cov[i] * a / 256);
      }
    }
  });
}

void RAS_Circle(RAS_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode, bool aa)
{
  RAS_pixel* bits;
  int w, h, a;
  if (!prepare(dest, alpha, mode, &bits, &w, &h, &a)) return;
  if (!isFinite(cx) || !isFinite(cy) || !(r >= 0) || !isFinite(r) || outside(cx, cy, r, w, h)) return;

  for (const CachedCircle& cached : kCachedCircles) {
    if (r == cached.radius) {
      RAS_DrawGlyph(dest, static_cast<int>(pixelIndex(cx - r)), static_cast<int>(pixelIndex(cy - r)),
                    aa ? cached.antialiased : cached.outline, cached.size, cached.size, color, alpha, mode);
      return;
    }
  }

  double y = cy;
  if (dest->isFlipped()) y = h - 1 - y;
  const int span = dest->getRowSpan();
  _RAS_DispatchShapeMode(mode, a, aa, [&](auto* cls) {
    using T = std::remove_pointer_t<decltype(cls)>;
    _RAS_CircleDrawer<T> drawer(bits, span, w, h, color, a);
    drawer.DrawCircle(cx, y, r, aa);
  });
}

void RAS_Arc(RAS_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, unsigned int color,
             float alpha, int mode, bool aa)
{
  RAS_pixel* bits;
  int w, h, a;
  if (!prepare(dest, alpha, mode, &bits, &w, &h, &a)) return;
  if (!isFinite(cx) || !isFinite(cy) || !(r >= 0) || !isFinite(r) || outside(cx, cy, r, w, h)) return;
  if (!isFinite(minAngle) || !isFinite(maxAngle) || maxAngle < minAngle) return;

  double y = cy;
  double lo = minAngle;
  double hi = maxAngle;
  if (dest->isFlipped()) {
    y = h - 1 - y;
    lo = kPi - static_cast<double>(maxAngle);
    hi = kPi - static_cast<double>(minAngle);
  }
  const int span = dest->getRowSpan();
  _RAS_DispatchShapeMode(mode, a, aa, [&](auto* cls) {
    using T = std::remove_pointer_t<decltype(cls)>;
    _RAS_CircleDrawer<T> drawer(bits, span, w, h, color, a);
    drawer.DrawArc(cx, y, r, lo, hi, aa);
  });
}
