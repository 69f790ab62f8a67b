#include "raster_jpg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

// The decompressor's error manager with the place a fatal error jumps back to.
struct RASJPEG_ErrorMgr
{
  jpeg_error_mgr pub;
  jmp_buf jump;
};

// fatal error: back to the loader, which cleans up and returns null
void RASJPEG_Error(j_common_ptr cinfo)
{
  RASJPEG_ErrorMgr* err = reinterpret_cast<RASJPEG_ErrorMgr*>(cinfo->err);
  longjmp(err->jump, 1);
}

// messages and warnings are not shown
void RASJPEG_EmitMsg(j_common_ptr, int) {}
void RASJPEG_OutMsg(j_common_ptr) {}
void RASJPEG_FmtMsg(j_common_ptr, char* buffer) { buffer[0] = 0; }

void RASJPEG_reset_error_mgr(j_common_ptr cinfo)
{
  cinfo->err->num_warnings = 0;
  cinfo->err->msg_code = 0;
}

// One scanline of samples into one row of pixels.
void convertRow(const JSAMPLE* in, int components, int w, RAS_pixel* out)
{
  if (components == 3) {
    for (int x = 0; x < w; ++x, in += 3) out[x] = RAS_RGBA(in[0], in[1], in[2], 255);
  } else if (components == 1) {
    for (int x = 0; x < w; ++x) out[x] = RAS_RGBA(in[x], in[x], in[x], 255);
  } else {
    std::memset(out, 0, sizeof(RAS_pixel) * static_cast<size_t>(w));
  }
}

// Decodes from an open file; separate from RAS_LoadJPG so that nothing with a destructor
// lives across the error jump.
RAS_IBitmap* decode(FILE* file, RAS_IBitmap* bmp)
{
  jpeg_decompress_struct cinfo;
  RASJPEG_ErrorMgr err;
  RAS_IBitmap* volatile created = nullptr;

  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = RASJPEG_Error;
  err.pub.emit_message = RASJPEG_EmitMsg;
  err.pub.output_message = RASJPEG_OutMsg;
  err.pub.format_message = RASJPEG_FmtMsg;
  err.pub.reset_error_mgr = RASJPEG_reset_error_mgr;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete created;
    return nullptr;
  }

  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width);
  const int h = static_cast<int>(cinfo.output_height);
  const int components = cinfo.output_components;
  JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                 cinfo.output_width * static_cast<JDIMENSION>(components), 1);

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
    jpeg_abort_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    delete created;
    return nullptr;
  }

  const bool flipped = dest->isFlipped();
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    if (jpeg_read_scanlines(&cinfo, line, 1) != 1) break;
    convertRow(line[0], components, w, bits + static_cast<long>(flipped ? h - 1 - y : y) * span);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return dest;
}

}  // namespace

RAS_IBitmap* RAS_LoadJPG(const char* filename, RAS_IBitmap* bmp)
{
  if (!filename) return nullptr;
  FILE* file = std::fopen(filename, "rb");
  if (!file) return nullptr;
  RAS_IBitmap* result = decode(file, bmp);
  std::fclose(file);
  return result;
}
