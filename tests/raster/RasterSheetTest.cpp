// Renders every line, circle and arc form, a loaded image, blits, scaled and rotated
// images and fills into one bitmap and writes it to the build tree (raster_sheet.png)
// for inspection by eye.
#include "raster.h"
#include "raster_arc.h"
#include "raster_line.h"
#include "raster_png.h"
#include "raster_png_write.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

const float kPi = 3.14159265358979f;
const RAS_pixel kBackground = RAS_RGBA(32, 36, 44, 255);
const RAS_pixel kWhite = RAS_RGBA(255, 255, 255, 255);
const RAS_pixel kYellow = RAS_RGBA(255, 210, 40, 255);
const RAS_pixel kCyan = RAS_RGBA(40, 200, 255, 255);
const RAS_pixel kHsvShift = RAS_RGBA(200, 160, 160, 255);  // hue on, more saturation and value

void drawShapes(RAS_IBitmap* sheet)
{
  // Row 1: straight runs at the whole-word weights, then other weights and modes.
  const float alphas[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.3f};
  for (int i = 0; i < 5; ++i) {
    RAS_Line(sheet, 8, 8 + i * 4, 60, 8 + i * 4, kWhite, alphas[i], 0, false);
    RAS_Line(sheet, 68 + i * 4, 8, 68 + i * 4, 30, kWhite, alphas[i], 0, false);
  }
  for (int mode = 1; mode <= 5; ++mode)
    RAS_Line(sheet, 92 + mode * 4, 8, 92 + mode * 4, 30, mode == 5 ? kHsvShift : kYellow, 0.8f, mode, false);

  // Diagonals: plain, antialiased at full weight, antialiased at half weight, four ways.
  RAS_Line(sheet, 124, 8, 146, 30, kWhite, 1.0f, 0, false);
  RAS_Line(sheet, 134, 8, 156, 30, kWhite, 1.0f, 0, true);
  RAS_Line(sheet, 144, 8, 166, 30, kCyan, 0.6f, 0, true);
  RAS_Line(sheet, 176, 30, 198, 8, kYellow, 1.0f, 0, true);

  // Fans of general lines from a centre: plain on the left, antialiased on the right.
  for (int k = 0; k < 24; ++k) {
    const int dx = static_cast<int>(std::lround(22 * std::sin(k * 2 * kPi / 24)));
    const int dy = static_cast<int>(std::lround(-22 * std::cos(k * 2 * kPi / 24)));
    RAS_Line(sheet, 236, 40, 236 + dx, 40 + dy, kWhite, 1.0f, 0, false);
    RAS_Line(sheet, 290, 40, 290 + dx, 40 + dy, kWhite, 1.0f, 0, true);
  }
  // Lines running off every edge.
  RAS_Line(sheet, -20, 50, 40, 70, kCyan, 1.0f, 0, true);
  RAS_Line(sheet, 300, 200, 340, 260, kCyan, 1.0f, 0, false);

  // Row 2: cached radii (outline, then antialiased), computed ones, modes, and a circle cut
  // by the left and bottom edges.
  for (int i = 0; i < 5; ++i)
    for (bool aa : {false, true}) RAS_Circle(sheet, 14.0f + i * 14, aa ? 96.0f : 80.0f, 2.0f + i * 0.5f, kWhite, 1.0f, 0, aa);
  float x = 100;
  for (float r : {4.5f, 6.0f, 9.3f, 14.0f}) {
    RAS_Circle(sheet, x, 88.0f - r / 2, r, kYellow, 1.0f, 0, false);
    RAS_Circle(sheet, x + 2 * r + 6, 88.0f - r / 2, r, kYellow, 1.0f, 0, true);
    x += 4 * r + 16;
  }
  for (int mode = 1; mode <= 5; ++mode)
    RAS_Circle(sheet, 20.0f + mode * 22, 126.0f, 8.5f, mode == 5 ? kHsvShift : kCyan, 0.9f, mode, true);
  RAS_Circle(sheet, 4.0f, 234.0f, 12.0f, kWhite, 1.0f, 0, true);

  // Row 3: arcs, as a knob would draw its track and value.
  const struct { float cx, lo, hi; } arcs[] = {
    {160, 0, kPi}, {200, -kPi / 2, kPi / 2}, {240, -0.75f * kPi, 0.75f * kPi}, {280, kPi / 2, 3 * kPi / 2}};
  for (const auto& a : arcs) {
    RAS_Arc(sheet, a.cx, 128.0f, 14.0f, a.lo, a.hi, kWhite, 1.0f, 0, false);
    RAS_Arc(sheet, a.cx, 128.0f, 11.0f, a.lo, a.hi, kYellow, 1.0f, 0, true);
  }
}

