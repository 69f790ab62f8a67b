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
  auto append = [](png_structp p, png_bytep data, png_size_t n) {
    Bytes* to = static_cast<Bytes*>(png_get_io_ptr(p));
    to->insert(to->end(), data, data + n);
  };
  png_set_write_fn(png, &out, append, [](png_structp) {});
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

// 3 x 2 RGB: red, green, blue / white, black, grey
const Bytes kRgbRows = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
const Bytes& rgbPng()
{
  static const Bytes png = encodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, kRgbRows, 9);
  return png;
}

bool saveFile(const std::string& path, const Bytes& data)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  const bool ok = f && std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return f && std::fclose(f) == 0 && ok;
}

// Writes a baseline JPEG of one, three or four components from interleaved samples.
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

}  // namespace

TEST(RAS_LoadPNG, EveryStoredFormatArrivesAsEightBitArgbFromFileOrMemory)
{
  struct Case {
    const char* name;
    int colourType, bitDepth, w, h;
    Bytes rows;
    size_t rowBytes;
    std::vector<png_color> palette;
    Bytes trns;
    std::vector<RAS_pixel> expected;
  };
  const std::vector<Case> cases = {
    {"RGB", PNG_COLOR_TYPE_RGB, 8, 3, 2, kRgbRows, 9, {}, {},
     {RAS_RGBA(255, 0, 0, 255), RAS_RGBA(0, 255, 0, 255), RAS_RGBA(0, 0, 255, 255), RAS_RGBA(255, 255, 255, 255),
      RAS_RGBA(0, 0, 0, 255), RAS_RGBA(128, 128, 128, 255)}},
    {"RGBA keeps its alpha", PNG_COLOR_TYPE_RGB_ALPHA, 8, 2, 1, {10, 20, 30, 0, 40, 50, 60, 200}, 8, {}, {},
     {RAS_RGBA(10, 20, 30, 0), RAS_RGBA(40, 50, 60, 200)}},
    {"16-bit RGB keeps the high bytes", PNG_COLOR_TYPE_RGB, 16, 2, 1,
     {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF, 0x00, 0x01, 0x80, 0x00}, 12, {}, {},
     {RAS_RGBA(0x12, 0x56, 0x9A, 255), RAS_RGBA(0xFF, 0x00, 0x80, 255)}},
    {"16-bit RGBA", PNG_COLOR_TYPE_RGB_ALPHA, 16, 1, 1, {1, 0, 2, 0, 3, 0, 0x7F, 0xFF}, 8, {}, {},
     {RAS_RGBA(1, 2, 3, 0x7F)}},
    {"2-bit palette with a transparent entry", PNG_COLOR_TYPE_PALETTE, 2, 4, 1, {0x1B}, 1,
     {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}}, {255, 0, 128},
     {RAS_RGBA(255, 0, 0, 255), RAS_RGBA(0, 255, 0, 0), RAS_RGBA(0, 0, 255, 128), RAS_RGBA(9, 9, 9, 255)}},
    {"8-bit palette without transparency", PNG_COLOR_TYPE_PALETTE, 8, 2, 1, {1, 0}, 2, {{1, 2, 3}, {4, 5, 6}}, {},
     {RAS_RGBA(4, 5, 6, 255), RAS_RGBA(1, 2, 3, 255)}},
    {"8-bit grey", PNG_COLOR_TYPE_GRAY, 8, 2, 1, {0, 77}, 2, {}, {}, {RAS_RGBA(0, 0, 0, 255), RAS_RGBA(77, 77, 77, 255)}},
    {"1-bit grey expands to 0 and 255", PNG_COLOR_TYPE_GRAY, 1, 3, 1, {0xA0}, 1, {}, {},
     {RAS_RGBA(255, 255, 255, 255), RAS_RGBA(0, 0, 0, 255), RAS_RGBA(255, 255, 255, 255)}},
    {"4-bit grey scales by 17", PNG_COLOR_TYPE_GRAY, 4, 2, 1, {0x3F}, 1, {}, {},
     {RAS_RGBA(51, 51, 51, 255), RAS_RGBA(255, 255, 255, 255)}},
    {"grey with alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, 1, {100, 0, 200, 255}, 4, {}, {},
     {RAS_RGBA(100, 100, 100, 0), RAS_RGBA(200, 200, 200, 255)}},
    {"16-bit grey", PNG_COLOR_TYPE_GRAY, 16, 1, 1, {0xAB, 0xCD}, 2, {}, {}, {RAS_RGBA(0xAB, 0xAB, 0xAB, 255)}},
  };
  const std::string path = scratch("format.png");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes png = encodePng(c.w, c.h, c.colourType, c.bitDepth, c.rows, c.rowBytes, c.palette, c.trns);
    ASSERT_TRUE(!png.empty() && saveFile(path, png));
    std::unique_ptr<RAS_IBitmap> fromFile(RAS_LoadPNG(path.c_str(), nullptr));
    std::unique_ptr<RAS_IBitmap> fromMemory(RAS_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr));
    for (RAS_IBitmap* bm : {fromFile.get(), fromMemory.get()}) {
      ASSERT_TRUE(bm);
      ASSERT_EQ(c.w, bm->getWidth());
      ASSERT_EQ(c.h, bm->getHeight());
      for (int i = 0; i < c.w * c.h; ++i) EXPECT_EQ(c.expected[i], pixelOf(bm, i % c.w, i / c.w)) << i;
    }
  }
  // a new memory bitmap aligns rows to 4 pixels; each pixel's bytes are alpha, red, green, blue
  std::unique_ptr<RAS_IBitmap> bm(RAS_LoadPNGFromMemory(rgbPng().data(), static_cast<int>(rgbPng().size()), nullptr));
  ASSERT_TRUE(bm);
  EXPECT_EQ(4, bm->getRowSpan());
  const unsigned char* first = reinterpret_cast<const unsigned char*>(bm->getBits());
  EXPECT_EQ(Bytes({255, 255, 0, 0}), Bytes(first, first + 4));
}

