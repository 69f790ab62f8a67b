#pragma once

#include <atomic>
#include <pthread.h>

// A recursive lock over a plain system mutex: the owning thread may enter again, and the
// lock is released when it has left as often as it entered.
class BASE_Mutex
{
public:
  BASE_Mutex();
  ~BASE_Mutex();

  BASE_Mutex(const BASE_Mutex&) = delete;
  BASE_Mutex& operator=(const BASE_Mutex&) = delete;

  // Any thread; blocks while another thread owns the lock.
  void Enter();
  // The owning thread only; a call from a thread that does not own the lock does nothing.
  void Leave();

  // True when the calling thread owns the lock.
  bool IsOwnedByCaller() const;
  // Entries beyond the first of the owning thread (0 when entered once); for diagnostics.
  int GetRecursionCount() const { return mCount; }

private:
  pthread_mutex_t mMutex;
  // Read by other threads while the owner writes them, hence atomic.
  std::atomic<pthread_t> mOwner;
  std::atomic<bool> mOwned;
  int mCount = 0;
};

// Holds a BASE_Mutex for the lifetime of the object, so every return path releases it.
class BASE_MutexLock
{
public:
  explicit BASE_MutexLock(BASE_Mutex& mutex) : mMutex(mutex) { mMutex.Enter(); }
  ~BASE_MutexLock() { mMutex.Leave(); }

  BASE_MutexLock(const BASE_MutexLock&) = delete;
  BASE_MutexLock& operator=(const BASE_MutexLock&) = delete;

private:
  BASE_Mutex& mMutex;
};
