#include "CoreGraphicsPrivate.h"

#include "gdi-emu.h"

#include <CoreGraphics/CGGDIContext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

struct CGColorSpace
{
  std::atomic<long> refs{1};
};

struct CGImage
{
  std::atomic<long> refs{1};
  int width = 0, height = 0;
  size_t bytesPerRow = 0;
  CGBitmapInfo info = 0;
  unsigned char* data = nullptr;
};

namespace {

bool SupportedFormat(CGBitmapInfo info)
{
  const CGBitmapInfo alpha = info & kCGBitmapAlphaInfoMask;
  const CGBitmapInfo order = info & kCGBitmapByteOrderMask;
  if (info & kCGBitmapFloatComponents) return false;
  if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big) return false;
  return alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaNoneSkipFirst;
}

// Reads a pixel of the given format as straight alpha, red, green, blue.
inline void ReadStraight(const unsigned char* p, CGBitmapInfo info, int& a, int& r, int& g, int& b)
{
  const CGBitmapInfo alpha = info & kCGBitmapAlphaInfoMask;
  a = alpha == kCGImageAlphaNoneSkipFirst ? 255 : p[0];
  r = p[1];
  g = p[2];
  b = p[3];
  if (alpha == kCGImageAlphaPremultipliedFirst) {
    if (a == 0) {
      r = g = b = 0;
    } else if (a < 255) {
      r = std::min(255, (r * 255 + a / 2) / a);
      g = std::min(255, (g * 255 + a / 2) / a);
      b = std::min(255, (b * 255 + a / 2) / a);
    }
  }
}

inline void WriteStraight(unsigned char* p, CGBitmapInfo info, int a, int r, int g, int b)
{
  const CGBitmapInfo alpha = info & kCGBitmapAlphaInfoMask;
  if (alpha == kCGImageAlphaNoneSkipFirst) {
    a = 255;
  } else if (alpha == kCGImageAlphaPremultipliedFirst) {
    r = (r * a + 127) / 255;
    g = (g * a + 127) / 255;
    b = (b * a + 127) / 255;
  }
  p[0] = static_cast<unsigned char>(a);
  p[1] = static_cast<unsigned char>(r);
  p[2] = static_cast<unsigned char>(g);
  p[3] = static_cast<unsigned char>(b);
}

void ResetClip(CGContext* c)
{
  c->state.clipX0 = 0;
  c->state.clipY0 = 0;
  c->state.clipX1 = c->width;
  c->state.clipY1 = c->height;
}

// A device coordinate as an int, limited far beyond any context's size.
int ToPixel(double v)
{
  return static_cast<int>(std::max(-1e9, std::min(1e9, v)));
}

// Device bounding box of a user rectangle under the transform, in whole pixels
// (pixel centres inside the transformed rectangle).
void DeviceBox(const CGAffineTransform& t, CGRect r, int& x0, int& y0, int& x1, int& y1)
{
  r = CGRectStandardize(r);
  const CGPoint p[4] = {
      CGPointApplyAffineTransform(r.origin, t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x + r.size.width, r.origin.y), t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x, r.origin.y + r.size.height), t),
      CGPointApplyAffineTransform(CGPointMake(r.origin.x + r.size.width, r.origin.y + r.size.height), t)};
  double minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
  for (const CGPoint& q : p) {
    minX = std::min(minX, q.x);
    maxX = std::max(maxX, q.x);
    minY = std::min(minY, q.y);
    maxY = std::max(maxY, q.y);
  }
  if (!(std::isfinite(minX) && std::isfinite(maxX) && std::isfinite(minY) && std::isfinite(maxY))) {
    x0 = y0 = x1 = y1 = 0;
    return;
  }
  // a pixel belongs when its centre lies inside: centre x + 0.5 in [minX, maxX)
  x0 = ToPixel(std::ceil(minX - 0.5));
  x1 = ToPixel(std::ceil(maxX - 0.5));
  y0 = ToPixel(std::ceil(minY - 0.5));
  y1 = ToPixel(std::ceil(maxY - 0.5));
}

bool Invert(const CGAffineTransform& t, CGAffineTransform& inv)
{
  const double det = t.a * t.d - t.b * t.c;
  if (det == 0) return false;
  inv.a = t.d / det;
  inv.b = -t.b / det;
  inv.c = -t.c / det;
  inv.d = t.a / det;
  inv.tx = -(inv.a * t.tx + inv.c * t.ty);
  inv.ty = -(inv.b * t.tx + inv.d * t.ty);
  return true;
}

