#include "IPreset.h"

#include <cstdio>
#include <cstring>

IPreset::IPreset(int idx)
{
  snprintf(mName, sizeof(mName), "- %d -", idx + 1);
}

void IPreset::SetName(const char* name)
{
  // The name may be this preset's own (or a part of it), so the copy must allow overlap.
  if (!name) {
    name = "";
  }
  size_t n = strnlen(name, sizeof(mName) - 1);
  memmove(mName, name, n);
  mName[n] = '\0';
}
