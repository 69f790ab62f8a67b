#include "RasterTestBitmap.h"
#include "raster_jpg.h"
#include "raster_loader.h"
#include "raster_png.h"
#include "raster_png_write.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

// A folder of its own in the build tree for the files these tests write.
std::string scratch(const std::string& name)
{
  const std::string dir = std::string(KELVO_BINARY_DIR) + "/raster_image_test";
  mkdir(dir.c_str(), 0755);
  return dir + "/" + name;
}

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
  Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void noFlush(png_structp) {}

// Encodes a PNG of the given format from packed rows (rowBytes each), with an optional
// palette and tRNS chunk (palette alphas).
Bytes encodePng(int w, int h, int colourType, int bitDepth, const Bytes& rows, size_t rowBytes,
                const std::vector<png_color>& palette = {}, const Bytes& trns = {})
{
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return Bytes();
  }
  png_set_write_fn(png, &out, appendBytes, noFlush);
  png_set_IHDR(png, info, w, h, bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) png_write_row(png, const_cast<png_bytep>(rows.data() + y * rowBytes));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

bool saveFile(const std::string& path, const Bytes& data)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

// Writes a baseline JPEG of one or three components from interleaved samples.
bool saveJpeg(const std::string& path, int w, int h, int components, const Bytes& samples)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + cinfo.next_scanline * w * components);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(f) == 0;
}

RAS_pixel pixelOf(RAS_IBitmap* bm, int x, int y) { return bm->getBits()[y * bm->getRowSpan() + x]; }

// 3 x 2 RGB: red, green, blue / white, black, grey
const Bytes kRgbRows = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};

}  // namespace

TEST(RAS_LoadPNG, RgbLoadsOpaqueWithBytesAlphaRedGreenBlue)
{
  const std::string path = scratch("rgb.png");
  ASSERT_TRUE(saveFile(path, encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9)));
  std::unique_ptr<RAS_IBitmap> bm(RAS_LoadPNG(path.c_str(), nullptr));
  ASSERT_TRUE(bm);
  EXPECT_EQ(3, bm->getWidth());
  EXPECT_EQ(2, bm->getHeight());
  EXPECT_EQ(4, bm->getRowSpan());  // a new memory bitmap aligns rows to 4 pixels
  const unsigned char* first = reinterpret_cast<const unsigned char*>(bm->getBits());
  EXPECT_EQ(255, first[0]);  // alpha
  EXPECT_EQ(255, first[1]);  // red
  EXPECT_EQ(0, first[2]);
  EXPECT_EQ(0, first[3]);
  EXPECT_EQ(RAS_RGBA(0, 255, 0, 255), pixelOf(bm.get(), 1, 0));
  EXPECT_EQ(RAS_RGBA(0, 0, 255, 255), pixelOf(bm.get(), 2, 0));
  EXPECT_EQ(RAS_RGBA(255, 255, 255, 255), pixelOf(bm.get(), 0, 1));
  EXPECT_EQ(RAS_RGBA(0, 0, 0, 255), pixelOf(bm.get(), 1, 1));
  EXPECT_EQ(RAS_RGBA(128, 128, 128, 255), pixelOf(bm.get(), 2, 1));

  EXPECT_EQ(nullptr, RAS_LoadPNG(scratch("missing.png").c_str(), nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNG(nullptr, nullptr));
}