void Intersect(int& x0, int& y0, int& x1, int& y1, const CGGState& s)
{
  x0 = std::max(x0, s.clipX0);
  y0 = std::max(y0, s.clipY0);
  x1 = std::min(x1, s.clipX1);
  y1 = std::min(y1, s.clipY1);
}

void ReleaseGDINative(void* native)
{
  CGContextRelease(static_cast<CGContextRef>(native));
}

}  // namespace

namespace cgpriv {

void BlendPixel(CGContextRef c, int x, int row, int a, int r, int g, int b)
{
  if (a <= 0) return;
  unsigned char* p = c->data + static_cast<size_t>(row) * c->bytesPerRow + static_cast<size_t>(x) * 4;
  if (a >= 255) {
    WriteStraight(p, c->info, 255, r, g, b);
    return;
  }
  int da, dr, dg, db;
  ReadStraight(p, c->info, da, dr, dg, db);
  // straight-alpha source over: out_a = a + da (1 - a); out_c = (c a + dc da (1 - a)) / out_a
  const int inv = 255 - a;
  const int outA = a + (da * inv + 127) / 255;
  if (outA == 0) {
    WriteStraight(p, c->info, 0, 0, 0, 0);
    return;
  }
  const int wd = da * inv;  // destination weight, scaled by 255
  const int ws = a * 255;   // source weight, scaled by 255
  const int sum = ws + wd;
  WriteStraight(p, c->info, outA, (r * ws + dr * wd + sum / 2) / sum, (g * ws + dg * wd + sum / 2) / sum,
                (b * ws + db * wd + sum / 2) / sum);
}

bool ShouldAntialias(CGContextRef c)
{
  return c && c->state.antialias && c->state.allowsAntialias;
}

void ClipRows(CGContextRef c, int& x0, int& row0, int& x1, int& row1)
{
  x0 = c->state.clipX0;
  x1 = c->state.clipX1;
  row0 = c->height - c->state.clipY1;
  row1 = c->height - c->state.clipY0;
}

}  // namespace cgpriv

CGColorSpaceRef CGColorSpaceCreateDeviceRGB()
{
  return new (std::nothrow) CGColorSpace;
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space)
{
  if (space) ++space->refs;
  return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space)
{
  if (space && --space->refs == 0) delete space;
}

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef, CGBitmapInfo bitmapInfo)
{
  if (width == 0 || height == 0 || width > 0x100000 || height > 0x100000) return nullptr;
  if (bitsPerComponent != 8 || !SupportedFormat(bitmapInfo)) return nullptr;
  if (bytesPerRow == 0) bytesPerRow = width * 4;
  if (bytesPerRow < width * 4) return nullptr;
  CGContext* c = new (std::nothrow) CGContext;
  if (!c) return nullptr;
  if (!data) {
    data = std::calloc(height, bytesPerRow);
    if (!data) {
      delete c;
      return nullptr;
    }
    c->ownsData = true;
  }
  c->data = static_cast<unsigned char*>(data);
  c->width = static_cast<int>(width);
  c->height = static_cast<int>(height);
  c->bytesPerRow = bytesPerRow;
  c->info = bitmapInfo;
  ResetClip(c);
  return c;
}

void* CGBitmapContextGetData(CGContextRef c) { return c ? c->data : nullptr; }
size_t CGBitmapContextGetWidth(CGContextRef c) { return c ? c->width : 0; }
size_t CGBitmapContextGetHeight(CGContextRef c) { return c ? c->height : 0; }
size_t CGBitmapContextGetBytesPerRow(CGContextRef c) { return c ? c->bytesPerRow : 0; }
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c) { return c ? c->info : 0; }

CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef c)
{
  return c ? static_cast<CGImageAlphaInfo>(c->info & kCGBitmapAlphaInfoMask) : kCGImageAlphaNone;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef c)
{
  if (!c) return nullptr;
  CGImage* image = new (std::nothrow) CGImage;
  if (!image) return nullptr;
  image->width = c->width;
  image->height = c->height;
  image->bytesPerRow = static_cast<size_t>(c->width) * 4;
  image->info = c->info;
  image->data = static_cast<unsigned char*>(std::malloc(image->bytesPerRow * c->height));
  if (!image->data) {
    delete image;
    return nullptr;
  }
  for (int y = 0; y < c->height; ++y)
    std::memcpy(image->data + y * image->bytesPerRow, c->data + y * c->bytesPerRow, image->bytesPerRow);
  return image;
}

