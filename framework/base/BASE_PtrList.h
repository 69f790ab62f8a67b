#pragma once

#include "BASE_HeapBuf.h"

// The untyped storage of a BASE_PtrList: an array of pointers that grows and never shrinks.
class BASE_PtrListBase
{
public:
  BASE_PtrListBase() : mBuf(4096) {}

  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(void*)); }

protected:
  // Null for an index outside [0, size).
  void* GetAt(int idx) const;
  // Appends p; false when memory ran out (the list is then unchanged).
  bool Append(void* p);
  // Removes entry idx and returns it; null for an index outside the list.
  void* RemoveAt(int idx);
  // Inserts p before entry idx (limited to [0, size]); false when memory ran out.
  bool InsertAt(int idx, void* p);
  // Index of the first entry equal to p, -1 when there is none.
  int IndexOf(const void* p) const;

private:
  void** Items() const { return static_cast<void**>(mBuf.Get()); }
  BASE_HeapBuf mBuf;
};

// A list of pointers to T. Whoever adds objects created with new decides, when removing
// them, whether the list deletes them.
template <class T>
class BASE_PtrList : public BASE_PtrListBase
{
public:
  typedef void (*DeleteFunction)(T* p);

  BASE_PtrList() = default;
  BASE_PtrList(const BASE_PtrList&) = delete;
  BASE_PtrList& operator=(const BASE_PtrList&) = delete;

  // Null for an index outside [0, size).
  T* Get(int idx) const { return static_cast<T*>(GetAt(idx)); }

  // Appends p and returns it; null when memory ran out (p is then not in the list).
  T* Add(T* p) { return Append(p) ? p : nullptr; }

  // Inserts p before entry idx (an index outside the list appends or prepends); returns p,
  // or null when memory ran out.
  T* Insert(int idx, T* p) { return InsertAt(idx, p) ? p : nullptr; }

  // Index of p in the list, -1 when it is not there.
  int Find(const T* p) const { return IndexOf(p); }

  // Removes entry idx; with wantDelete the object is passed to deleteFunction, or deleted
  // when there is none. An index outside the list does nothing.
  void Delete(int idx, bool wantDelete = false, DeleteFunction deleteFunction = nullptr)
  {
    T* p = static_cast<T*>(RemoveAt(idx));
    if (p && wantDelete) {
      Dispose(p, deleteFunction);
    }
  }

  // Removes every entry, last to first, deleting the objects when asked; the storage is kept.
  void Empty(bool wantDelete = false, DeleteFunction deleteFunction = nullptr)
  {
    for (int i = GetSize() - 1; i >= 0; --i) {
      Delete(i, wantDelete, deleteFunction);
    }
  }

private:
  static void Dispose(T* p, DeleteFunction deleteFunction)
  {
    if (deleteFunction) {
      deleteFunction(p);
    } else {
      delete p;
    }
  }
};
