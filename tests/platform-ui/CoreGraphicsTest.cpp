#include "Pixels.h"

#include <AppKit/AppKit.h>

#include "gdi-emu.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

void Put(void* base, size_t rowBytes, int x, int row, uint32_t argb)
{
  unsigned char* p = static_cast<unsigned char*>(base) + row * rowBytes + x * 4;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(argb >> (24 - 8 * i));
}

}  // namespace

TEST(CGBitmapContext, AcceptsOnlyTheAlphaFirstThirtyTwoBitFormats)
{
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  for (CGBitmapInfo ok : {CGBitmapInfo(kCGImageAlphaFirst), CGBitmapInfo(kCGImageAlphaPremultipliedFirst),
                          CGBitmapInfo(kCGImageAlphaNoneSkipFirst),
                          CGBitmapInfo(kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Big)}) {
    CGContextRef c = CGBitmapContextCreate(nullptr, 3, 2, 8, 0, rgb, ok);
    ASSERT_NE(c, nullptr) << ok;
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(c), 12u);
    CGContextRelease(c);
  }
  // other layouts, empty sizes and a row span shorter than a row (the last)
  const struct
  {
    size_t width, height, bits, rowBytes;
    CGBitmapInfo info;
  } refused[] = {{3, 2, 8, 0, kCGImageAlphaPremultipliedLast},
                 {3, 2, 8, 0, kCGImageAlphaFirst | kCGBitmapByteOrder32Little},
                 {3, 2, 16, 0, kCGImageAlphaFirst}, {0, 2, 8, 0, kCGImageAlphaFirst},
                 {3, 0, 8, 0, kCGImageAlphaFirst}, {3, 2, 8, 8, kCGImageAlphaFirst}};
  for (const auto& r : refused)
    EXPECT_EQ(CGBitmapContextCreate(nullptr, r.width, r.height, r.bits, r.rowBytes, rgb, r.info), nullptr)
        << r.width << "x" << r.height << " " << r.bits << " bits, " << r.rowBytes << " bytes, info " << r.info;
  CGColorSpaceRelease(rgb);
}

TEST(CGBitmapContext, FillsInBottomLeftUserSpaceAndHonoursTransformAndSavedState)
{
  std::vector<unsigned char> mem(4 * 4 * 4 + 16, 0xEE);
  CGContextRef c = CGBitmapContextCreate(mem.data(), 4, 4, 8, 20, nullptr, kCGImageAlphaFirst);
  ASSERT_NE(c, nullptr);
  CGContextSetRGBFillColor(c, 1, 0, 0, 1);
  CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
  // bottom-left pixel is the last row in memory
  const auto at = [&mem](int x, int row) { return PixelAt(mem.data(), 20, x, row); };
  EXPECT_EQ(at(0, 3), 0xFFFF0000u);
  CGContextSaveGState(c);
  CGContextTranslateCTM(c, 0, 4);
  CGContextScaleCTM(c, 1, -1);
  CGContextSetRGBFillColor(c, 0, 0, 1, 1);
  CGContextFillRect(c, CGRectMake(2, 0, 2, 1));
  CGContextRestoreGState(c);
  // restored: the fill colour and transform are back
  CGContextFillRect(c, CGRectMake(3, 0, 1, 1));
  // flipped, y 0 was the first row; the padding at the end of each row is untouched
  ExpectPixels(at, {{2, 0, 0xFF0000FFu}, {3, 0, 0xFF0000FFu}, {3, 3, 0xFFFF0000u}, {4, 0, 0xEEEEEEEEu}});
  // clipping, and rectangles that straddle every edge
  CGContextSaveGState(c);
  CGContextClipToRect(c, CGRectMake(1, 1, 2, 2));
  EXPECT_TRUE(CGRectEqualToRect(CGContextGetClipBoundingBox(c), CGRectMake(1, 1, 2, 2)));
  CGContextSetRGBFillColor(c, 0, 1, 0, 1);
  CGContextFillRect(c, CGRectMake(-10, -10, 100, 100));
  CGContextRestoreGState(c);
  CGContextFillRect(c, CGRectMake(-3, 3, 100, 100));
  ExpectPixels(at, {{1, 1, 0xFF00FF00u}, {2, 2, 0xFF00FF00u}, {0, 1, 0xEEEEEEEEu}, {3, 0, 0xFFFF0000u},
                    {4, 1, 0xEEEEEEEEu}});
  CGContextRelease(c);
}

