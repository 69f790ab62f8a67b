#pragma once

#include "BASE_HeapBuf.h"

#include <cstdlib>

// Replaces the buffers' memory functions for the life of the object, so that tests can
// count allocations or make them fail.
class AllocatorHook
{
public:
  AllocatorHook(bool failReallocate, bool failAllocate)
  {
    sFailReallocate = failReallocate;
    sFailAllocate = failAllocate;
    sReallocations = 0;
    sAllocations = 0;
    static const BASE_HeapBuf::Allocator hook = { Reallocate, Allocate };
    BASE_HeapBuf::SetAllocator(&hook);
  }
  ~AllocatorHook() { BASE_HeapBuf::SetAllocator(nullptr); }

  static int Reallocations() { return sReallocations; }
  static int Allocations() { return sAllocations; }

private:
  static void* Reallocate(void* block, size_t bytes)
  {
    ++sReallocations;
    return sFailReallocate ? nullptr : std::realloc(block, bytes);
  }
  static void* Allocate(size_t bytes)
  {
    ++sAllocations;
    return sFailAllocate ? nullptr : std::malloc(bytes);
  }

  static inline bool sFailReallocate = false;
  static inline bool sFailAllocate = false;
  static inline int sReallocations = 0;
  static inline int sAllocations = 0;
};
