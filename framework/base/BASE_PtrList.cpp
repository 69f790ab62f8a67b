#include "BASE_PtrList.h"

#include <cstring>

void* BASE_PtrListBase::GetAt(int idx) const
{
  if (idx < 0 || idx >= GetSize()) {
    return nullptr;
  }
  return Items()[idx];
}

bool BASE_PtrListBase::Append(void* p)
{
  int n = GetSize();
  mBuf.Resize((n + 1) * static_cast<int>(sizeof(void*)), false);
  if (GetSize() != n + 1) {
    return false;
  }
  Items()[n] = p;
  return true;
}

void* BASE_PtrListBase::RemoveAt(int idx)
{
  int n = GetSize();
  if (idx < 0 || idx >= n) {
    return nullptr;
  }
  void** items = Items();
  void* p = items[idx];
  std::memmove(items + idx, items + idx + 1, static_cast<size_t>(n - idx - 1) * sizeof(void*));
  mBuf.Resize((n - 1) * static_cast<int>(sizeof(void*)), false);
  return p;
}

bool BASE_PtrListBase::InsertAt(int idx, void* p)
{
  int n = GetSize();
  if (!Append(p)) {
    return false;
  }
  idx = idx < 0 ? 0 : (idx > n ? n : idx);
  void** items = Items();
  std::memmove(items + idx + 1, items + idx, static_cast<size_t>(n - idx) * sizeof(void*));
  items[idx] = p;
  return true;
}

int BASE_PtrListBase::IndexOf(const void* p) const
{
  for (int i = 0, n = GetSize(); i < n; ++i) {
    if (Items()[i] == p) {
      return i;
    }
  }
  return -1;
}
