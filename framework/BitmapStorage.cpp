#include "BitmapStorage.h"

#include "raster_bitmap.h"

BitmapStorage& BitmapStorage::Instance()
{
  static BitmapStorage storage;
  return storage;
}

BitmapStorage::~BitmapStorage()
{
  BASE_MutexLock lock(mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i) {
    delete mBitmaps.Get(i)->bitmap;
  }
  mBitmaps.Empty(true);
}

RAS_IBitmap* BitmapStorage::Find(int ID)
{
  BASE_MutexLock lock(mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i) {
    BitmapKey* key = mBitmaps.Get(i);
    if (key->id == ID) {
      return key->bitmap;
    }
  }
  return nullptr;
}

bool BitmapStorage::Add(RAS_IBitmap* bitmap, int ID)
{
  if (!bitmap) {
    return false;
  }
  BASE_MutexLock lock(mMutex);
  BitmapKey* key = new BitmapKey{ID, bitmap};
  if (!mBitmaps.Add(key)) {
    delete key;
    return false;
  }
  return true;
}

void BitmapStorage::Remove(RAS_IBitmap* bitmap)
{
  BASE_MutexLock lock(mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i) {
    if (mBitmaps.Get(i)->bitmap == bitmap) {
      mBitmaps.Delete(i, true);
      delete bitmap;
      return;
    }
  }
}

int BitmapStorage::Count()
{
  BASE_MutexLock lock(mMutex);
  return mBitmaps.GetSize();
}
