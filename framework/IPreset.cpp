#include "IPreset.h"

#include <cstdio>

IPreset::IPreset(int idx)
{
  snprintf(mName, sizeof(mName), "- %d -", idx + 1);
}

void IPreset::SetName(const char* name)
{
  snprintf(mName, sizeof(mName), "%s", name ? name : "");
}