// The loaded image blitted, scaled, mirrored and rotated, and rectangle fills.
void drawImages(RAS_IBitmap* sheet, RAS_IBitmap* image)
{
  RAS_Blit(sheet, image, 40, 160, nullptr, 1.0f, 0x10000);
  RAS_Blit(sheet, image, 70, 160, 0, 0, 24, 24, 0.5f, 0);
  RAS_ScaledBlit(sheet, image, 100, 160, 48, 48, 0, 0, 24, 24, 1.0f, 0x10100);
  RAS_ScaledBlit(sheet, image, 178, 160, -24, 24, 0, 0, 24, 24, 1.0f, 0x10000);  // mirrored: 154..177
  RAS_ScaledBlit(sheet, image, 154, 190, 12, 12, 0, 0, 24, 24, 1.0f, 0x10100);    // halved
  RAS_RotatedBlit(sheet, image, 184, 186, 36, 36, 0, 0, 24, 24, kPi / 6, false, 1.0f, 0x10100, 0, 0);
  RAS_FillRect(sheet, 230, 160, 20, 20, kYellow, 1.0f, 0);
  RAS_FillRect(sheet, 240, 170, 20, 20, kCyan, 0.5f, 0);
  RAS_FillRect(sheet, 250, 180, 20, 20, RAS_RGBA(255, 255, 255, 96), 1.0f, 0x10000);
  RAS_FillRect(sheet, 260, 150, 20, 20, RAS_RGBA(80, 0, 0, 255), 1.0f, 1);
}

}  // namespace

TEST(RasterSheet, EveryPrimitiveRendersIntoOneWrittenImage)
{
  // the source image: a colour gradient, an alpha ramp and a red top-left marker, written
  // and loaded back
  RAS_MemBitmap src(24, 24, 4);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x)
      src.getBits()[y * src.getRowSpan() + x] = RAS_RGBA(x * 10, y * 10, 255 - x * 5, y < 12 ? 255 : 255 - (y - 12) * 20);
  src.getBits()[0] = RAS_RGBA(255, 0, 0, 255);
  const std::string sourcePath = std::string(KELVO_BINARY_DIR) + "/raster_sheet_source.png";
  ASSERT_TRUE(RAS_WritePNG(sourcePath.c_str(), &src));
  std::unique_ptr<RAS_IBitmap> image(RAS_LoadPNG(sourcePath.c_str(), nullptr));
  ASSERT_TRUE(image);

  RAS_MemBitmap sheet(320, 240, 4);
  RAS_Clear(&sheet, kBackground);
  drawShapes(&sheet);
  drawImages(&sheet, image.get());
  // spot checks: a full-weight run, the untouched background, the image's corner, a fill
  auto at = [&](int x, int y) { return sheet.getBits()[y * sheet.getRowSpan() + x]; };
  EXPECT_EQ(kWhite, at(30, 8));
  EXPECT_EQ(kBackground, at(4, 4));
  EXPECT_EQ(RAS_RGBA(255, 0, 0, 255), at(40, 160));
  EXPECT_EQ(kYellow, at(235, 165));

  const std::string path = std::string(KELVO_BINARY_DIR) + "/raster_sheet.png";
  ASSERT_TRUE(RAS_WritePNG(path.c_str(), &sheet));
  std::unique_ptr<RAS_IBitmap> back(RAS_LoadPNG(path.c_str(), nullptr));
  ASSERT_TRUE(back);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) ASSERT_EQ(at(x, y), back->getBits()[y * back->getRowSpan() + x]) << x << "," << y;
}
