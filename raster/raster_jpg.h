#pragma once

#include "raster_bitmap.h"

// A JPEG file into a 32-bit bitmap, alpha 255; greyscale images give red = green = blue.
// Images of other than one or three components load as all zero. The destination works
// as for the PNG loaders: null makes a new RAS_MemBitmap (rows aligned to 4 pixels) that
// the caller owns, a given bitmap is resized and filled. Null on any failure; no message
// is printed. Any thread; nothing is kept between calls.
RAS_IBitmap* RAS_LoadJPG(const char* filename, RAS_IBitmap* bmp);
