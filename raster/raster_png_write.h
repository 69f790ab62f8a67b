#pragma once

#include "raster_bitmap.h"

// Writes a bitmap as an 8-bit RGBA PNG (alpha as stored, straight), honouring a flipped
// bitmap. False for a null or empty bitmap, a file that cannot be written, or an encoder
// error; a partly written file is removed. Any thread; the bitmap is only read.
bool RAS_WritePNG(const char* filename, RAS_IBitmap* bitmap);
