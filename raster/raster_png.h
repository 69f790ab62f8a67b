#pragma once

#include "raster_bitmap.h"

// PNG images into 32-bit bitmaps (bytes alpha, red, green, blue; straight alpha; alpha
// 255 for images without it). Each loader takes an optional destination: without one it
// returns a new RAS_MemBitmap (rows aligned to 4 pixels) that the caller owns; with one
// it resizes and fills it and returns it. Every failure returns null (a given bitmap may
// then have been resized already). Any thread; nothing is kept between calls.

RAS_IBitmap* RAS_LoadPNG(const char* filename, RAS_IBitmap* bmp);

// A PNG held in memory; at least 8 bytes with the PNG signature, else null. Reads past
// the end of the data see zeros.
RAS_IBitmap* RAS_LoadPNGFromMemory(const void* data, int size, RAS_IBitmap* bmp);

// A PNG among the main bundle's resources: "<bundle>/Contents/Resources/<name>". Names of
// more than 400 characters, and a missing bundle path, give null.
RAS_IBitmap* RAS_LoadPNGFromNamedResource(const char* name, RAS_IBitmap* bmp);

// Supplies the file-system path of the main bundle: writes it, zero-terminated, into buf
// of bufSize bytes and returns true, or returns false when there is no bundle or path.
typedef bool (*RAS_MainBundlePathProvider)(char* buf, int bufSize);

// Installed by the platform layer at start-up (before any editor loads images); null
// removes it. Without a provider no named resource can be found.
void RAS_SetMainBundlePathProvider(RAS_MainBundlePathProvider provider);
