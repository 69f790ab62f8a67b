#include "Hosts.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

struct HostText
{
  const char* text;
  int code;
};

// Searched in this order: an identifier holding several texts gets the earliest one's code.
const HostText kHostTexts[] = {
  { "cubase", 3 },     { "reaper", 1 },   { "nuendo", 4 },    { "cakewalk", 5 },
  { "samplitude", 8 }, { "fruity", 7 },   { "live", 9 },      { "melodyne", 12 },
  { "vstmanlib", 13 }, { "aulab", 14 },   { "forte", 15 },    { "chainer", 16 },
  { "audition", 17 },  { "orion", 18 },   { "sawstudio", 20 }, { "logic", 21 },
  { "digital", 22 },
};

} // namespace

int LookUpHost(const char* name)
{
  char lower[256];
  size_t n = 0;
  if (name) {
    for (; n < sizeof(lower) - 1 && name[n]; ++n) {
      lower[n] = static_cast<char>(tolower(static_cast<unsigned char>(name[n])));
    }
  }
  lower[n] = '\0';
  for (const HostText& host : kHostTexts) {
    if (strstr(lower, host.text)) {
      return host.code;
    }
  }
  return kHostUnknown;
}

void GetVersionParts(int version, int* major, int* minor, int* patch)
{
  unsigned int v = static_cast<unsigned int>(version);
  *major = static_cast<int>(v >> 16);
  *minor = static_cast<int>((v >> 8) & 0xFF);
  *patch = static_cast<int>(v & 0xFF);
}

int GetDecimalVersion(int version)
{
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  return major * 10000 + minor * 100 + patch;
}

void GetVersionStr(int version, char* out)
{
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  snprintf(out, 32, "v%d.%02d", major, minor);
}