CGContextRef CGContextRetain(CGContextRef c)
{
  if (c) ++c->refs;
  return c;
}

void CGContextRelease(CGContextRef c)
{
  if (!c || --c->refs != 0) return;
  if (c->ownsData) std::free(c->data);
  delete c;
}

void CGContextSaveGState(CGContextRef c)
{
  if (c) c->saved.push_back(c->state);
}

void CGContextRestoreGState(CGContextRef c)
{
  if (!c || c->saved.empty()) return;
  c->state = c->saved.back();
  c->saved.pop_back();
}

void CGContextConcatCTM(CGContextRef c, CGAffineTransform t)
{
  if (c) c->state.ctm = CGAffineTransformConcat(t, c->state.ctm);
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty)
{
  CGContextConcatCTM(c, CGAffineTransformMake(1, 0, 0, 1, tx, ty));
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy)
{
  CGContextConcatCTM(c, CGAffineTransformMake(sx, 0, 0, sy, 0, 0));
}

CGAffineTransform CGContextGetCTM(CGContextRef c)
{
  return c ? c->state.ctm : CGAffineTransformIdentity;
}

void CGContextClipToRect(CGContextRef c, CGRect rect)
{
  if (!c) return;
  int x0, y0, x1, y1;
  DeviceBox(c->state.ctm, rect, x0, y0, x1, y1);
  Intersect(x0, y0, x1, y1, c->state);
  c->state.clipX0 = x0;
  c->state.clipY0 = y0;
  c->state.clipX1 = std::max(x0, x1);
  c->state.clipY1 = std::max(y0, y1);
}

CGRect CGContextGetClipBoundingBox(CGContextRef c)
{
  if (!c) return CGRectZero;
  const CGGState& s = c->state;
  if (s.clipX1 <= s.clipX0 || s.clipY1 <= s.clipY0) return CGRectZero;
  CGAffineTransform inv;
  if (!Invert(s.ctm, inv)) return CGRectZero;
  const CGPoint a = CGPointApplyAffineTransform(CGPointMake(s.clipX0, s.clipY0), inv);
  const CGPoint b = CGPointApplyAffineTransform(CGPointMake(s.clipX1, s.clipY1), inv);
  return CGRectStandardize(CGRectMake(a.x, a.y, b.x - a.x, b.y - a.y));
}

void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias)
{
  if (c) c->state.antialias = shouldAntialias;
}

void CGContextSetAllowsAntialiasing(CGContextRef c, bool allowsAntialiasing)
{
  if (c) c->state.allowsAntialias = allowsAntialiasing;
}

void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality)
{
  if (c) c->state.interpolation = quality;
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  if (!c) return;
  c->state.fill[0] = red;
  c->state.fill[1] = green;
  c->state.fill[2] = blue;
  c->state.fill[3] = alpha;
}

void CGContextSetAlpha(CGContextRef c, CGFloat alpha)
{
  if (c) c->state.alpha = std::min(1.0, std::max(0.0, alpha));
}

namespace {

int ToByte(double v)
{
  v = std::min(1.0, std::max(0.0, v));
  return static_cast<int>(std::lround(v * 255));
}

}  // namespace

void CGContextFillRect(CGContextRef c, CGRect rect)
{
  if (!c) return;
  int x0, y0, x1, y1;
  DeviceBox(c->state.ctm, rect, x0, y0, x1, y1);
  Intersect(x0, y0, x1, y1, c->state);
  const int a = ToByte(c->state.fill[3] * c->state.alpha);
  const int r = ToByte(c->state.fill[0]), g = ToByte(c->state.fill[1]), b = ToByte(c->state.fill[2]);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) cgpriv::BlendPixel(c, x, c->height - 1 - y, a, r, g, b);
}

