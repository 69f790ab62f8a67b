#include "raster_loader.h"

#include "raster_jpg.h"
#include "raster_png.h"

#include <strings.h>

#include <cstring>

RAS_ImageLoader* _RAS_ImageLoader_list = nullptr;

namespace {

// Links a loader record at the head of the list when constructed.
class Registration
{
public:
  Registration(RAS_ImageLoadFunc load, RAS_ImageExtListFunc extlist) : mRecord{load, extlist, _RAS_ImageLoader_list}
  {
    _RAS_ImageLoader_list = &mRecord;
  }

private:
  RAS_ImageLoader mRecord;
};

// JPEG registers first and PNG second (both in this file, so in this order), which puts
// PNG at the head of the list.
Registration sJPGRegistration(RAS_JPGLoader::loadfunc, RAS_JPGLoader::get_extlist);
Registration sPNGRegistration(RAS_PNGLoader::loadfunc, RAS_PNGLoader::get_extlist);

// True when the text from the last '.', '/' or '\\' of the name equals one of the endings,
// without regard to case.
bool hasEnding(const char* filename, const char* const* endings)
{
  const char* tail = nullptr;
  for (const char* p = filename; *p; ++p)
    if (*p == '.' || *p == '/' || *p == '\\') tail = p;
  if (!tail) return false;
  for (; *endings; ++endings)
    if (!strcasecmp(tail, *endings)) return true;
  return false;
}

}  // namespace

RAS_IBitmap* RAS_PNGLoader::loadfunc(const char* filename, bool checkName, RAS_IBitmap* bmp)
{
  static const char* const kEndings[] = {".png", nullptr};
  if (!filename || (checkName && !hasEnding(filename, kEndings))) return nullptr;
  return RAS_LoadPNG(filename, bmp);
}

const char* RAS_PNGLoader::get_extlist() { return "PNG files (*.PNG)\0*.PNG\0"; }

RAS_IBitmap* RAS_JPGLoader::loadfunc(const char* filename, bool checkName, RAS_IBitmap* bmp)
{
  static const char* const kEndings[] = {".jpg", ".jpeg", ".jfif", nullptr};
  if (!filename || (checkName && !hasEnding(filename, kEndings))) return nullptr;
  return RAS_LoadJPG(filename, bmp);
}

const char* RAS_JPGLoader::get_extlist() { return "JPEG files (*.JPG;*.JPEG;*.JFIF)\0*.JPG;*.JPEG;*.JFIF\0"; }

RAS_IBitmap* RAS_LoadImage(const char* filename, RAS_IBitmap* bmp)
{
  for (const RAS_ImageLoader* loader = _RAS_ImageLoader_list; loader; loader = loader->next) {
    if (RAS_IBitmap* image = loader->loadfunc(filename, true, bmp)) return image;
  }
  return nullptr;
}