TEST(RAS_LoadPNG, EveryStoredFormatArrivesAsEightBitArgb)
{
  struct Case
  {
    const char* name;
    int colourType, bitDepth, w;
    Bytes rows;
    size_t rowBytes;
    std::vector<png_color> palette;
    Bytes trns;
    std::vector<RAS_pixel> expected;
  };
  const std::vector<Case> cases = {
    {"RGBA keeps its alpha", PNG_COLOR_TYPE_RGB_ALPHA, 8, 2, {10, 20, 30, 0, 40, 50, 60, 200}, 8, {}, {},
     {RAS_RGBA(10, 20, 30, 0), RAS_RGBA(40, 50, 60, 200)}},
    {"16-bit RGB keeps the high bytes", PNG_COLOR_TYPE_RGB, 16, 2,
     {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF, 0x00, 0x01, 0x80, 0x00}, 12, {}, {},
     {RAS_RGBA(0x12, 0x56, 0x9A, 255), RAS_RGBA(0xFF, 0x00, 0x80, 255)}},
    {"16-bit RGBA", PNG_COLOR_TYPE_RGB_ALPHA, 16, 1, {1, 0, 2, 0, 3, 0, 0x7F, 0xFF}, 8, {}, {},
     {RAS_RGBA(1, 2, 3, 0x7F)}},
    {"2-bit palette with a transparent entry", PNG_COLOR_TYPE_PALETTE, 2, 4, {0x1B}, 1,
     {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}}, {255, 0, 128},
     {RAS_RGBA(255, 0, 0, 255), RAS_RGBA(0, 255, 0, 0), RAS_RGBA(0, 0, 255, 128), RAS_RGBA(9, 9, 9, 255)}},
    {"8-bit palette without transparency", PNG_COLOR_TYPE_PALETTE, 8, 2, {1, 0}, 2, {{1, 2, 3}, {4, 5, 6}}, {},
     {RAS_RGBA(4, 5, 6, 255), RAS_RGBA(1, 2, 3, 255)}},
    {"8-bit grey", PNG_COLOR_TYPE_GRAY, 8, 2, {0, 77}, 2, {}, {}, {RAS_RGBA(0, 0, 0, 255), RAS_RGBA(77, 77, 77, 255)}},
    {"1-bit grey expands to 0 and 255", PNG_COLOR_TYPE_GRAY, 1, 3, {0xA0}, 1, {}, {},
     {RAS_RGBA(255, 255, 255, 255), RAS_RGBA(0, 0, 0, 255), RAS_RGBA(255, 255, 255, 255)}},
    {"4-bit grey scales by 17", PNG_COLOR_TYPE_GRAY, 4, 2, {0x3F}, 1, {}, {},
     {RAS_RGBA(51, 51, 51, 255), RAS_RGBA(255, 255, 255, 255)}},
    {"grey with alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, {100, 0, 200, 255}, 4, {}, {},
     {RAS_RGBA(100, 100, 100, 0), RAS_RGBA(200, 200, 200, 255)}},
    {"16-bit grey", PNG_COLOR_TYPE_GRAY, 16, 1, {0xAB, 0xCD}, 2, {}, {}, {RAS_RGBA(0xAB, 0xAB, 0xAB, 255)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes png = encodePng(c.w, 1, c.colourType, c.bitDepth, c.rows, c.rowBytes, c.palette, c.trns);
    ASSERT_FALSE(png.empty());
    const std::string path = scratch("format.png");
    ASSERT_TRUE(saveFile(path, png));
    std::unique_ptr<RAS_IBitmap> fromFile(RAS_LoadPNG(path.c_str(), nullptr));
    std::unique_ptr<RAS_IBitmap> fromMemory(RAS_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr));
    ASSERT_TRUE(fromFile);
    ASSERT_TRUE(fromMemory);
    for (int x = 0; x < c.w; ++x) {
      EXPECT_EQ(c.expected[x], pixelOf(fromFile.get(), x, 0)) << x;
      EXPECT_EQ(c.expected[x], pixelOf(fromMemory.get(), x, 0)) << x;
    }
  }
}

TEST(RAS_LoadPNG, GivenBitmapIsResizedAndFilledHonouringFlippedRows)
{
  const std::string path = scratch("rgb.png");
  ASSERT_TRUE(saveFile(path, encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9)));
  RAS_MemBitmap mem(7, 7, 0);
  EXPECT_EQ(&mem, RAS_LoadPNG(path.c_str(), &mem));
  EXPECT_EQ(3, mem.getWidth());
  EXPECT_EQ(RAS_RGBA(128, 128, 128, 255), pixelOf(&mem, 2, 1));

  // a bitmap that keeps its size is refused: the image would not fit it
  TestBitmap fixed(5, 5, 0);
  EXPECT_EQ(nullptr, RAS_LoadPNG(path.c_str(), &fixed));
  const Bytes png = encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9);
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &fixed));

  // a flipped bitmap of the right size gets the top row in its last stored row
  for (bool memory : {false, true}) {
    TestBitmap flipped(3, 2, 0, true);
    RAS_IBitmap* got = memory ? RAS_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &flipped)
                              : RAS_LoadPNG(path.c_str(), &flipped);
    EXPECT_EQ(&flipped, got);
    EXPECT_EQ(RAS_RGBA(255, 0, 0, 255), flipped.at(0, 0));
    EXPECT_EQ(RAS_RGBA(255, 0, 0, 255), flipped.getBits()[3]);
  }
}

