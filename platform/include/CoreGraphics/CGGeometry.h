#pragma once

// Geometry records of CoreGraphics. User space has its origin at the bottom left and y
// upwards unless a context's transform flips it.

#include <cmath>
#include <cstddef>
#include <cstdint>

typedef double CGFloat;

struct CGPoint { CGFloat x; CGFloat y; };
struct CGSize { CGFloat width; CGFloat height; };
struct CGRect { CGPoint origin; CGSize size; };
typedef struct CGPoint CGPoint;
typedef struct CGSize CGSize;
typedef struct CGRect CGRect;

static const CGRect CGRectZero = {{0, 0}, {0, 0}};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { CGPoint p = {x, y}; return p; }
inline CGSize CGSizeMake(CGFloat w, CGFloat h) { CGSize s = {w, h}; return s; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h)
{
  CGRect r = {{x, y}, {w, h}};
  return r;
}

// Rectangles with a negative size are measured from their far corner, as in the SDK.
inline CGRect CGRectStandardize(CGRect r)
{
  if (r.size.width < 0) { r.origin.x += r.size.width; r.size.width = -r.size.width; }
  if (r.size.height < 0) { r.origin.y += r.size.height; r.size.height = -r.size.height; }
  return r;
}
inline CGFloat CGRectGetMinX(CGRect r) { return CGRectStandardize(r).origin.x; }
inline CGFloat CGRectGetMinY(CGRect r) { return CGRectStandardize(r).origin.y; }
inline CGFloat CGRectGetMaxX(CGRect r) { r = CGRectStandardize(r); return r.origin.x + r.size.width; }
inline CGFloat CGRectGetMaxY(CGRect r) { r = CGRectStandardize(r); return r.origin.y + r.size.height; }
inline CGFloat CGRectGetMidX(CGRect r) { r = CGRectStandardize(r); return r.origin.x + r.size.width / 2; }
inline CGFloat CGRectGetMidY(CGRect r) { r = CGRectStandardize(r); return r.origin.y + r.size.height / 2; }
inline CGFloat CGRectGetWidth(CGRect r) { return std::fabs(r.size.width); }
inline CGFloat CGRectGetHeight(CGRect r) { return std::fabs(r.size.height); }
inline bool CGRectIsEmpty(CGRect r) { return r.size.width == 0 || r.size.height == 0; }
inline CGRect CGRectOffset(CGRect r, CGFloat dx, CGFloat dy)
{
  r.origin.x += dx;
  r.origin.y += dy;
  return r;
}
inline CGRect CGRectInset(CGRect r, CGFloat dx, CGFloat dy)
{
  r = CGRectStandardize(r);
  return CGRectMake(r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy);
}
inline bool CGRectEqualToRect(CGRect a, CGRect b)
{
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
         a.size.height == b.size.height;
}
inline bool CGRectContainsPoint(CGRect r, CGPoint p)
{
  return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}
// The common part of two rectangles; CGRectZero when they do not overlap.
inline CGRect CGRectIntersection(CGRect a, CGRect b)
{
  const CGFloat x0 = std::fmax(CGRectGetMinX(a), CGRectGetMinX(b));
  const CGFloat y0 = std::fmax(CGRectGetMinY(a), CGRectGetMinY(b));
  const CGFloat x1 = std::fmin(CGRectGetMaxX(a), CGRectGetMaxX(b));
  const CGFloat y1 = std::fmin(CGRectGetMaxY(a), CGRectGetMaxY(b));
  if (x1 <= x0 || y1 <= y0) return CGRectZero;
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}
// The smallest rectangle holding both; an empty rectangle does not count.
inline CGRect CGRectUnion(CGRect a, CGRect b)
{
  if (CGRectIsEmpty(a)) return CGRectStandardize(b);
  if (CGRectIsEmpty(b)) return CGRectStandardize(a);
  const CGFloat x0 = std::fmin(CGRectGetMinX(a), CGRectGetMinX(b));
  const CGFloat y0 = std::fmin(CGRectGetMinY(a), CGRectGetMinY(b));
  const CGFloat x1 = std::fmax(CGRectGetMaxX(a), CGRectGetMaxX(b));
  const CGFloat y1 = std::fmax(CGRectGetMaxY(a), CGRectGetMaxY(b));
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}
// The smallest rectangle with whole-number edges that holds r.
inline CGRect CGRectIntegral(CGRect r)
{
  r = CGRectStandardize(r);
  const CGFloat x0 = std::floor(r.origin.x), y0 = std::floor(r.origin.y);
  const CGFloat x1 = std::ceil(r.origin.x + r.size.width), y1 = std::ceil(r.origin.y + r.size.height);
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

// x' = a x + c y + tx, y' = b x + d y + ty
struct CGAffineTransform { CGFloat a, b, c, d, tx, ty; };
typedef struct CGAffineTransform CGAffineTransform;
static const CGAffineTransform CGAffineTransformIdentity = {1, 0, 0, 1, 0, 0};
inline CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty)
{
  CGAffineTransform t = {a, b, c, d, tx, ty};
  return t;
}
// t1 applied first, then t2.
inline CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2)
{
  return CGAffineTransformMake(t1.a * t2.a + t1.b * t2.c, t1.a * t2.b + t1.b * t2.d,
                               t1.c * t2.a + t1.d * t2.c, t1.c * t2.b + t1.d * t2.d,
                               t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty);
}
inline CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t)
{
  return CGPointMake(t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty);
}
