#pragma once

#include "raster_bitmap.h"

#include <functional>
#include <vector>

// A colour with straight alpha, every component 0..1.
struct ArtColor
{
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double a = 1.0;
};

ArtColor ArtRGB(int r, int g, int b, double a = 1.0);
// c0 at t = 0 to c1 at t = 1 (t is limited to 0..1).
ArtColor ArtMix(const ArtColor& c0, const ArtColor& c1, double t);

// Signed distance functions in pixel units (negative inside), for antialiased shapes:
// the coverage of a pixel is 0.5 - d at its centre, limited to 0..1.
namespace ArtShape {
double Circle(double x, double y, double cx, double cy, double r);
double Ring(double x, double y, double cx, double cy, double rInner, double rOuter);
// A segment from (x1, y1) to (x2, y2) drawn with the given width and round ends.
double Capsule(double x, double y, double x1, double y1, double x2, double y2, double width);
double RoundRect(double x, double y, double l, double t, double r, double b, double radius);
}  // namespace ArtShape

// An image drawn in floating point and composited "over", turned into a raster bitmap at
// the end. Deterministic: the same calls give the same pixels.
class ArtCanvas
{
public:
  typedef std::function<double(double x, double y)> Sdf;
  typedef std::function<ArtColor(double x, double y)> Paint;

  ArtCanvas(int w, int h);

  int Width() const { return mW; }
  int Height() const { return mH; }

  void Clear(const ArtColor& c);
  // Composites c over pixel (x, y) with the given coverage 0..1.
  void Blend(int x, int y, const ArtColor& c, double coverage);
  // Fills the shape with the paint, inside the box (l, t, r, b) (pixels, r and b exclusive).
  void Fill(const Sdf& shape, const Paint& paint, int l, int t, int r, int b);
  void Fill(const Sdf& shape, const ArtColor& c, int l, int t, int r, int b);

  // Writes the pixels into dest at (x, y), replacing what is there.
  void CopyTo(RAS_IBitmap* dest, int x, int y) const;

private:
  int mW;
  int mH;
  std::vector<ArtColor> mPixels;
};