TEST(RAS_LoadPNGFromMemory, ShortForeignAndDamagedDataAreRefused)
{
  const Bytes png = encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9);
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(nullptr, 100, nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(png.data(), 7, nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(png.data(), -1, nullptr));
  const char text[] = "this is not a PNG image at all";
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(text, sizeof(text), nullptr));

  // every truncation: zeros are read past the end, which libpng reports as an error
  for (size_t n = 8; n < png.size(); ++n) {
    Bytes cut(png.begin(), png.begin() + static_cast<long>(n));
    std::unique_ptr<RAS_IBitmap> bm(RAS_LoadPNGFromMemory(cut.data(), static_cast<int>(n), nullptr));
    if (bm) {
      // only the trailing chunk may be missing; the pixels are then complete
      EXPECT_EQ(RAS_RGBA(128, 128, 128, 255), pixelOf(bm.get(), 2, 1)) << n;
    }
  }
  // a damaged pixel checksum
  Bytes damaged = png;
  damaged[damaged.size() - 20] ^= 0x55;
  std::unique_ptr<RAS_IBitmap> bm(RAS_LoadPNGFromMemory(damaged.data(), static_cast<int>(damaged.size()), nullptr));
  EXPECT_FALSE(bm);
}

namespace {

std::string gBundle;
bool testBundlePath(char* buf, int size)
{
  if (gBundle.empty()) return false;
  std::snprintf(buf, static_cast<size_t>(size), "%s", gBundle.c_str());
  return true;
}

}  // namespace

TEST(RAS_LoadPNGFromNamedResource, LooksInTheBundleResourcesThroughTheProvider)
{
  gBundle = scratch("Test.component");
  mkdir(gBundle.c_str(), 0755);
  mkdir((gBundle + "/Contents").c_str(), 0755);
  mkdir((gBundle + "/Contents/Resources").c_str(), 0755);
  ASSERT_TRUE(saveFile(gBundle + "/Contents/Resources/knob.png", encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9)));

  RAS_SetMainBundlePathProvider(nullptr);
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource("knob.png", nullptr));

  RAS_SetMainBundlePathProvider(testBundlePath);
  std::unique_ptr<RAS_IBitmap> bm(RAS_LoadPNGFromNamedResource("knob.png", nullptr));
  ASSERT_TRUE(bm);
  EXPECT_EQ(RAS_RGBA(0, 0, 255, 255), pixelOf(bm.get(), 2, 0));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource("other.png", nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource(nullptr, nullptr));

  // names up to 400 characters are looked up, longer ones are refused at once
  const std::string name400 = std::string(396, 'k') + ".png";
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource(name400.c_str(), nullptr));  // no such file
  const std::string name401 = std::string(397, 'k') + ".png";
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource(name401.c_str(), nullptr));

  gBundle.clear();  // the provider now reports no bundle
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource("knob.png", nullptr));
  RAS_SetMainBundlePathProvider(nullptr);
}

TEST(RAS_LoadJPG, GreyscaleLoadsAsEqualChannelsWithFullAlpha)
{
  // two flat 8 x 8 blocks: only their DC terms are coded, so they decode exactly
  Bytes grey(16 * 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) grey[y * 16 + x] = x < 8 ? 40 : 200;
  const std::string path = scratch("grey.jpg");
  ASSERT_TRUE(saveJpeg(path, 16, 8, 1, grey));
  std::unique_ptr<RAS_IBitmap> bm(RAS_LoadJPG(path.c_str(), nullptr));
  ASSERT_TRUE(bm);
  EXPECT_EQ(16, bm->getWidth());
  EXPECT_EQ(8, bm->getHeight());
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(RAS_RGBA(40, 40, 40, 255), pixelOf(bm.get(), 3, y));
    EXPECT_EQ(RAS_RGBA(200, 200, 200, 255), pixelOf(bm.get(), 12, y));
  }

  // flipped destination: the top row lands in the last stored row
  Bytes ramp(8 * 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ramp[y * 8 + x] = y < 4 ? 0 : 255;
  ASSERT_TRUE(saveJpeg(path, 8, 8, 1, ramp));
  TestBitmap flipped(8, 8, 0, true);
  EXPECT_EQ(&flipped, RAS_LoadJPG(path.c_str(), &flipped));
  EXPECT_LT(RAS_GETR(flipped.getBits()[7 * 8]), 40);
  EXPECT_GT(RAS_GETR(flipped.getBits()[0]), 215);
  TestBitmap fixed(3, 3, 0);
  EXPECT_EQ(nullptr, RAS_LoadJPG(path.c_str(), &fixed));
}

