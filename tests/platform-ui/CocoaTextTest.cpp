#include <AppKit/AppKit.h>
#include <CoreGraphics/CoreGraphics.h>

#include "gdi-emu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The ink of text drawn into a white surface: bounding box and the grey levels seen.
struct Ink
{
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  std::set<uint32_t> colours;
  bool empty() const { return right < 0; }
};

// Draws as the editor does: a flipped graphics context on the surface's own context,
// anti-aliasing on only above 11 points.
class Surface : public ::testing::Test
{
protected:
  void SetUp() override
  {
    hdc = GDI_CreateMemContext(nullptr, 200, 60);
    ASSERT_NE(hdc, nullptr);
    clear();
  }
  void TearDown() override { GDI_DeleteGfxContext(hdc); }
  void clear()
  {
    uint32_t* p = static_cast<uint32_t*>(GDI_GetCtxFrameBuffer(hdc));
    for (int i = 0; i < GDI_GetCtxRowSpan(hdc) * 60; ++i) p[i] = 0xFFFFFFFFu;
  }
  void draw(const char* text, NSRect rect, CGFloat points, NSTextAlignment align, NSColor* colour, bool flipped = true)
  {
    NSMutableDictionary* attributes = NSMutableDictionary::dictionary();
    attributes->setObject_forKey(NSFont::fontWithName_size(NSSTR("Arial"), points), NSFontAttributeName);
    attributes->setObject_forKey(colour, NSForegroundColorAttributeName);
    NSMutableParagraphStyle* style = new NSMutableParagraphStyle;
    style->setAlignment(align);
    attributes->setObject_forKey(style, NSParagraphStyleAttributeName);
    style->release();
    NSGraphicsContext::saveGraphicsState();
    NSGraphicsContext* g = NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(CGContextGetForGDIContext(hdc),
                                                                                   flipped ? YES : NO);
    NSGraphicsContext::setCurrentContext(g);
    g->setShouldAntialias(points > 11 ? YES : NO);
    if (!flipped) {
      // an unflipped user space over the same pixels
      CGContextTranslateCTM(g->CGContext(), 0, 60);
      CGContextScaleCTM(g->CGContext(), 1, -1);
    }
    NSString::stringWithUTF8String(text)->drawWithRect_options_attributes(rect, 8, attributes);
    NSGraphicsContext::restoreGraphicsState();
  }
  Ink ink()
  {
    Ink k;
    const unsigned char* base = static_cast<unsigned char*>(GDI_GetCtxFrameBuffer(hdc));
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 200; ++x) {
        const unsigned char* p = base + (y * GDI_GetCtxRowSpan(hdc) + x) * 4;
        const uint32_t argb = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        if (argb == 0xFFFFFFFFu) continue;
        k.colours.insert(argb);
        k.left = std::min(k.left, x);
        k.right = std::max(k.right, x);
        k.top = std::min(k.top, y);
        k.bottom = std::max(k.bottom, y);
      }
    return k;
  }

  NSAutoreleasePool pool;
  GDI_HDC hdc = nullptr;
};

}  // namespace

TEST(NSFont, ArialResolvesThroughFontconfigAtThePointSize)
{
  NSAutoreleasePool pool;
  NSFont* font = NSFont::fontWithName_size(NSSTR("Arial"), 9);
  ASSERT_NE(font, nullptr);
  EXPECT_STREQ(font->familyName()->UTF8String(), "Liberation Sans");
  EXPECT_STREQ(font->fontName()->UTF8String(), "Arial");
  EXPECT_EQ(font->pointSize(), 9);
  EXPECT_GT(font->ascender(), 6);
  EXPECT_LT(font->ascender(), 11);
  EXPECT_LT(font->descender(), 0);
  EXPECT_EQ(NSFont::fontWithName_size(NSSTR("Arial"), 0)->pointSize(), 12);
  EXPECT_EQ(NSFont::fontWithName_size(NSSTR("Arial"), -1), nullptr);
  EXPECT_EQ(NSFont::fontWithName_size(nullptr, 10), nullptr);
  NSFont* bold = NSFont::fontWithName_size(NSSTR("Arial-Bold"), 9);
  ASSERT_NE(bold, nullptr);
  EXPECT_NE(std::string(bold->filePath()), std::string(font->filePath()));
}

TEST(NSColor, ComponentsAreClampedToTheUnitRange)
{
  NSAutoreleasePool pool;
  NSColor* c = NSColor::colorWithCalibratedRed_green_blue_alpha(255 / 255.0, 128 / 255.0, -0.5, 2);
  EXPECT_EQ(c->redComponent(), 1);
  EXPECT_DOUBLE_EQ(c->greenComponent(), 128 / 255.0);
  EXPECT_EQ(c->blueComponent(), 0);
  EXPECT_EQ(c->alphaComponent(), 1);
}

