#include "ArtCanvas.h"

#include <algorithm>
#include <cmath>

ArtColor ArtRGB(int r, int g, int b, double a)
{
  return ArtColor{ r / 255.0, g / 255.0, b / 255.0, a };
}

ArtColor ArtMix(const ArtColor& c0, const ArtColor& c1, double t)
{
  t = std::min(1.0, std::max(0.0, t));
  return ArtColor{ c0.r + (c1.r - c0.r) * t, c0.g + (c1.g - c0.g) * t, c0.b + (c1.b - c0.b) * t,
                   c0.a + (c1.a - c0.a) * t };
}

namespace ArtShape {

double Circle(double x, double y, double cx, double cy, double r)
{
  return std::hypot(x - cx, y - cy) - r;
}

double Ring(double x, double y, double cx, double cy, double rInner, double rOuter)
{
  double d = std::hypot(x - cx, y - cy);
  return std::max(d - rOuter, rInner - d);
}

double Capsule(double x, double y, double x1, double y1, double x2, double y2, double width)
{
  double dx = x2 - x1, dy = y2 - y1;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0.0 ? ((x - x1) * dx + (y - y1) * dy) / len2 : 0.0;
  t = std::min(1.0, std::max(0.0, t));
  return std::hypot(x - (x1 + t * dx), y - (y1 + t * dy)) - width / 2.0;
}

double RoundRect(double x, double y, double l, double t, double r, double b, double radius)
{
  double cx = (l + r) / 2.0, cy = (t + b) / 2.0;
  double hx = (r - l) / 2.0 - radius, hy = (b - t) / 2.0 - radius;
  double qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

}  // namespace ArtShape

ArtCanvas::ArtCanvas(int w, int h) : mW(w), mH(h), mPixels(static_cast<size_t>(w) * h, ArtColor{ 0, 0, 0, 0 }) {}

void ArtCanvas::Clear(const ArtColor& c)
{
  std::fill(mPixels.begin(), mPixels.end(), c);
}

void ArtCanvas::Blend(int x, int y, const ArtColor& c, double coverage)
{
  if (x < 0 || y < 0 || x >= mW || y >= mH || coverage <= 0.0) {
    return;
  }
  ArtColor& d = mPixels[static_cast<size_t>(y) * mW + x];
  // "over" with straight alpha
  double sa = c.a * std::min(1.0, coverage);
  double outA = sa + d.a * (1.0 - sa);
  if (outA <= 0.0) {
    d = ArtColor{ 0, 0, 0, 0 };
    return;
  }
  double keep = d.a * (1.0 - sa);
  d.r = (c.r * sa + d.r * keep) / outA;
  d.g = (c.g * sa + d.g * keep) / outA;
  d.b = (c.b * sa + d.b * keep) / outA;
  d.a = outA;
}

void ArtCanvas::Fill(const Sdf& shape, const Paint& paint, int l, int t, int r, int b)
{
  l = std::max(l, 0);
  t = std::max(t, 0);
  r = std::min(r, mW);
  b = std::min(b, mH);
  for (int y = t; y < b; ++y) {
    for (int x = l; x < r; ++x) {
      double px = x + 0.5, py = y + 0.5;
      double coverage = 0.5 - shape(px, py);
      if (coverage > 0.0) {
        Blend(x, y, paint(px, py), coverage);
      }
    }
  }
}

void ArtCanvas::Fill(const Sdf& shape, const ArtColor& c, int l, int t, int r, int b)
{
  Fill(shape, [&c](double, double) { return c; }, l, t, r, b);
}

void ArtCanvas::CopyTo(RAS_IBitmap* dest, int x, int y) const
{
  RAS_pixel* bits = dest->getBits();
  int span = dest->getRowSpan();
  auto byte = [](double v) { return static_cast<int>(std::lround(std::min(1.0, std::max(0.0, v)) * 255.0)); };
  for (int j = 0; j < mH; ++j) {
    int dy = y + j;
    if (dy < 0 || dy >= dest->getHeight()) {
      continue;
    }
    for (int i = 0; i < mW; ++i) {
      int dx = x + i;
      if (dx < 0 || dx >= dest->getWidth()) {
        continue;
      }
      const ArtColor& c = mPixels[static_cast<size_t>(j) * mW + i];
      bits[dy * span + dx] = RAS_RGBA(byte(c.r), byte(c.g), byte(c.b), byte(c.a));
    }
  }
}
