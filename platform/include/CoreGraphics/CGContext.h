#pragma once

// Drawing contexts over memory: bitmap contexts of 32-bit pixels, images made from them
// and drawn into other contexts (the copy of an off-screen surface into a window), a
// transform and rectangular clip per graphics state.
//
// Pixels: 8 bits per component, 32 bits per pixel, alpha first; with the default byte
// order the bytes in memory are alpha, red, green, blue (the raster library's format).
// kCGImageAlphaFirst holds straight alpha, kCGImageAlphaPremultipliedFirst premultiplied
// alpha, kCGImageAlphaNoneSkipFirst ignores the alpha byte (opaque; written as 255).
// Device space of a bitmap context: origin at the bottom left, the first row in memory
// at the top.
//
// Threads: a context or image is used by one thread at a time.

#include <CoreGraphics/CGGeometry.h>

typedef struct CGContext* CGContextRef;
typedef struct CGImage* CGImageRef;
typedef struct CGColorSpace* CGColorSpaceRef;
typedef uint32_t CGBitmapInfo;

enum CGImageAlphaInfo {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGImageAlphaOnly = 7
};
enum {
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapFloatComponents = 1 << 8,
  kCGBitmapByteOrderMask = 0x7000,
  kCGBitmapByteOrderDefault = 0 << 12,
  kCGBitmapByteOrder16Little = 1 << 12,
  kCGBitmapByteOrder32Little = 2 << 12,
  kCGBitmapByteOrder16Big = 3 << 12,
  kCGBitmapByteOrder32Big = 4 << 12
};
enum CGInterpolationQuality {
  kCGInterpolationDefault = 0,
  kCGInterpolationNone = 1,
  kCGInterpolationLow = 2,
  kCGInterpolationHigh = 3
};

CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);

// A context over `data` (or over memory of its own when data is null) of width x height
// pixels, bytesPerRow apart (0: width x 4). Null for sizes that are not positive, a row
// span shorter than a row, or a pixel format other than the 32-bit alpha-first ones
// (byte order default or 32Big). The caller keeps `data` alive as long as the context.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
void* CGBitmapContextGetData(CGContextRef c);
size_t CGBitmapContextGetWidth(CGContextRef c);
size_t CGBitmapContextGetHeight(CGContextRef c);
size_t CGBitmapContextGetBytesPerRow(CGContextRef c);
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c);
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef c);
// A copy of the context's pixels as an image (count one); null for a null context.
CGImageRef CGBitmapContextCreateImage(CGContextRef c);

CGContextRef CGContextRetain(CGContextRef c);
void CGContextRelease(CGContextRef c);

// Graphics state: transform, clip, anti-aliasing, fill colour, interpolation.
void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
void CGContextConcatCTM(CGContextRef c, CGAffineTransform t);
CGAffineTransform CGContextGetCTM(CGContextRef c);
// Narrows the clip to the rectangle (in user space; its device bounding box).
void CGContextClipToRect(CGContextRef c, CGRect rect);
// The clip in user space (its bounding box).
CGRect CGContextGetClipBoundingBox(CGContextRef c);
void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias);
void CGContextSetAllowsAntialiasing(CGContextRef c, bool allowsAntialiasing);
void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality);
void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetAlpha(CGContextRef c, CGFloat alpha);

// Fills the rectangle with the fill colour (source over).
void CGContextFillRect(CGContextRef c, CGRect rect);
// Sets the rectangle's pixels to transparent (opaque black in a context without alpha).
void CGContextClearRect(CGContextRef c, CGRect rect);
// Draws the image scaled into the rectangle: its first row at the rectangle's top in
// user space (y upwards), source over, nearest pixel. Nothing for a null image.
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);
// Delivers what was drawn to the context's destination (a window for a window's
// context); nothing for plain bitmap contexts.
void CGContextFlush(CGContextRef c);
void CGContextSynchronize(CGContextRef c);

// Images: immutable pixels in one of the formats above.
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
size_t CGImageGetBytesPerRow(CGImageRef image);
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image);
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image);
// The image's pixel (x, y), first row first, as straight alpha, red, green, blue packed
// 0xAARRGGBB (a platform extension for inspection); 0 outside the image.
uint32_t CGImageGetPixelARGB(CGImageRef image, size_t x, size_t y);
