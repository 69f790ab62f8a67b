#include "raster_combine.h"

#include <type_traits>

namespace {

constexpr unsigned short InvEntry(int i) { return static_cast<unsigned short>(i ? 65536 / i - 1 : 0); }

}  // namespace

const unsigned short _RAS_RGB2HSV_invtab[256] = {
#define RAS_INV(i) InvEntry(i)
#define RAS_INV4(i) RAS_INV(i), RAS_INV(i + 1), RAS_INV(i + 2), RAS_INV(i + 3)
#define RAS_INV16(i) RAS_INV4(i), RAS_INV4(i + 4), RAS_INV4(i + 8), RAS_INV4(i + 12)
    RAS_INV16(0),   RAS_INV16(16),  RAS_INV16(32),  RAS_INV16(48),  RAS_INV16(64),  RAS_INV16(80),
    RAS_INV16(96),  RAS_INV16(112), RAS_INV16(128), RAS_INV16(144), RAS_INV16(160), RAS_INV16(176),
    RAS_INV16(192), RAS_INV16(208), RAS_INV16(224), RAS_INV16(240),
#undef RAS_INV16
#undef RAS_INV4
#undef RAS_INV
};

void _RAS_RGB2HSV(int r, int g, int b, int* h, int* s, int* v)
{
  int largest, smallest, diff, base;
  if (r >= g && r >= b) {
    largest = r;
    smallest = g < b ? g : b;
    diff = g - b;
    base = diff < 0 ? 383 : 0;
  } else if (g >= b) {
    largest = g;
    smallest = r < b ? r : b;
    diff = b - r;
    base = 128;
  } else {
    largest = b;
    smallest = r < g ? r : g;
    diff = r - g;
    base = 256;
  }
  const int delta = largest - smallest;
  *v = largest;
  *s = _RAS_RGB2HSV_invtab[largest] * delta / 256;
  *h = base + (_RAS_RGB2HSV_invtab[delta] + 1) * diff / 1024;
}

void _RAS_HSV2RGB(int h, int s, int v, int* r, int* g, int* b)
{
  if (s <= 0) {
    *r = *g = *b = v;
    return;
  }
  const int sector = (h / 64) % 6;
  const int f = h % 64;
  // the three ramps of a sector: low, falling and rising
  const int p = v * (255 - s) / 255;
  const int q = v * (255 * 64 - s * f) / (255 * 64);
  const int t = v * (255 * 64 - s * (64 - f)) / (255 * 64);
  switch (sector) {
    case 0: *r = v; *g = t; *b = p; break;
    case 1: *r = q; *g = v; *b = p; break;
    case 2: *r = p; *g = v; *b = t; break;
    case 3: *r = p; *g = q; *b = v; break;
    case 4: *r = t; *g = p; *b = v; break;
    default: *r = v; *g = p; *b = q; break;
  }
}

RAS_pixel RAS_CombinePixels(RAS_pixel dest, RAS_pixel src, float alpha, int mode)
{
  const int weight = _RAS_WeightFromAlpha(alpha);
  unsigned char bytes[4] = {static_cast<unsigned char>(RAS_GETA(dest)), static_cast<unsigned char>(RAS_GETR(dest)),
                            static_cast<unsigned char>(RAS_GETG(dest)), static_cast<unsigned char>(RAS_GETB(dest))};
  const bool drawn = _RAS_DispatchBlitMode(mode, weight, [&](auto* tag) {
    using Combine = std::remove_pointer_t<decltype(tag)>;
    Combine::doPix(bytes, RAS_GETR(src), RAS_GETG(src), RAS_GETB(src), RAS_GETA(src), weight);
  });
  if (!drawn || weight == 0) return dest;
  return RAS_RGBA(bytes[RAS_BYTE_R], bytes[RAS_BYTE_G], bytes[RAS_BYTE_B], bytes[RAS_BYTE_A]);
}
