#include "ArtLettering.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

struct Segment
{
  double x1, y1, x2, y2;
};

// The strokes of one letter.
struct Glyph
{
  Segment seg[40];
  int n = 0;

  void Add(std::initializer_list<Segment> list)
  {
    for (const Segment& s : list) {
      if (n < 40) {
        seg[n++] = s;
      }
    }
  }
};

const double kAdvance = 0.95;  // letter advance, in cap heights
const double kPi = 3.14159265358979323846;

// An arc of an ellipse around (cx, cy) with radii (rx, ry) from angle a0 to a1 (radians,
// 0 pointing right, growing clockwise on screen), as short segments.
void AddArc(Glyph* out, double cx, double cy, double rx, double ry, double a0, double a1)
{
  const int kSteps = 16;
  double px = cx + rx * std::cos(a0), py = cy + ry * std::sin(a0);
  for (int i = 1; i <= kSteps; ++i) {
    double a = a0 + (a1 - a0) * i / kSteps;
    double x = cx + rx * std::cos(a), y = cy + ry * std::sin(a);
    out->Add({ Segment{ px, py, x, y } });
    px = x;
    py = y;
  }
}

// Strokes of one letter in a box 0.7 wide and 1 high (y downwards).
Glyph Strokes(char c)
{
  Glyph s;
  switch (c) {
    case 'A':
      s.Add({ { 0, 1, 0.35, 0 }, { 0.35, 0, 0.7, 1 }, { 0.13, 0.62, 0.57, 0.62 } });
      break;
    case 'B':
      s.Add({ { 0, 0, 0, 1 }, { 0, 0, 0.42, 0 }, { 0, 0.48, 0.45, 0.48 }, { 0, 1, 0.45, 1 } });
      AddArc(&s, 0.42, 0.24, 0.22, 0.24, -kPi / 2, kPi / 2);
      AddArc(&s, 0.45, 0.74, 0.25, 0.26, -kPi / 2, kPi / 2);
      break;
    case 'E':
      s.Add({ { 0, 0, 0, 1 }, { 0, 0, 0.62, 0 }, { 0, 0.5, 0.5, 0.5 }, { 0, 1, 0.62, 1 } });
      break;
    case 'K':
      s.Add({ { 0, 0, 0, 1 }, { 0.66, 0, 0, 0.6 }, { 0.22, 0.42, 0.7, 1 } });
      break;
    case 'L':
      s.Add({ { 0, 0, 0, 1 }, { 0, 1, 0.6, 1 } });
      break;
    case 'N':
      s.Add({ { 0, 1, 0, 0 }, { 0, 0, 0.7, 1 }, { 0.7, 1, 0.7, 0 } });
      break;
    case 'O':
      AddArc(&s, 0.35, 0.5, 0.35, 0.5, 0, 2 * kPi);
      break;
    case 'R':
      s.Add({ { 0, 0, 0, 1 }, { 0, 0, 0.42, 0 }, { 0, 0.52, 0.42, 0.52 }, { 0.3, 0.52, 0.68, 1 } });
      AddArc(&s, 0.42, 0.26, 0.24, 0.26, -kPi / 2, kPi / 2);
      break;
    case 'T':
      s.Add({ { 0, 0, 0.7, 0 }, { 0.35, 0, 0.35, 1 } });
      break;
    case 'V':
      s.Add({ { 0, 0, 0.35, 1 }, { 0.35, 1, 0.7, 0 } });
      break;
    default:
      break;
  }
  return s;
}

}  // namespace

double ArtTextWidth(const char* text, double height)
{
  size_t n = 0;
  for (const char* p = text; *p; ++p) {
    ++n;
  }
  return n == 0 ? 0.0 : ((n - 1) * kAdvance + 0.7) * height;
}

void ArtDrawText(ArtCanvas* canvas, const char* text, double x, double y, double height, double stroke,
                 const ArtColor& color)
{
  double pen = x;
  for (const char* p = text; *p; ++p) {
    Glyph glyph = Strokes(*p);
    for (int i = 0; i < glyph.n; ++i) {
      const Segment& seg = glyph.seg[i];
      double x1 = pen + seg.x1 * height, y1 = y + seg.y1 * height;
      double x2 = pen + seg.x2 * height, y2 = y + seg.y2 * height;
      int l = static_cast<int>(std::floor(std::min(x1, x2) - stroke - 1));
      int t = static_cast<int>(std::floor(std::min(y1, y2) - stroke - 1));
      int r = static_cast<int>(std::ceil(std::max(x1, x2) + stroke + 1));
      int b = static_cast<int>(std::ceil(std::max(y1, y2) + stroke + 1));
      canvas->Fill([=](double px, double py) { return ArtShape::Capsule(px, py, x1, y1, x2, y2, stroke); }, color,
                   l, t, r, b);
    }
    pen += kAdvance * height;
  }
}
