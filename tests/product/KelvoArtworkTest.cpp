// The editor's images in the bundle: sizes and frame strips that fit the layout, frames that
// differ where they must, translucency where the layout draws one image over another, and a
// generator that writes the same bytes every time.

#include "raster.h"
#include "raster_png.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Image
{
  const char* name;
  int frames;
};

const Image kImages[] = { { "background", 1 }, { "big_knob", 102 }, { "small_knob", 101 }, { "freq_led", 2 },
                          { "h_slider", 1 },   { "switch", 2 },     { "led", 2 },          { "led_alpha", 1 },
                          { "vu", 59 },        { "credits", 1 } };

std::string ImgDir()
{
  return std::string(KELVO_BINARY_DIR) + "/Kelvo.component/Contents/Resources";
}

std::unique_ptr<RAS_IBitmap> Load(const std::string& path)
{
  return std::unique_ptr<RAS_IBitmap>(RAS_LoadPNG(path.c_str(), nullptr));
}

std::vector<char> Bytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// True when frames a and b of a strip differ in any pixel.
bool FramesDiffer(RAS_IBitmap* strip, int frames, int a, int b)
{
  int h = strip->getHeight() / frames;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < strip->getWidth(); ++x) {
      if (RAS_GetPixel(strip, x, a * h + y) != RAS_GetPixel(strip, x, b * h + y)) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

TEST(KelvoArtwork, TenImagesWithWholeFramesThatFitTheEditor)
{
  for (const Image& img : kImages) {
    SCOPED_TRACE(img.name);
    std::unique_ptr<RAS_IBitmap> bmp = Load(ImgDir() + "/" + img.name + ".png");
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp->getHeight() % img.frames, 0);
    EXPECT_LE(bmp->getWidth(), 802);
    EXPECT_LE(bmp->getHeight() / img.frames, 253);
    if (img.frames > 2) {
      // every step of a knob or the meter shows a different pointer position
      for (int f = 1; f < img.frames; ++f) {
        ASSERT_TRUE(FramesDiffer(bmp.get(), img.frames, f - 1, f)) << f;
      }
    }
  }
  std::unique_ptr<RAS_IBitmap> bg = Load(ImgDir() + "/background.png");
  EXPECT_EQ(bg->getWidth(), 802);
  EXPECT_EQ(bg->getHeight(), 253);
  for (int y = 0; y < 253; y += 7) {
    for (int x = 0; x < 802; x += 7) {
      ASSERT_EQ(RAS_GETA(RAS_GetPixel(bg.get(), x, y)), 255) << x << "," << y;
    }
  }
  // knobs: square frames whose corners are transparent, so the panel shows around them
  for (const char* knob : { "big_knob", "small_knob" }) {
    std::unique_ptr<RAS_IBitmap> k = Load(ImgDir() + "/" + knob + ".png");
    EXPECT_EQ(k->getHeight() / (std::string(knob) == "big_knob" ? 102 : 101), k->getWidth());
    EXPECT_EQ(RAS_GETA(RAS_GetPixel(k.get(), 0, 0)), 0);
    EXPECT_EQ(RAS_GETA(RAS_GetPixel(k.get(), k->getWidth() / 2, k->getWidth() / 2)), 255);
  }
  // the LED glass is mostly clear, with some partly transparent pixels
  std::unique_ptr<RAS_IBitmap> glass = Load(ImgDir() + "/led_alpha.png");
  int clear = 0, partial = 0;
  for (int y = 0; y < glass->getHeight(); ++y) {
    for (int x = 0; x < glass->getWidth(); ++x) {
      int a = RAS_GETA(RAS_GetPixel(glass.get(), x, y));
      clear += a == 0;
      partial += a > 0 && a < 255;
    }
  }
  EXPECT_GT(clear, glass->getWidth() * glass->getHeight() / 2);
  EXPECT_GT(partial, 10);
  // a lit LED is brighter than a dark one at its centre
  std::unique_ptr<RAS_IBitmap> led = Load(ImgDir() + "/led.png");
  int h = led->getHeight() / 2, c = led->getWidth() / 2;
  EXPECT_GT(RAS_GETR(RAS_GetPixel(led.get(), c, h + h / 2)), RAS_GETR(RAS_GetPixel(led.get(), c, h / 2)) + 60);
}

TEST(KelvoArtwork, GeneratorWritesTheSameBytesEveryRun)
{
  std::string dir = std::string(KELVO_BINARY_DIR) + "/tests/product/artwork-again";
  std::string tool = std::string(KELVO_BINARY_DIR) + "/tools/kelvo_artwork";
  ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
  ASSERT_EQ(std::system(("'" + tool + "' '" + dir + "'").c_str()), 0);
  for (const Image& img : kImages) {
    std::vector<char> again = Bytes(dir + "/" + img.name + ".png");
    ASSERT_FALSE(again.empty()) << img.name;
    EXPECT_EQ(again, Bytes(ImgDir() + "/" + img.name + ".png")) << img.name;
  }
  // without a folder it refuses to run
  EXPECT_NE(std::system(("'" + tool + "' 2>/dev/null").c_str()), 0);
}
