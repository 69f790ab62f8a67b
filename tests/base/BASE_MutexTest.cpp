#include "BASE_Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(BASE_Mutex, OwnerEntersRecursivelyAndReleasesAfterLastLeave)
{
  BASE_Mutex mutex;
  EXPECT_FALSE(mutex.IsOwnedByCaller());
  for (int i = 0; i < 3; ++i) {
    mutex.Enter();
  }
  EXPECT_TRUE(mutex.IsOwnedByCaller());
  EXPECT_EQ(2, mutex.GetRecursionCount());
  mutex.Leave();
  mutex.Leave();
  EXPECT_TRUE(mutex.IsOwnedByCaller());
  mutex.Leave();
  EXPECT_FALSE(mutex.IsOwnedByCaller());
  mutex.Leave();  // leaving an unowned lock does nothing
  EXPECT_FALSE(mutex.IsOwnedByCaller());
}

TEST(BASE_Mutex, SecondThreadWaitsUntilTheOwnerHasLeftAsOftenAsItEntered)
{
  BASE_Mutex mutex;
  std::atomic<bool> entered(false);
  mutex.Enter();
  mutex.Enter();
  std::thread other([&] {
    mutex.Leave();  // not the owner: must not release the lock
    BASE_MutexLock lock(mutex);
    entered = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered);
  EXPECT_TRUE(mutex.IsOwnedByCaller());
  mutex.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered);
  mutex.Leave();
  other.join();
  EXPECT_TRUE(entered);
}

TEST(BASE_Mutex, NestedScopedLocksSerialiseTwoThreads)
{
  BASE_Mutex mutex;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      BASE_MutexLock outer(mutex);
      BASE_MutexLock inner(mutex);
      counter = counter + 1;
    }
  };
  std::thread a(work);
  std::thread b(work);
  a.join();
  b.join();
  EXPECT_EQ(40000, counter);
  EXPECT_FALSE(mutex.IsOwnedByCaller());
}