TEST(CGBitmapContext, StraightAlphaSourceOverBlendsHalfway)
{
  CGContextRef c = CGBitmapContextCreate(nullptr, 2, 1, 8, 0, nullptr, kCGImageAlphaNoneSkipFirst);
  CGContextSetRGBFillColor(c, 0, 0, 0, 1);
  CGContextFillRect(c, CGRectMake(0, 0, 2, 1));
  CGContextSetRGBFillColor(c, 1, 1, 1, 128 / 255.0);
  CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(PixelAt(c, 0, 0), 0xFF808080u);
  EXPECT_EQ(PixelAt(c, 1, 0), 0xFF000000u);
  CGContextRelease(c);

  // into a transparent straight-alpha pixel the colour stays, alpha is the source's
  CGContextRef s = CGBitmapContextCreate(nullptr, 1, 1, 8, 0, nullptr, kCGImageAlphaFirst);
  CGContextSetRGBFillColor(s, 1, 0.5, 0, 0.25);
  CGContextFillRect(s, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(PixelAt(s, 0, 0), 0x40FF8000u);
  CGContextRelease(s);
}

TEST(CGImage, IsASnapshotThatDrawsUprightAndScaledIntoTheRectangle)
{
  // a 2 x 2 image: red, green on the first row; blue, white on the second
  CGContextRef src = CGBitmapContextCreate(nullptr, 2, 2, 8, 0, nullptr, kCGImageAlphaFirst);
  const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  for (int i = 0; i < 4; ++i) Put(CGBitmapContextGetData(src), 8, i % 2, i / 2, colours[i]);
  CGImageRef image = CGBitmapContextCreateImage(src);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::make_tuple(CGImageGetWidth(image), CGImageGetHeight(image), CGImageGetAlphaInfo(image)),
            std::make_tuple(size_t(2), size_t(2), kCGImageAlphaFirst));
  // later changes to the context do not reach the image; a new one keeps straight alpha
  Put(CGBitmapContextGetData(src), 8, 1, 0, 0x80112233u);
  EXPECT_EQ(CGImageGetPixelARGB(image, 1, 0), 0xFF00FF00u);
  CGImageRef later = CGBitmapContextCreateImage(src);
  EXPECT_EQ(CGImageGetPixelARGB(later, 1, 0), 0x80112233u);
  CGImageRelease(later);
  EXPECT_EQ(CGImageGetPixelARGB(image, 2, 0), 0u);
  EXPECT_EQ(CGBitmapContextCreateImage(nullptr), nullptr);

  CGContextRef dst = CGBitmapContextCreate(nullptr, 6, 6, 8, 0, nullptr, kCGImageAlphaNoneSkipFirst);
  CGContextDrawImage(dst, CGRectMake(1, 1, 4, 4), image);
  // upright: the first image row at the top of the rectangle, each pixel doubled
  const auto at = [dst](int x, int row) { return PixelAt(dst, x, row); };
  ExpectPixels(at, {{1, 1, 0xFFFF0000u}, {2, 2, 0xFFFF0000u}, {3, 1, 0xFF00FF00u}, {1, 3, 0xFF0000FFu},
                    {4, 4, 0xFFFFFFFFu}, {0, 0, 0}, {5, 5, 0}});
  // drawn under a flipped transform the image comes out upside down, as on the platform
  CGContextTranslateCTM(dst, 0, 6);
  CGContextScaleCTM(dst, 1, -1);
  CGContextDrawImage(dst, CGRectMake(0, 0, 2, 2), image);
  ExpectPixels(at, {{0, 0, 0xFF0000FFu}, {0, 1, 0xFFFF0000u}});
  // nothing happens for a null image or an empty rectangle
  CGContextDrawImage(dst, CGRectMake(0, 0, 6, 6), nullptr);
  CGContextDrawImage(dst, CGRectMake(0, 0, 0, 6), image);
  EXPECT_EQ(at(5, 5), 0u);
  CGImageRelease(image);
  CGImageRelease(nullptr);
  CGContextRelease(src);
  CGContextRelease(dst);
}

// The editor's screen copy: in drawRect, wrap the current port as a flipped context,
// make an image of the off-screen surface and draw it at (0, 0, w, h).
namespace {

class SurfaceView : public NSView
{
public:
  GDI_HDC surface = nullptr;
  BOOL isOpaque() override { return YES; }
  void drawRect(NSRect) override
  {
    NSGraphicsContext* g = NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(
        NSGraphicsContext::currentContext()->graphicsPort(), YES);
    CGContextRef dst = static_cast<CGContextRef>(g->graphicsPort());
    CGImageRef image = CGBitmapContextCreateImage(CGContextGetForGDIContext(surface));
    CGContextDrawImage(dst, CGRectMake(0, 0, GDI_GetCtxWidth(surface), GDI_GetCtxHeight(surface)), image);
    CGImageRelease(image);
  }
};

}  // namespace

