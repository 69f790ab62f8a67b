#pragma once

#include <cstddef>

// A growable block of bytes: buffer address, granularity, allocated size and used size.
// Growth over-allocates so that repeated appends stay cheap; shrinking happens only when
// asked for and when it frees a substantial part of the block.
class BASE_HeapBuf
{
public:
  // The memory functions the buffer uses. Tests replace them to make allocation fail;
  // production code never changes them.
  struct Allocator
  {
    void* (*reallocate)(void* block, size_t bytes);
    void* (*allocate)(size_t bytes);
  };

  explicit BASE_HeapBuf(int granularity = 4096);
  ~BASE_HeapBuf();

  BASE_HeapBuf(const BASE_HeapBuf&) = delete;
  BASE_HeapBuf& operator=(const BASE_HeapBuf&) = delete;

  // The buffer address, null while the used size is 0.
  void* Get() const { return mSize > 0 ? mBuf : nullptr; }
  int GetSize() const { return mSize; }
  int GetAlloc() const { return mAlloc; }
  int GetGranularity() const { return mGranularity; }

  // Sets the used size to newSize bytes, keeping the leading contents. With resizeDown the
  // block may be given back when it becomes much larger than needed. When memory runs out
  // nothing changes: callers read the size back. A negative size changes nothing.
  // Returns the buffer address, or null when the used size is 0.
  void* Resize(int newSize, bool resizeDown = true);

  // Allocation size chosen for newSize bytes with the given granularity.
  static long long AllocationFor(long long newSize, int granularity);

  // Replaces the memory functions for every buffer; null restores the standard ones.
  // For tests only; not thread-safe.
  static void SetAllocator(const Allocator* allocator);

private:
  char* mBuf = nullptr;
  int mGranularity;
  int mAlloc = 0;
  int mSize = 0;
};