void CGContextClearRect(CGContextRef c, CGRect rect)
{
  if (!c) return;
  int x0, y0, x1, y1;
  DeviceBox(c->state.ctm, rect, x0, y0, x1, y1);
  Intersect(x0, y0, x1, y1, c->state);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      WriteStraight(c->data + static_cast<size_t>(c->height - 1 - y) * c->bytesPerRow + x * 4, c->info, 0, 0, 0, 0);
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image)
{
  if (!c || !image) return;
  rect = CGRectStandardize(rect);
  if (rect.size.width <= 0 || rect.size.height <= 0) return;
  CGAffineTransform inv;
  if (!Invert(c->state.ctm, inv)) return;
  int x0, y0, x1, y1;
  DeviceBox(c->state.ctm, rect, x0, y0, x1, y1);
  Intersect(x0, y0, x1, y1, c->state);
  const double su = image->width / rect.size.width;
  const double sv = image->height / rect.size.height;
  const double alpha = c->state.alpha;
  const double top = rect.origin.y + rect.size.height;
  const CGAffineTransform& t = c->state.ctm;
  if (t.b == 0 && t.c == 0 && t.a == 1 && std::fabs(t.d) == 1 && su == 1 && sv == 1 && alpha == 1) {
    // unscaled and unrotated (the copy of a surface into a window): whole rows
    for (int y = y0; y < y1; ++y) {
      const int row = c->height - 1 - y;
      const CGPoint p = CGPointApplyAffineTransform(CGPointMake(x0 + 0.5, y + 0.5), inv);
      const long v = static_cast<long>(std::floor(top - p.y));
      long u = static_cast<long>(std::floor(p.x - rect.origin.x));
      if (v < 0 || v >= image->height) continue;
      const unsigned char* src = image->data + v * image->bytesPerRow;
      for (int x = x0; x < x1; ++x, ++u) {
        if (u < 0 || u >= image->width) continue;
        int a, r, g, b;
        ReadStraight(src + u * 4, image->info, a, r, g, b);
        cgpriv::BlendPixel(c, x, row, a, r, g, b);
      }
    }
    return;
  }
  for (int y = y0; y < y1; ++y) {
    const int row = c->height - 1 - y;
    for (int x = x0; x < x1; ++x) {
      // pixel centre back in user space, then in image pixels (image row 0 at the top)
      const CGPoint p = CGPointApplyAffineTransform(CGPointMake(x + 0.5, y + 0.5), inv);
      const long u = static_cast<long>(std::floor((p.x - rect.origin.x) * su));
      const long v = static_cast<long>(std::floor((top - p.y) * sv));
      if (u < 0 || v < 0 || u >= image->width || v >= image->height) continue;
      int a, r, g, b;
      ReadStraight(image->data + v * image->bytesPerRow + u * 4, image->info, a, r, g, b);
      if (alpha < 1) a = static_cast<int>(std::lround(a * alpha));
      cgpriv::BlendPixel(c, x, row, a, r, g, b);
    }
  }
}

void CGContextFlush(CGContextRef c)
{
  if (c && c->flushHandler) c->flushHandler(c->flushOwner);
}

void CGContextSynchronize(CGContextRef c)
{
  CGContextFlush(c);
}

CGImageRef CGImageRetain(CGImageRef image)
{
  if (image) ++image->refs;
  return image;
}

void CGImageRelease(CGImageRef image)
{
  if (!image || --image->refs != 0) return;
  std::free(image->data);
  delete image;
}

size_t CGImageGetWidth(CGImageRef image) { return image ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->height : 0; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->bytesPerRow : 0; }
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) { return image ? image->info : 0; }

CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image)
{
  return image ? static_cast<CGImageAlphaInfo>(image->info & kCGBitmapAlphaInfoMask) : kCGImageAlphaNone;
}

uint32_t CGImageGetPixelARGB(CGImageRef image, size_t x, size_t y)
{
  if (!image || x >= static_cast<size_t>(image->width) || y >= static_cast<size_t>(image->height)) return 0;
  int a, r, g, b;
  ReadStraight(image->data + y * image->bytesPerRow + x * 4, image->info, a, r, g, b);
  return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
         static_cast<uint32_t>(b);
}

CGContextRef CGContextGetForGDIContext(GDI_Context* hdc)
{
  if (!hdc) return nullptr;
  if (void* native = GDI_GetCtxNativeContext(hdc)) return static_cast<CGContextRef>(native);
  void* pixels = GDI_GetCtxFrameBuffer(hdc);
  const int w = GDI_GetCtxWidth(hdc), h = GDI_GetCtxHeight(hdc);
  if (!pixels || w <= 0 || h <= 0) return nullptr;
  CGContextRef c = CGBitmapContextCreate(pixels, w, h, 8, static_cast<size_t>(GDI_GetCtxRowSpan(hdc)) * 4, nullptr,
                                         kCGImageAlphaNoneSkipFirst);
  if (!c) return nullptr;
  // GDI coordinates: origin at the top left, y downwards
  CGContextTranslateCTM(c, 0, h);
  CGContextScaleCTM(c, 1, -1);
  c->saved.clear();
  GDI_SetCtxNativeContext(hdc, c, &ReleaseGDINative);
  return c;
}
