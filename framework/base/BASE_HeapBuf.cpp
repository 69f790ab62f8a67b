#include "BASE_HeapBuf.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

void* StdReallocate(void* block, size_t bytes) { return std::realloc(block, bytes); }
void* StdAllocate(size_t bytes) { return std::malloc(bytes); }

const BASE_HeapBuf::Allocator kStdAllocator = { StdReallocate, StdAllocate };
const BASE_HeapBuf::Allocator* gAllocator = &kStdAllocator;

const long long kPage = 4096;
const long long kMaxHalf = 4194304;  // growth step limit for page-granular buffers, 4 MiB
const long long kSlack = 96;         // leaves room for the allocator's own header in a page

} // namespace

BASE_HeapBuf::BASE_HeapBuf(int granularity)
  : mGranularity(std::max(granularity, 1))
{
}

BASE_HeapBuf::~BASE_HeapBuf()
{
  std::free(mBuf);
}

void BASE_HeapBuf::SetAllocator(const Allocator* allocator)
{
  gAllocator = allocator ? allocator : &kStdAllocator;
}

long long BASE_HeapBuf::AllocationFor(long long newSize, int granularity)
{
  // half = max(newSize / 2, granularity)
  long long half = std::max(newSize / 2, static_cast<long long>(granularity));
  if (granularity < kPage) {
    return newSize + half;
  }
  // Page-granular buffers: a growth step of whole pages between 4 KiB and 4 MiB, and an
  // allocation that ends just short of a page boundary.
  long long r = half / kPage * kPage;
  r = std::min(std::max(r, kPage), kMaxHalf);
  return (r + newSize + kSlack) / kPage * kPage - kSlack;
}

void* BASE_HeapBuf::Resize(int newSize, bool resizeDown)
{
  if (newSize < 0 || newSize == mSize) {
    return Get();
  }
  bool reallocate = newSize > mAlloc;
  if (!reallocate && resizeDown && newSize < mSize) {
    long long alloc = mAlloc;
    reallocate = newSize < alloc / 2 && newSize < alloc - 4LL * mGranularity;
  }
  if (reallocate) {
    long long alloc = AllocationFor(newSize, mGranularity);
    if (alloc > INT_MAX) {
      return Get();
    }
    if (alloc != mAlloc) {
      void* block = gAllocator->reallocate(mBuf, static_cast<size_t>(alloc));
      if (!block) {
        // The block could not be moved or resized: try a fresh one and copy what is kept.
        block = gAllocator->allocate(static_cast<size_t>(alloc));
        if (!block) {
          return Get();
        }
        if (mBuf) {
          std::memcpy(block, mBuf, static_cast<size_t>(std::min(newSize, mSize)));
          std::free(mBuf);
        }
      }
      mBuf = static_cast<char*>(block);
      mAlloc = static_cast<int>(alloc);
    }
  }
  mSize = newSize;
  return Get();
}