TEST(RAS_LoadJPG, ColourLoadsOpaqueAndBrokenFilesGiveNull)
{
  Bytes rgb(16 * 16 * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = 200;
    rgb[i + 1] = 100;
    rgb[i + 2] = 50;
  }
  const std::string path = scratch("colour.jpg");
  ASSERT_TRUE(saveJpeg(path, 16, 16, 3, rgb));
  RAS_MemBitmap mem(0, 0, 4);
  ASSERT_EQ(&mem, RAS_LoadJPG(path.c_str(), &mem));
  const RAS_pixel p = pixelOf(&mem, 5, 9);
  EXPECT_EQ(255, RAS_GETA(p));
  EXPECT_NEAR(200, RAS_GETR(p), 2);
  EXPECT_NEAR(100, RAS_GETG(p), 2);
  EXPECT_NEAR(50, RAS_GETB(p), 2);

  // four components (CMYK) are not converted: the rows load as zero
  const std::string cmyk = scratch("cmyk.jpg");
  ASSERT_TRUE(saveJpeg(cmyk, 8, 8, 4, Bytes(8 * 8 * 4, 90)));
  TestBitmap four(8, 8, 0x12345678);
  ASSERT_EQ(&four, RAS_LoadJPG(cmyk.c_str(), &four));
  EXPECT_EQ(0, four.countNot(0));

  EXPECT_EQ(nullptr, RAS_LoadJPG(scratch("missing.jpg").c_str(), nullptr));
  const std::string junk = scratch("junk.jpg");
  ASSERT_TRUE(saveFile(junk, Bytes(100, 0x42)));
  EXPECT_EQ(nullptr, RAS_LoadJPG(junk.c_str(), nullptr));
  // a PNG is no JPEG
  const std::string png = scratch("notjpeg.jpg");
  ASSERT_TRUE(saveFile(png, encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9)));
  EXPECT_EQ(nullptr, RAS_LoadJPG(png.c_str(), nullptr));
}

TEST(RAS_ImageLoader, ListHoldsPngThenJpegWithTheirFilters)
{
  ASSERT_NE(nullptr, _RAS_ImageLoader_list);
  EXPECT_EQ(&RAS_PNGLoader::loadfunc, _RAS_ImageLoader_list->loadfunc);
  EXPECT_EQ(&RAS_PNGLoader::get_extlist, _RAS_ImageLoader_list->get_extlist);
  ASSERT_NE(nullptr, _RAS_ImageLoader_list->next);
  EXPECT_EQ(&RAS_JPGLoader::loadfunc, _RAS_ImageLoader_list->next->loadfunc);
  EXPECT_EQ(&RAS_JPGLoader::get_extlist, _RAS_ImageLoader_list->next->get_extlist);
  EXPECT_EQ(nullptr, _RAS_ImageLoader_list->next->next);

  const char png[] = "PNG files (*.PNG)\0*.PNG\0";
  EXPECT_EQ(0, std::memcmp(png, RAS_PNGLoader::get_extlist(), sizeof(png)));
  const char jpg[] = "JPEG files (*.JPG;*.JPEG;*.JFIF)\0*.JPG;*.JPEG;*.JFIF\0";
  EXPECT_EQ(0, std::memcmp(jpg, RAS_JPGLoader::get_extlist(), sizeof(jpg)));
}

