#pragma once

#include "BASE_HeapBuf.h"

#include <climits>

// A growable array of T elements over a BASE_HeapBuf. T must be copyable byte by byte.
template <class T>
class BASE_TypedBuf
{
public:
  explicit BASE_TypedBuf(int granularityBytes = 4096) : mBuf(granularityBytes) {}

  // The first element, null while the buffer is empty.
  T* Get() const { return static_cast<T*>(mBuf.Get()); }
  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T)); }

  // Sets the element count, giving back memory when the buffer shrinks a lot. When memory
  // runs out (or the count is negative or too large) the old count stays; read it back.
  T* Resize(int count)
  {
    if (count < 0 || count > INT_MAX / static_cast<int>(sizeof(T))) {
      return Get();
    }
    return static_cast<T*>(mBuf.Resize(count * static_cast<int>(sizeof(T)), true));
  }

private:
  BASE_HeapBuf mBuf;
};
