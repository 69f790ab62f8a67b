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

std::unique_ptr<RAS_IBitmap> Load(const std::string& name)
{
  return std::unique_ptr<RAS_IBitmap>(RAS_LoadPNG((ImgDir() + "/" + name + ".png").c_str(), nullptr));
}

std::vector<char> Bytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

int Alpha(RAS_IBitmap* bmp, int x, int y)
{
  return RAS_GETA(RAS_GetPixel(bmp, x, y));
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
    std::unique_ptr<RAS_IBitmap> bmp = Load(img.name);
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp->getHeight() % img.frames, 0);
    EXPECT_LE(bmp->getWidth(), 802);
    EXPECT_LE(bmp->getHeight() / img.frames, 253);
    // every step of a knob or the meter shows a different pointer position
    for (int f = 1; img.frames > 2 && f < img.frames; ++f) {
      ASSERT_TRUE(FramesDiffer(bmp.get(), img.frames, f - 1, f)) << f;
    }
    // knobs: square frames whose corners are transparent, so the panel shows around them
    if (std::string(img.name).find("knob") != std::string::npos) {
      int w = bmp->getWidth();
      EXPECT_EQ(bmp->getHeight() / img.frames, w);
      EXPECT_EQ(Alpha(bmp.get(), 0, 0), 0);
      EXPECT_EQ(Alpha(bmp.get(), w / 2, w / 2), 255);
    }
  }
  std::unique_ptr<RAS_IBitmap> bg = Load("background");
  EXPECT_EQ(bg->getWidth(), 802);
  EXPECT_EQ(bg->getHeight(), 253);
  for (int y = 0; y < 253; y += 7) {
    for (int x = 0; x < 802; x += 7) {
      ASSERT_EQ(Alpha(bg.get(), x, y), 255) << x << "," << y;
    }
  }
  // the LED glass is mostly clear, with some partly transparent pixels
  std::unique_ptr<RAS_IBitmap> glass = Load("led_alpha");
  int clear = 0, partial = 0;
  for (int y = 0; y < glass->getHeight(); ++y) {
    for (int x = 0; x < glass->getWidth(); ++x) {
      int a = Alpha(glass.get(), x, y);
      clear += a == 0;
      partial += a > 0 && a < 255;
    }
  }
  EXPECT_GT(clear, glass->getWidth() * glass->getHeight() / 2);
  EXPECT_GT(partial, 10);
  // a lit LED is brighter than a dark one at its centre
  std::unique_ptr<RAS_IBitmap> led = Load("led");
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
