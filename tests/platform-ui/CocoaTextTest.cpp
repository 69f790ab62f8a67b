#include "Pixels.h"

#include <AppKit/AppKit.h>

#include "gdi-emu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The ink of text drawn into a white surface: bounding box and the colours seen.
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
  void SetUp() override { clear(); }
  void TearDown() override { GDI_DeleteGfxContext(hdc); }
  void clear()
  {
    uint32_t* p = static_cast<uint32_t*>(GDI_GetCtxFrameBuffer(hdc));
    std::fill_n(p, GDI_GetCtxRowSpan(hdc) * 60, 0xFFFFFFFFu);
  }
  // Clears the surface, draws and returns the ink.
  Ink draw(const char* text, NSRect rect, CGFloat points, NSTextAlignment align = NSLeftTextAlignment,
           NSColor* colour = NSColor::blackColor(), bool flipped = true)
  {
    clear();
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
    return ink();
  }
  Ink ink()
  {
    Ink k;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 200; ++x) {
        const uint32_t argb = PixelAt(GDI_GetCtxFrameBuffer(hdc), GDI_GetCtxRowSpan(hdc) * 4, x, y);
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
  GDI_HDC hdc = GDI_CreateMemContext(nullptr, 200, 60);
};

}  // namespace

TEST(NSFont, ArialResolvesThroughFontconfigAtThePointSize)
{
  NSAutoreleasePool pool;
  NSFont* font = NSFont::fontWithName_size(NSSTR("Arial"), 9);
  ASSERT_NE(font, nullptr);
  EXPECT_STREQ(font->familyName()->UTF8String(), "Liberation Sans");
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
  EXPECT_EQ(std::make_tuple(c->redComponent(), c->blueComponent(), c->alphaComponent()),
            std::make_tuple(1.0, 0.0, 1.0));
  EXPECT_DOUBLE_EQ(c->greenComponent(), 128 / 255.0);
}

TEST_F(Surface, SmallTextIsMonochromeFromTheTopOfItsRectangleAndLargerTextAntialiasedInItsColour)
{
  // size 13 text: 9 points, the rectangle's top 8 pixels below the control's top (10)
  Ink k = draw("Kelvo 4.7 dB", NSMakeRect(20, 18, 160, 30), 9);
  ASSERT_FALSE(k.empty());
  EXPECT_EQ(k.colours, (std::set<uint32_t>{0xFF000000u}));
  EXPECT_GE(k.top, 18);
  EXPECT_LE(k.top, 21);
  // a 9-point line: ascender plus descender
  EXPECT_LE(k.bottom, 18 + 11);
  EXPECT_GE(k.left, 20);
  EXPECT_LE(k.left, 22);
  EXPECT_LT(k.right, 20 + 70);

  k = draw("Kelvo", NSMakeRect(10, 5, 180, 40), 18, NSLeftTextAlignment,
           NSColor::colorWithCalibratedRed_green_blue_alpha(1, 0, 0, 1));
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
  const Ink left = draw("Mid", r, 12, NSLeftTextAlignment);
  const Ink right = draw("Mid", r, 12, NSRightTextAlignment);
  const Ink centre = draw("Mid", r, 12, NSCenterTextAlignment);
  ASSERT_FALSE(left.empty());
  EXPECT_LE(left.left - 20, 2);
  EXPECT_LE(180 - right.right, 3);
  EXPECT_GE(180 - right.right, 0);
  EXPECT_LE(std::abs((centre.left - 20) - (180 - 1 - centre.right)), 3);
  // the same glyphs, moved
  EXPECT_EQ(left.right - left.left, right.right - right.left);
  EXPECT_EQ(left.top, centre.top);
  // y upwards: the rectangle 10..40 from the bottom is rows 20..49 from the top
  const Ink up = draw("Kelvo", NSMakeRect(20, 10, 160, 30), 12, NSLeftTextAlignment, NSColor::blackColor(), false);
  ASSERT_FALSE(up.empty());
  EXPECT_GE(up.top, 20);
  EXPECT_LE(up.top, 23);
  EXPECT_LE(up.bottom, 20 + 12);
}

TEST_F(Surface, TextIsClippedToTheSurfaceAndOnlyTheFirstLineIsDrawnAndNoContextOrClearColourDrawsNothing)
{
  draw("Kelvo", NSMakeRect(-8, -6, 50, 20), 14);
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(
      NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(CGContextGetForGDIContext(hdc), YES));
  NSSTR("Kelvo")->drawWithRect_options_attributes(NSMakeRect(180, 50, 50, 20), 8, nullptr);
  NSGraphicsContext::restoreGraphicsState();
  const Ink edges = ink();
  EXPECT_EQ(std::make_tuple(edges.left, edges.top, edges.right, edges.bottom), std::make_tuple(0, 0, 199, 59));
  EXPECT_LE(draw("one\ntwo", NSMakeRect(10, 5, 100, 50), 12).bottom, 5 + 15);
  clear();
  NSSTR("Kelvo")->drawWithRect_options_attributes(NSMakeRect(0, 0, 100, 20), 8, nullptr);
  EXPECT_TRUE(ink().empty());
  EXPECT_TRUE(draw("Kelvo", NSMakeRect(10, 10, 100, 20), 12, NSLeftTextAlignment,
                   NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 0, 0))
                  .empty());
}