TEST(RAS_LoadPNG, GivenBitmapIsResizedAndFilledHonouringFlippedRows)
{
  const Bytes& png = rgbPng();
  const std::string path = scratch("rgb.png");
  ASSERT_TRUE(saveFile(path, png));
  RAS_MemBitmap mem(7, 7, 0);
  EXPECT_EQ(&mem, RAS_LoadPNG(path.c_str(), &mem));
  EXPECT_EQ(3, mem.getWidth());
  EXPECT_EQ(RAS_RGBA(128, 128, 128, 255), pixelOf(&mem, 2, 1));
  for (bool memory : {false, true}) {
    auto load = [&](RAS_IBitmap* bm) {
      return memory ? RAS_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), bm) : RAS_LoadPNG(path.c_str(), bm);
    };
    // a bitmap that keeps its size is refused (the image would not fit it); a flipped one of
    // the right size gets the top row in its last stored row
    TestBitmap fixed(5, 5), flipped(3, 2, 0, true);
    EXPECT_EQ(nullptr, load(&fixed)) << memory;
    EXPECT_EQ(&flipped, load(&flipped)) << memory;
    EXPECT_EQ(RAS_RGBA(255, 0, 0, 255), flipped.getBits()[3]) << memory;
  }
}

TEST(RAS_LoadPNG, MissingShortForeignAndDamagedInputIsRefused)
{
  const Bytes& png = rgbPng();
  EXPECT_EQ(nullptr, RAS_LoadPNG(scratch("missing.png").c_str(), nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNG(nullptr, nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(nullptr, 100, nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(png.data(), 7, nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(png.data(), -1, nullptr));
  const char text[] = "this is not a PNG image at all";
  EXPECT_EQ(nullptr, RAS_LoadPNGFromMemory(text, sizeof(text), nullptr));

  // every truncation, in a buffer of exactly its size: zeros are read past the end, which
  // libpng reports as an error; only the trailing chunk may be missing, the pixels complete
  for (size_t n = 8; n < png.size(); ++n) {
    const Bytes cut(png.begin(), png.begin() + static_cast<long>(n));
    std::unique_ptr<RAS_IBitmap> bm(RAS_LoadPNGFromMemory(cut.data(), static_cast<int>(n), nullptr));
    EXPECT_TRUE(!bm || pixelOf(bm.get(), 2, 1) == RAS_RGBA(128, 128, 128, 255)) << n;
  }
  Bytes damaged = png;  // a damaged pixel checksum
  damaged[damaged.size() - 20] ^= 0x55;
  EXPECT_FALSE(std::unique_ptr<RAS_IBitmap>(RAS_LoadPNGFromMemory(damaged.data(), static_cast<int>(damaged.size()), nullptr)));
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
  for (const char* dir : {"", "/Contents", "/Contents/Resources"}) mkdir((gBundle + dir).c_str(), 0755);
  ASSERT_TRUE(saveFile(gBundle + "/Contents/Resources/knob.png", rgbPng()));

  RAS_SetMainBundlePathProvider(nullptr);
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource("knob.png", nullptr));

  RAS_SetMainBundlePathProvider(testBundlePath);
  std::unique_ptr<RAS_IBitmap> bm(RAS_LoadPNGFromNamedResource("knob.png", nullptr));
  ASSERT_TRUE(bm);
  EXPECT_EQ(RAS_RGBA(0, 0, 255, 255), pixelOf(bm.get(), 2, 0));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource("other.png", nullptr));
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource(nullptr, nullptr));
  // names up to 400 characters are looked up (no such file), longer ones refused at once
  for (size_t stem : {396, 397}) EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource((std::string(stem, 'k') + ".png").c_str(), nullptr));

  gBundle.clear();  // the provider now reports no bundle
  EXPECT_EQ(nullptr, RAS_LoadPNGFromNamedResource("knob.png", nullptr));
  RAS_SetMainBundlePathProvider(nullptr);
}

