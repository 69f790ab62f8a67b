#include "raster_png.h"

#include <png.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<RAS_MainBundlePathProvider> sBundlePathProvider{nullptr};

// Longest resource name and bundle path accepted by the named-resource loader.
constexpr size_t kMaxResourceName = 400;
constexpr int kMaxBundlePath = 1536;

// Read position in a PNG held in memory.
struct MemoryCursor
{
  const unsigned char* data;
  size_t remaining;
};

// libpng read callback over a MemoryCursor: zero-fills the request, then copies what is
// left of the data.
void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
  MemoryCursor* cursor = static_cast<MemoryCursor*>(png_get_io_ptr(png));
  std::memset(out, 0, length);
  const size_t n = length < cursor->remaining ? length : cursor->remaining;
  if (n) std::memcpy(out, cursor->data, n);
  cursor->data += n;
  cursor->remaining -= n;
}

// libpng error and warning handlers: silent; an error jumps back to the loader.
void silentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void silentWarning(png_structp, png_const_charp) {}

png_structp createReader()
{
  return png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, silentError, silentWarning);
}

// Asks libpng for rows of 8-bit alpha, red, green, blue whatever the stored format.
void requestARGB(png_structp png, png_infop info)
{
  const int colourType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (transparency) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);

  const bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) || transparency;
  if (hasAlpha)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
}

// Decodes through an already set-up reader into bmp (or a new bitmap). Kept apart from
// anything with a destructor because libpng reports errors by long jump.
RAS_IBitmap* decode(png_structp png, png_infop info, RAS_IBitmap* bmp)
{
  RAS_IBitmap* volatile created = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    delete created;
    std::free(rows);
    return nullptr;
  }

  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return nullptr;
  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  requestARGB(png, info);
  png_read_update_info(png, info);

  RAS_IBitmap* dest = bmp;
  if (!dest) {
    created = new RAS_MemBitmap(w, h, 4);
    dest = created;
  } else {
    dest->resize(w, h);
  }
  RAS_pixel* bits = dest->getBits();
  const int span = dest->getRowSpan();
  if (!bits || dest->getWidth() != w || dest->getHeight() != h) {
    delete created;
    return nullptr;
  }

  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(h)));
  if (!rows) {
    delete created;
    return nullptr;
  }
  const bool flipped = dest->isFlipped();
  for (int y = 0; y < h; ++y)
    rows[y] = reinterpret_cast<png_bytep>(bits + static_cast<long>(flipped ? h - 1 - y : y) * span);
  png_read_image(png, rows);
  std::free(rows);
  return dest;
}

}  // namespace

RAS_IBitmap* RAS_LoadPNG(const char* filename, RAS_IBitmap* bmp)
{
  if (!filename) return nullptr;
  FILE* file = std::fopen(filename, "rb");
  if (!file) return nullptr;
  png_structp png = createReader();
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  RAS_IBitmap* result = nullptr;
  if (info) {
    png_init_io(png, file);
    result = decode(png, info, bmp);
  }
  png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
  std::fclose(file);
  return result;
}

RAS_IBitmap* RAS_LoadPNGFromMemory(const void* data, int size, RAS_IBitmap* bmp)
{
  if (!data || size < 8) return nullptr;
  if (png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8)) return nullptr;
  png_structp png = createReader();
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  RAS_IBitmap* result = nullptr;
  MemoryCursor cursor{static_cast<const unsigned char*>(data), static_cast<size_t>(size)};
  if (info) {
    png_set_read_fn(png, &cursor, readFromMemory);
    result = decode(png, info, bmp);
  }
  png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
  return result;
}

void RAS_SetMainBundlePathProvider(RAS_MainBundlePathProvider provider) { sBundlePathProvider.store(provider); }

RAS_IBitmap* RAS_LoadPNGFromNamedResource(const char* name, RAS_IBitmap* bmp)
{
  if (!name || std::strlen(name) > kMaxResourceName) return nullptr;
  const RAS_MainBundlePathProvider provider = sBundlePathProvider.load();
  char bundle[kMaxBundlePath];
  if (!provider || !provider(bundle, kMaxBundlePath)) return nullptr;
  bundle[kMaxBundlePath - 1] = 0;
  if (!bundle[0]) return nullptr;

  static const char kResources[] = "/Contents/Resources/";
  char path[kMaxBundlePath + sizeof(kResources) + kMaxResourceName + 1];
  std::snprintf(path, sizeof(path), "%s%s%s", bundle, kResources, name);
  return RAS_LoadPNG(path, bmp);
}