TEST(RAS_ImageLoader, NameCheckComparesTheEndingWithoutCase)
{
  const Bytes png = encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9);
  const std::string upper = scratch("IMAGE.PNG"), backup = scratch("image.png.bak"), bare = scratch("png");
  ASSERT_TRUE(saveFile(upper, png));
  ASSERT_TRUE(saveFile(backup, png));
  ASSERT_TRUE(saveFile(bare, png));
  Bytes grey(8 * 8, 99);
  const std::string jpeg = scratch("photo.JPEG"), jfif = scratch("photo.jfif");
  ASSERT_TRUE(saveJpeg(jpeg, 8, 8, 1, grey));
  ASSERT_TRUE(saveJpeg(jfif, 8, 8, 1, grey));

  std::unique_ptr<RAS_IBitmap> a(RAS_PNGLoader::loadfunc(upper.c_str(), true, nullptr));
  EXPECT_TRUE(a);
  EXPECT_EQ(nullptr, RAS_PNGLoader::loadfunc(backup.c_str(), true, nullptr));
  EXPECT_EQ(nullptr, RAS_PNGLoader::loadfunc(bare.c_str(), true, nullptr));
  std::unique_ptr<RAS_IBitmap> b(RAS_PNGLoader::loadfunc(backup.c_str(), false, nullptr));  // any name
  EXPECT_TRUE(b);
  EXPECT_EQ(nullptr, RAS_PNGLoader::loadfunc(jpeg.c_str(), false, nullptr));  // content decides
  EXPECT_EQ(nullptr, RAS_JPGLoader::loadfunc(upper.c_str(), true, nullptr));
  std::unique_ptr<RAS_IBitmap> c(RAS_JPGLoader::loadfunc(jfif.c_str(), true, nullptr));
  EXPECT_TRUE(c);
  EXPECT_EQ(nullptr, RAS_JPGLoader::loadfunc(nullptr, false, nullptr));

  // the registry tries each loader in turn, names checked
  std::unique_ptr<RAS_IBitmap> viaPng(RAS_LoadImage(upper.c_str(), nullptr));
  ASSERT_TRUE(viaPng);
  EXPECT_EQ(3, viaPng->getWidth());
  std::unique_ptr<RAS_IBitmap> viaJpeg(RAS_LoadImage(jpeg.c_str(), nullptr));
  ASSERT_TRUE(viaJpeg);
  EXPECT_EQ(RAS_RGBA(99, 99, 99, 255), pixelOf(viaJpeg.get(), 4, 4));
  EXPECT_EQ(nullptr, RAS_LoadImage(backup.c_str(), nullptr));
  EXPECT_EQ(nullptr, RAS_LoadImage(nullptr, nullptr));
}

TEST(RAS_WritePNG, RoundTripKeepsEveryByte)
{
  std::mt19937 rng(7);
  for (int w : {1, 3, 17}) {
    RAS_MemBitmap src(w, 5, 4);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < w; ++x) src.getBits()[y * src.getRowSpan() + x] = rng();
    const std::string path = scratch("roundtrip.png");
    ASSERT_TRUE(RAS_WritePNG(path.c_str(), &src));
    std::unique_ptr<RAS_IBitmap> back(RAS_LoadPNG(path.c_str(), nullptr));
    ASSERT_TRUE(back);
    ASSERT_EQ(w, back->getWidth());
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < w; ++x) EXPECT_EQ(pixelOf(&src, x, y), pixelOf(back.get(), x, y)) << w << ":" << x << "," << y;
  }

  // a flipped bitmap is written top row first
  TestBitmap flipped(2, 2, 0, true);
  flipped.at(0, 0) = RAS_RGBA(1, 2, 3, 4);
  const std::string path = scratch("flipped.png");
  ASSERT_TRUE(RAS_WritePNG(path.c_str(), &flipped));
  std::unique_ptr<RAS_IBitmap> back(RAS_LoadPNG(path.c_str(), nullptr));
  ASSERT_TRUE(back);
  EXPECT_EQ(RAS_RGBA(1, 2, 3, 4), pixelOf(back.get(), 0, 0));

  RAS_MemBitmap empty(0, 0, 4);
  EXPECT_FALSE(RAS_WritePNG(scratch("empty.png").c_str(), &empty));
  EXPECT_FALSE(RAS_WritePNG(scratch("null.png").c_str(), nullptr));
  EXPECT_FALSE(RAS_WritePNG(nullptr, &flipped));
  EXPECT_FALSE(RAS_WritePNG(scratch("no/such/folder/x.png").c_str(), &flipped));
}