TEST(RAS_LoadJPG, GreyAndColourLoadOpaqueAndUnreadableFilesGiveNull)
{
  // two flat 8 x 8 blocks: only their DC terms are coded, so they decode exactly
  Bytes grey(16 * 8);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = i % 16 < 8 ? 40 : 200;
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

  // flipped destination: the top row lands in the last stored row; a fixed size is refused
  Bytes halves(8 * 8, 0);
  std::fill(halves.begin() + 32, halves.end(), 255);
  ASSERT_TRUE(saveJpeg(path, 8, 8, 1, halves));
  TestBitmap flipped(8, 8, 0, true), fixed(3, 3);
  EXPECT_EQ(&flipped, RAS_LoadJPG(path.c_str(), &flipped));
  EXPECT_LT(RAS_GETR(flipped.getBits()[7 * 8]), 40);
  EXPECT_GT(RAS_GETR(flipped.getBits()[0]), 215);
  EXPECT_EQ(nullptr, RAS_LoadJPG(path.c_str(), &fixed));

  // colour loads opaque
  Bytes rgb;
  for (int i = 0; i < 16 * 16; ++i) rgb.insert(rgb.end(), {200, 100, 50});
  ASSERT_TRUE(saveJpeg(path, 16, 16, 3, rgb));
  RAS_MemBitmap mem(0, 0, 4);
  ASSERT_EQ(&mem, RAS_LoadJPG(path.c_str(), &mem));
  const RAS_pixel p = pixelOf(&mem, 5, 9);
  EXPECT_EQ(255, RAS_GETA(p));
  EXPECT_NEAR(200, RAS_GETR(p), 2);
  EXPECT_NEAR(100, RAS_GETG(p), 2);
  EXPECT_NEAR(50, RAS_GETB(p), 2);

  // four components (CMYK) are not converted: the rows load as zero
  ASSERT_TRUE(saveJpeg(path, 8, 8, 4, Bytes(8 * 8 * 4, 90)));
  TestBitmap four(8, 8, 0x12345678);
  ASSERT_EQ(&four, RAS_LoadJPG(path.c_str(), &four));
  EXPECT_EQ(0, four.countNot(0));

  // missing, junk, and a PNG, which is no JPEG
  const std::string junk = scratch("junk.jpg"), png = scratch("notjpeg.jpg");
  ASSERT_TRUE(saveFile(junk, Bytes(100, 0x42)) && saveFile(png, rgbPng()));
  for (const std::string& name : {scratch("missing.jpg"), junk, png}) EXPECT_EQ(nullptr, RAS_LoadJPG(name.c_str(), nullptr)) << name;
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
  const std::string upper = scratch("IMAGE.PNG"), backup = scratch("image.png.bak"), bare = scratch("png");
  const std::string jpeg = scratch("photo.JPEG"), jfif = scratch("photo.jfif");
  for (const std::string& p : {upper, backup, bare}) ASSERT_TRUE(saveFile(p, rgbPng()));
  for (const std::string& p : {jpeg, jfif}) ASSERT_TRUE(saveJpeg(p, 8, 8, 1, Bytes(8 * 8, 99)));

  // without the name check any name loads, but the content still decides
  const struct { RAS_ImageLoadFunc load; const std::string& path; bool checkName, loads; } rows[] = {
    {RAS_PNGLoader::loadfunc, upper, true, true},  {RAS_PNGLoader::loadfunc, backup, true, false},
    {RAS_PNGLoader::loadfunc, bare, true, false},  {RAS_PNGLoader::loadfunc, backup, false, true},
    {RAS_PNGLoader::loadfunc, jpeg, false, false}, {RAS_JPGLoader::loadfunc, upper, true, false},
    {RAS_JPGLoader::loadfunc, jfif, true, true},
  };
  for (const auto& r : rows) {
    std::unique_ptr<RAS_IBitmap> bm(r.load(r.path.c_str(), r.checkName, nullptr));
    EXPECT_EQ(r.loads, bm != nullptr) << r.path << (r.checkName ? " checked" : " unchecked");
  }
  EXPECT_EQ(nullptr, RAS_JPGLoader::loadfunc(nullptr, false, nullptr));

  // the registry tries each loader in turn, names checked
  std::unique_ptr<RAS_IBitmap> viaPng(RAS_LoadImage(upper.c_str(), nullptr)), viaJpeg(RAS_LoadImage(jpeg.c_str(), nullptr));
  ASSERT_TRUE(viaPng && viaJpeg);
  EXPECT_EQ(3, viaPng->getWidth());
  EXPECT_EQ(RAS_RGBA(99, 99, 99, 255), pixelOf(viaJpeg.get(), 4, 4));
  EXPECT_EQ(nullptr, RAS_LoadImage(backup.c_str(), nullptr));
  EXPECT_EQ(nullptr, RAS_LoadImage(nullptr, nullptr));
}

TEST(RAS_WritePNG, RoundTripKeepsEveryByte)
{
  std::mt19937 rng(7);
  const std::string path = scratch("roundtrip.png");
  for (int w : {1, 3, 17}) {
    RAS_MemBitmap src(w, 5, 4);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < w; ++x) src.getBits()[y * src.getRowSpan() + x] = rng();
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