TEST(CGImage, GDISurfaceContextHasTopLeftCoordinatesAndItsCopyLandsUprightInTheWindow)
{
  NSAutoreleasePool pool;
  GDI_HDC hdc = GDI_CreateMemContext(nullptr, 802, 253);
  CGContextRef c = CGContextGetForGDIContext(hdc);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(GDI_GetCtxNativeContext(hdc), c);
  EXPECT_EQ(CGBitmapContextGetData(c), GDI_GetCtxFrameBuffer(hdc));
  EXPECT_EQ(CGContextGetForGDIContext(nullptr), nullptr);
  CGContextSetRGBFillColor(c, 0, 0, 1, 1);
  CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(PixelAt(GDI_GetCtxFrameBuffer(hdc), GDI_GetCtxRowSpan(hdc) * 4, 0, 0), 0xFF0000FFu);
  void* bits = GDI_GetCtxFrameBuffer(hdc);
  const size_t span = GDI_GetCtxRowSpan(hdc) * 4;
  for (int y = 0; y < 253; ++y)
    for (int x = 0; x < 802; ++x) Put(bits, span, x, y, 0xFF000000u | (x & 0xFF) << 16 | y);
  NSWindow* window = new NSWindow;
  window->initWithContentRect_styleMask_backing_defer(NSMakeRect(0, 0, 820, 260), NSTitledWindowMask,
                                                      NSBackingStoreBuffered, NO);
  SurfaceView* view = new SurfaceView;
  view->surface = hdc;
  view->initWithFrame(NSMakeRect(0, 0, 802, 253));
  window->contentView()->addSubview(view);
  view->release();
  ASSERT_TRUE(window->displayIfNeeded());
  // the view sits at the bottom of a 260-row window: surface row y is window row 7 + y
  for (int y : {0, 1, 126, 252})
    for (int x : {0, 1, 255, 256, 801}) {
      ASSERT_EQ(PixelAt(window->backingContext(), x, 7 + y), 0xFF000000u | (x & 0xFF) << 16 | y) << x << "," << y;
    }
  window->release();
  GDI_DeleteGfxContext(hdc);
}

TEST(CGBitmapContext, NonFiniteAndHugeRectanglesDrawNothingOrClip)
{
  // Fault guarded: device bounds of such rectangles were converted to int unchecked.
  NSAutoreleasePool pool;
  CGContextRef c = CGBitmapContextCreate(nullptr, 4, 4, 8, 0, nullptr, kCGImageAlphaNoneSkipFirst);
  CGImageRef image = CGBitmapContextCreateImage(c);
  const double inf = INFINITY, nan = NAN;
  CGContextSetRGBFillColor(c, 1, 1, 1, 1);
  for (CGRect r : {CGRectMake(nan, 0, 2, 2), CGRectMake(0, 0, inf, 2), CGRectMake(-inf, -inf, inf, inf)}) {
    CGContextFillRect(c, r);
    CGContextDrawImage(c, r, image);
  }
  EXPECT_EQ(PixelAt(c, 0, 0), 0u);
  CGContextFillRect(c, CGRectMake(-1e300, -1e300, 2e300, 2e300));
  EXPECT_EQ(PixelAt(c, 3, 3), 0xFFFFFFFFu);
  CGContextSaveGState(c);
  CGContextClipToRect(c, CGRectMake(nan, nan, 1, 1));
  EXPECT_TRUE(CGRectIsEmpty(CGContextGetClipBoundingBox(c)));
  CGContextRestoreGState(c);

  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(c, YES));
  NSSTR("Kelvo")->drawWithRect_options_attributes(CGRectMake(1e300, -1e300, 10, 10), 8, nullptr);
  NSSTR("Kelvo")->drawWithRect_options_attributes(CGRectMake(nan, 0, 10, 10), 8, nullptr);
  NSGraphicsContext::restoreGraphicsState();

  NSWindow* w = new NSWindow;
  w->initWithContentRect_styleMask_backing_defer(NSMakeRect(nan, 0, inf, nan), NSTitledWindowMask,
                                                 NSBackingStoreBuffered, NO);
  EXPECT_EQ(w->backingContext(), nullptr);
  w->contentView()->setNeedsDisplayInRect(NSMakeRect(nan, 0, 1, 1));
  EXPECT_FALSE(w->contentView()->needsDisplay());
  EXPECT_FALSE(w->displayIfNeeded());
  w->release();
  CGImageRelease(image);
  CGContextRelease(c);
}