TEST_F(Surface, SmallTextIsDrawnWithoutAntialiasingFromTheTopOfItsRectangle)
{
  // size 13 text: 9 points, the rectangle's top 8 pixels below the control's top (10)
  draw("Kelvo 4.7 dB", NSMakeRect(20, 18, 160, 30), 9, NSLeftTextAlignment, NSColor::blackColor());
  const Ink k = ink();
  ASSERT_FALSE(k.empty());
  // one colour only: monochrome rendering
  EXPECT_EQ(k.colours, (std::set<uint32_t>{0xFF000000u}));
  EXPECT_GE(k.top, 18);
  EXPECT_LE(k.top, 21);
  // a 9-point line: ascender plus descender
  EXPECT_LE(k.bottom, 18 + 11);
  EXPECT_GE(k.left, 20);
  EXPECT_LE(k.left, 22);
  EXPECT_LT(k.right, 20 + 70);
}

TEST_F(Surface, LargerTextIsAntialiasedInItsColour)
{
  draw("Kelvo", NSMakeRect(10, 5, 180, 40), 18, NSLeftTextAlignment,
       NSColor::colorWithCalibratedRed_green_blue_alpha(1, 0, 0, 1));
  const Ink k = ink();
  ASSERT_FALSE(k.empty());
  EXPECT_TRUE(k.colours.count(0xFFFF0000u));
  // blended edges: red over white gives pinks
  EXPECT_GT(k.colours.size(), 4u);
  for (uint32_t c : k.colours) EXPECT_EQ(c & 0xFFFF0000u, 0xFFFF0000u) << std::hex << c;
  // the capital K is about 0.7 of the point size tall
  EXPECT_GE(k.bottom - k.top + 1, 11);
  EXPECT_LE(k.bottom - k.top + 1, 15);
}

TEST_F(Surface, AlignmentPlacesTheLineInTheRectangle)
{
  const NSRect r = NSMakeRect(20, 10, 160, 20);
  draw("Mid", r, 12, NSLeftTextAlignment, NSColor::blackColor());
  const Ink left = ink();
  clear();
  draw("Mid", r, 12, NSRightTextAlignment, NSColor::blackColor());
  const Ink right = ink();
  clear();
  draw("Mid", r, 12, NSCenterTextAlignment, NSColor::blackColor());
  const Ink centre = ink();
  ASSERT_FALSE(left.empty());
  EXPECT_LE(left.left - 20, 2);
  EXPECT_LE(180 - right.right, 3);
  EXPECT_GE(180 - right.right, 0);
  EXPECT_LE(std::abs((centre.left - 20) - (180 - 1 - centre.right)), 3);
  // the same glyphs, moved
  EXPECT_EQ(left.right - left.left, right.right - right.left);
  EXPECT_EQ(left.top, centre.top);
}

TEST_F(Surface, UnflippedContextPutsTheLineAtTheTopOfTheRectangle)
{
  // y upwards: the rectangle 10..40 from the bottom is rows 20..49 from the top
  draw("Kelvo", NSMakeRect(20, 10, 160, 30), 12, NSLeftTextAlignment, NSColor::blackColor(), false);
  const Ink k = ink();
  ASSERT_FALSE(k.empty());
  EXPECT_GE(k.top, 20);
  EXPECT_LE(k.top, 23);
  EXPECT_LE(k.bottom, 20 + 12);
}

TEST_F(Surface, TextOutsideTheSurfaceIsClippedAndOnlyTheFirstLineIsDrawn)
{
  draw("Kelvo", NSMakeRect(-8, -6, 50, 20), 14, NSLeftTextAlignment, NSColor::blackColor());
  draw("Kelvo", NSMakeRect(180, 50, 50, 20), 14, NSLeftTextAlignment, NSColor::blackColor());
  const Ink edges = ink();
  EXPECT_EQ(edges.left, 0);
  EXPECT_EQ(edges.top, 0);
  EXPECT_EQ(edges.right, 199);
  EXPECT_EQ(edges.bottom, 59);
  clear();
  draw("one\ntwo", NSMakeRect(10, 5, 100, 50), 12, NSLeftTextAlignment, NSColor::blackColor());
  EXPECT_LE(ink().bottom, 5 + 15);
}

TEST_F(Surface, NoContextOrTransparentColourDrawsNothing)
{
  NSString::stringWithUTF8String("Kelvo")->drawWithRect_options_attributes(NSMakeRect(0, 0, 100, 20), 8, nullptr);
  draw("Kelvo", NSMakeRect(10, 10, 100, 20), 12, NSLeftTextAlignment,
       NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 0, 0));
  EXPECT_TRUE(ink().empty());
}
