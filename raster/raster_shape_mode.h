#pragma once

#include "raster_combine.h"

// Chooses the combine class of a line, circle or arc from the blend mode (mode & 0xFF)
// and the integer weight, and calls fn with a null pointer of that class. Returns false
// when nothing is to be drawn (blend mode above 5, a weight of 0, or below 1 for copy).
template <class Fn>
static inline bool _RAS_DispatchShapeMode(int mode, int alpha, bool aa, Fn&& fn)
{
  if (alpha == 0) return false;
  switch (mode & 0xFF) {
    case 0:
      if (alpha < 1) return false;
      if (!aa && alpha == 256)
        fn(static_cast<_RAS_CombinePixelsClobberNoClamp*>(nullptr));
      else if (!aa && alpha == 128)
        fn(static_cast<_RAS_CombinePixelsHalfMixNoClamp*>(nullptr));
      else
        fn(static_cast<_RAS_CombinePixelsCopyNoClamp*>(nullptr));
      return true;
    case 1: fn(static_cast<_RAS_CombinePixelsAdd*>(nullptr)); return true;
    case 2: fn(static_cast<_RAS_CombinePixelsColorDodge*>(nullptr)); return true;
    case 3: fn(static_cast<_RAS_CombinePixelsMulNoClamp*>(nullptr)); return true;
    case 4: fn(static_cast<_RAS_CombinePixelsOverlay*>(nullptr)); return true;
    case 5: fn(static_cast<_RAS_CombinePixelsHSVAdjust*>(nullptr)); return true;
    default: return false;
  }
}

// A shape's colour taken apart once per call for the combine classes.
struct _RAS_ShapeColour
{
  explicit _RAS_ShapeColour(RAS_pixel c)
      : word(c), r(RAS_GETR(c)), g(RAS_GETG(c)), b(RAS_GETB(c)), a(RAS_GETA(c))
  {
  }
  RAS_pixel word;
  int r, g, b, a;
};

// Combines the colour into one pixel with weight alpha (out of 256).
template <class T>
static inline void _RAS_ShapePlot(RAS_pixel* p, const _RAS_ShapeColour& c, int alpha)
{
  T::doPix(reinterpret_cast<unsigned char*>(p), c.r, c.g, c.b, c.a, alpha);
}
