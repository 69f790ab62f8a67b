#include "raster_line.h"

#include "raster_shape_mode.h"

#include <climits>
#include <type_traits>
#include <utility>
#include <cstdlib>

namespace {

typedef _RAS_ShapeColour Colour;

template <class T>
inline void plot(RAS_pixel* p, const Colour& c, int alpha)
{
  _RAS_ShapePlot<T>(p, c, alpha);
}

// The weight of an antialiased pixel with coverage w (0 to 255) at line weight alpha.
inline int GetAAPxWeight(int w, int alpha) { return alpha == 256 ? w : w * alpha / 256; }

// Mirrors a row for a flipped bitmap, limited so that the arithmetic cannot overflow.
inline int mirrorRow(int y, int h)
{
  const long long m = static_cast<long long>(h) - 1 - y;
  return m > INT_MAX ? INT_MAX : m < INT_MIN ? INT_MIN : static_cast<int>(m);
}

// Whole-word run of blend mode 0 at 1.0, 0.5, 0.25 or 0.75; false for any other alpha.
bool wordRun(RAS_pixel* p, int len, int step, RAS_pixel c, float alpha)
{
  if (alpha == 1.0f) {
    for (; len > 0; --len, p += step) *p = c;
  } else if (alpha == 0.5f) {
    for (; len > 0; --len, p += step) *p = _RAS_HalfMixWord(*p, c);
  } else if (alpha == 0.25f) {
    for (; len > 0; --len, p += step) *p = _RAS_QuarterMixWord(*p, c);
  } else if (alpha == 0.75f) {
    for (; len > 0; --len, p += step) *p = _RAS_ThreeQuarterMixWord(*p, c);
  } else {
    return false;
  }
  return true;
}

}  // namespace

// Straight runs, one instantiation per combine class.
template <class T>
class __RAS_LineClassSimple
{
public:
  // len pixels from p to the right
  static void RAS_HorizLine(RAS_pixel* p, int len, const Colour& c, int alpha)
  {
    for (; len > 0; --len, ++p) plot<T>(p, c, alpha);
  }

  // len pixels from p downwards, span pixels a row
  static void RAS_VertLine(RAS_pixel* p, int len, int span, const Colour& c, int alpha)
  {
    for (; len > 0; --len, p += span) plot<T>(p, c, alpha);
  }

  // len pixels from p, step = row step + column step apart
  static void RAS_DiagLine(RAS_pixel* p, int len, int step, const Colour& c, int alpha)
  {
    for (; len > 0; --len, p += step) plot<T>(p, c, alpha);
  }

  // The diagonal at three quarters of the weight, and beside each of its pixels but the
  // last, the pixel one column (xstep) and the pixel one row (ystep) towards the end at
  // one quarter. Both neighbours lie inside the line's bounding box.
  static void RAS_DiagLineAA(RAS_pixel* p, int len, int xstep, int ystep, const Colour& c, int alpha)
  {
    const int major = alpha * 3 / 4;
    const int minor = alpha / 4;
    for (; len > 1; --len, p += xstep + ystep) {
      plot<T>(p, c, major);
      if (minor) {
        plot<T>(p + xstep, c, minor);
        plot<T>(p + ystep, c, minor);
      }
    }
    plot<T>(p, c, major);
  }
};

// The general line, drawn from both ends towards the middle.
template <class T>
class __RAS_LineClass
{
public:
  // p1 and p2 are the two ends, n the major extent (the line has n + 1 pixels), major the
  // pointer step along the major axis from p1 towards p2, minor the step along the minor
  // axis from p1 towards p2, slope the minor extent over the major extent in 16.16.
  static void RAS_LineImpl(RAS_pixel* p1, RAS_pixel* p2, int n, int major, int minor, int slope, const Colour& c,
                           int alpha, bool aa)
  {
    int err = 0;
    if (!aa) {
      for (int i = (n + 1) / 2; i > 0; --i) {
        plot<T>(p1, c, alpha);
        plot<T>(p2, c, alpha);
        err += slope;
        if (err > 0x7FFF) {  // past half a pixel: both ends step along the minor axis
          err -= 0x10000;
          p1 += minor;
          p2 -= minor;
        }
        p1 += major;
        p2 -= major;
      }
      if (!(n & 1)) plot<T>(p1, c, alpha);
      return;
    }

    plot<T>(p1, c, alpha);
    plot<T>(p2, c, alpha);
    for (int i = (n + 1) / 2 - 1; i > 0; --i) {
      p1 += major;
      p2 -= major;
      err += slope;
      if (err > 0xFFFF) {
        err -= 0x10000;
        p1 += minor;
        p2 -= minor;
      }
      const int w = err >> 8;
      plotPair(p1, minor, w, c, alpha);
      plotPair(p2, -minor, w, c, alpha);
    }
    if (!(n & 1)) {
      p1 += major;
      err += slope;
      if (err > 0xFFFF) {
        err -= 0x10000;
        p1 += minor;
      }
      plotPair(p1, minor, err >> 8, c, alpha);
    }
  }

private:
  // the pixel on the line at coverage 255 - w and its neighbour towards the line at w
  static void plotPair(RAS_pixel* p, int side, int w, const Colour& c, int alpha)
  {
    const int on = GetAAPxWeight(255 - w, alpha);
    const int beside = GetAAPxWeight(w, alpha);
    if (on) plot<T>(p, c, on);
    if (beside) plot<T>(p + side, c, beside);
  }
};

bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h)
{
  enum { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };
  auto outcode = [w, h](int x, int y) {
    int code = 0;
    if (x < 0)
      code |= kLeft;
    else if (x > w - 1)
      code |= kRight;
    if (y < 0)
      code |= kTop;
    else if (y > h - 1)
      code |= kBottom;
    return code;
  };
  // A crossing lies between the two ends, so the truncated result always fits an int.
  auto cross = [](int a1, int a2, int b1, int b2, int at) {
    return static_cast<int>(a1 + (static_cast<double>(a2) - a1) * (static_cast<double>(at) - b1) /
                                     (static_cast<double>(b2) - b1));
  };

  if (w <= 0 || h <= 0) return false;
  // each pass fixes one side of one end; four sides of two ends bound the passes
  for (int pass = 0; pass < 16; ++pass) {
    const int code1 = outcode(*x1, *y1);
    const int code2 = outcode(*x2, *y2);
    if (!(code1 | code2)) return true;
    if (code1 & code2) return false;

    const bool first = code1 != 0;
    const int code = first ? code1 : code2;
    int x, y;
    if (code & kBottom) {
      x = cross(*x1, *x2, *y1, *y2, h);
      y = h - 1;
    } else if (code & kTop) {
      x = cross(*x1, *x2, *y1, *y2, 0);
      y = 0;
    } else if (code & kRight) {
      y = cross(*y1, *y2, *x1, *x2, w);
      x = w - 1;
    } else {
      y = cross(*y1, *y2, *x1, *x2, 0);
      x = 0;
    }
    if (first) {
      *x1 = x;
      *y1 = y;
    } else {
      *x2 = x;
      *y2 = y;
    }
  }
  return false;
}

void RAS_Line(RAS_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode, bool aa)
{
  if (!dest) return;
  RAS_pixel* bits = dest->getBits();
  const int w = dest->getWidth();
  const int h = dest->getHeight();
  const int span = dest->getRowSpan();
  if (!bits || w <= 0 || h <= 0) return;

  const int blend = mode & 0xFF;
  const int a = _RAS_WeightFromAlpha(alpha);
  if (blend > 5 || a == 0 || (blend == 0 && a < 1)) return;

  if (dest->isFlipped()) {
    y1 = mirrorRow(y1, h);
    y2 = mirrorRow(y2, h);
  }
  if (!ClipLine(&x1, &y1, &x2, &y2, w, h)) return;

  const Colour c(color);
  const int dx = x2 - x1;
  const int dy = y2 - y1;

  if (dx == 0 || dy == 0) {
    // straight run; antialiasing changes nothing here
    const int x = dx < 0 ? x2 : x1;
    const int y = dy < 0 ? y2 : y1;
    RAS_pixel* p = bits + static_cast<long>(y) * span + x;
    const bool horizontal = dy == 0;
    const int len = (horizontal ? std::abs(dx) : std::abs(dy)) + 1;
    if (blend == 0 && wordRun(p, len, horizontal ? 1 : span, color, alpha)) return;
    _RAS_DispatchShapeMode(mode, a, false, [&](auto* cls) {
      using T = std::remove_pointer_t<decltype(cls)>;
      if (horizontal)
        __RAS_LineClassSimple<T>::RAS_HorizLine(p, len, c, a);
      else
        __RAS_LineClassSimple<T>::RAS_VertLine(p, len, span, c, a);
    });
    return;
  }

  if (std::abs(dx) == std::abs(dy)) {
    RAS_pixel* p = bits + static_cast<long>(y1) * span + x1;
    const int len = std::abs(dx) + 1;
    const int xstep = dx > 0 ? 1 : -1;
    const int ystep = dy > 0 ? span : -span;
    if (blend == 0 && alpha == 1.0f) {
      if (!aa) {
        for (int i = len; i > 0; --i, p += xstep + ystep) *p = color;
        return;
      }
      for (int i = len; i > 1; --i, p += xstep + ystep) {
        *p = _RAS_ThreeQuarterMixWord(*p, color);
        p[xstep] = _RAS_QuarterMixWord(p[xstep], color);
        p[ystep] = _RAS_QuarterMixWord(p[ystep], color);
      }
      *p = _RAS_ThreeQuarterMixWord(*p, color);
      return;
    }
    _RAS_DispatchShapeMode(mode, a, aa, [&](auto* cls) {
      using T = std::remove_pointer_t<decltype(cls)>;
      if (aa)
        __RAS_LineClassSimple<T>::RAS_DiagLineAA(p, len, xstep, ystep, c, a);
      else
        __RAS_LineClassSimple<T>::RAS_DiagLine(p, len, xstep + ystep, c, a);
    });
    return;
  }

  // General line: order the ends so that the major step is positive.
  const bool xMajor = std::abs(dx) > std::abs(dy);
  if ((xMajor && dx < 0) || (!xMajor && dy < 0)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int n = xMajor ? std::abs(dx) : std::abs(dy);
  const long long minorExtent = xMajor ? std::abs(dy) : std::abs(dx);
  const int slope = static_cast<int>((minorExtent << 16) / n);
  const int major = xMajor ? 1 : span;
  const int minor = xMajor ? (y2 > y1 ? span : -span) : (x2 > x1 ? 1 : -1);
  RAS_pixel* p1 = bits + static_cast<long>(y1) * span + x1;
  RAS_pixel* p2 = bits + static_cast<long>(y2) * span + x2;
  _RAS_DispatchShapeMode(mode, a, aa, [&](auto* cls) {
    using T = std::remove_pointer_t<decltype(cls)>;
    __RAS_LineClass<T>::RAS_LineImpl(p1, p2, n, major, minor, slope, c, a, aa);
  });
}
