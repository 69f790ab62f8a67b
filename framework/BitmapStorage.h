#pragma once

#include "BASE_Mutex.h"
#include "BASE_PtrList.h"

class RAS_IBitmap;

// The process-wide cache of the editors' images, keyed by resource ID, so that every
// editor in the process shares one copy of each image. It owns every bitmap stored in it.
// Bitmaps made by scaling, cropping or retaining are stored under ID -1. There are no
// reference counts: a bitmap lives until it is removed or the cache is destroyed.
//
// Threads: any; every operation holds the cache's mutex for its whole run.
class BitmapStorage
{
public:
  struct BitmapKey
  {
    int id;
    RAS_IBitmap* bitmap;
  };

  // The single instance: created on first use (every editor asks for it when it is
  // constructed, so it exists before the first load and, constructed before any editor
  // finishes construction, is destroyed after every editor), destroyed at process exit or
  // when the library holding it is unloaded.
  static BitmapStorage& Instance();

  BitmapStorage() = default;
  // Deletes every stored bitmap, then every record.
  ~BitmapStorage();

  // The bitmap of the first record with this ID, or null.
  RAS_IBitmap* Find(int ID);
  // Appends a record; the cache owns the bitmap from then on. False for a null bitmap or
  // when memory ran out (the caller keeps the bitmap).
  bool Add(RAS_IBitmap* bitmap, int ID = -1);
  // Deletes the first record holding the bitmap, then the bitmap; nothing when none does.
  void Remove(RAS_IBitmap* bitmap);
  // Number of records.
  int Count();

private:
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  BASE_PtrList<BitmapKey> mBitmaps;
  BASE_Mutex mMutex;
};
