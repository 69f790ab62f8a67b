#pragma once

#include "raster_bitmap.h"

// Registry of image loaders, one record per format, linked from _RAS_ImageLoader_list.
// The records are linked during static initialisation, before any other code runs, and
// never change afterwards, so the list may be read from any thread without a lock.

// Loads filename into bmp (or a new bitmap when bmp is null); with checkName the name
// must end in one of the loader's extensions. Null on failure.
typedef RAS_IBitmap* (*RAS_ImageLoadFunc)(const char* filename, bool checkName, RAS_IBitmap* bmp);

// The loader's file-dialog filter: zero-terminated description and pattern strings, the
// block ended by an empty string.
typedef const char* (*RAS_ImageExtListFunc)();

struct RAS_ImageLoader
{
  RAS_ImageLoadFunc loadfunc;
  RAS_ImageExtListFunc get_extlist;
  RAS_ImageLoader* next;
};

// Head of the list: PNG first, then JPEG.
extern RAS_ImageLoader* _RAS_ImageLoader_list;

class RAS_PNGLoader
{
public:
  // accepted ending: ".png", in any case
  static RAS_IBitmap* loadfunc(const char* filename, bool checkName, RAS_IBitmap* bmp);
  static const char* get_extlist();
};

class RAS_JPGLoader
{
public:
  // accepted endings: ".jpg", ".jpeg", ".jfif", in any case
  static RAS_IBitmap* loadfunc(const char* filename, bool checkName, RAS_IBitmap* bmp);
  static const char* get_extlist();
};

// Tries every registered loader in list order, checking the file name against each
// one's endings; the first image loaded is returned, null when none loads it.
RAS_IBitmap* RAS_LoadImage(const char* filename, RAS_IBitmap* bmp);
