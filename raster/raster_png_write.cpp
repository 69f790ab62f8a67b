#include "raster_png_write.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace {

void silentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void silentWarning(png_structp, png_const_charp) {}

// Encodes into an open file; nothing with a destructor lives across libpng's error jump.
bool encode(FILE* file, RAS_IBitmap* bitmap)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, silentError, silentWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(png ? &png : nullptr, nullptr);
    return false;
  }
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    std::free(rows);
    png_destroy_write_struct(&png, &info);
    return false;
  }

  const int w = bitmap->getWidth();
  const int h = bitmap->getHeight();
  const int span = bitmap->getRowSpan();
  RAS_pixel* bits = bitmap->getBits();
  const bool flipped = bitmap->isFlipped();
  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(h)));
  if (!rows) png_error(png, "out of memory");
  for (int y = 0; y < h; ++y)
    rows[y] = reinterpret_cast<png_bytep>(bits + static_cast<long>(flipped ? h - 1 - y : y) * span);

  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_swap_alpha(png);  // rows hold alpha first; the file wants it last
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  std::free(rows);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool RAS_WritePNG(const char* filename, RAS_IBitmap* bitmap)
{
  if (!filename || !bitmap || !bitmap->getBits() || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0)
    return false;
  FILE* file = std::fopen(filename, "wb");
  if (!file) return false;
  bool ok = encode(file, bitmap);
  if (std::fclose(file) != 0) ok = false;
  if (!ok) std::remove(filename);
  return ok;
}
