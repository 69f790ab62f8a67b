#include "BASE_Mutex.h"

BASE_Mutex::BASE_Mutex()
  : mOwner(pthread_t()), mOwned(false)
{
  pthread_mutex_init(&mMutex, nullptr);
}

BASE_Mutex::~BASE_Mutex()
{
  pthread_mutex_destroy(&mMutex);
}

bool BASE_Mutex::IsOwnedByCaller() const
{
  // The owner is stored before the flag is raised, so a thread that sees the flag sees the
  // owner that raised it; only the owner itself can match the calling thread.
  return mOwned.load() && pthread_equal(mOwner.load(), pthread_self());
}

void BASE_Mutex::Enter()
{
  if (IsOwnedByCaller()) {
    ++mCount;
    return;
  }
  pthread_mutex_lock(&mMutex);
  mOwner.store(pthread_self());
  mOwned.store(true);
  mCount = 0;
}

void BASE_Mutex::Leave()
{
  if (!IsOwnedByCaller()) {
    return;
  }
  if (--mCount < 0) {
    mCount = 0;
    mOwned.store(false);
    pthread_mutex_unlock(&mMutex);
  }
}
