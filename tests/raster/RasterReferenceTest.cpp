// Plain reference versions of the blits and fills, written per destination pixel straight
// from the formulas with a mode switch per pixel, and a long run of random calls (sizes,
// positions straddling every edge, flipped and padded bitmaps, modes, weights) that the
// library must reproduce word for word, row padding included.

#include "RasterTestBitmaps.h"

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// channels by byte offset: 0 alpha, 1 red, 2 green, 3 blue
struct Channels
{
  int c[4];
};

Channels Split(RAS_pixel p)
{
  Channels ch;
  for (int i = 0; i < 4; ++i) ch.c[i] = static_cast<int>((p >> (8 * i)) & 0xFF);
  return ch;
}

RAS_pixel Join(const Channels& ch)
{
  RAS_pixel p = 0;
  for (int i = 0; i < 4; ++i) p |= static_cast<RAS_pixel>(ch.c[i] & 0xFF) << (8 * i);
  return p;
}

int Weight(float alpha)
{
  if (!(alpha > 0.0f)) return 0;
  if (alpha >= 1.0f) return 256;
  return static_cast<int>(alpha * 256.0f);
}

int Inv(int i) { return i ? 65536 / i - 1 : 0; }

void RefRgbToHsv(int r, int g, int b, int& h, int& s, int& v)
{
  int hi, lo, diff, base;
  if (r >= g && r >= b) {
    hi = r, lo = g < b ? g : b, diff = g - b, base = diff < 0 ? 383 : 0;
  } else if (g >= b) {
    hi = g, lo = r < b ? r : b, diff = b - r, base = 128;
  } else {
    hi = b, lo = r < g ? r : g, diff = r - g, base = 256;
  }
  const int delta = hi - lo;
  v = hi;
  s = Inv(hi) * delta / 256;
  h = base + (Inv(delta) + 1) * diff / 1024;
}

bool InBlitTable(int masked) { return (masked >= 0 && masked <= 5) || (masked >= 0x10000 && masked <= 0x10005); }

// d combined with the source channels s (s.c[0] may be up to 256 for fills) by the class
// that the masked mode and weight select
Channels RefCombine(Channels d, const Channels& s, int alpha, int masked)
{
  const int base = masked & 0xFF;
  int w = alpha;
  if (masked & 0x10000) {
    if (base == 0 && alpha == 256) {
      if (s.c[0] == 0) return d;
      if (s.c[0] == 255) return Channels{{255, s.c[1], s.c[2], s.c[3]}};
      const int w2 = s.c[0] + 1;
      Channels out;
      for (int i = 1; i < 4; ++i) out.c[i] = s.c[i] + (d.c[i] - s.c[i]) * (256 - w2) / 256;
      out.c[0] = w2 + (d.c[0] - w2) * (256 - w2) / 256;
      return out;
    }
    if (s.c[0] == 0 && (base == 0 || base == 1 || base == 3)) return d;
    w = (s.c[0] + 1) * alpha / 256;
  } else if (base == 0 && alpha == 256) {
    return s;
  }
  if (base == 5) {
    int h, sat, v;
    RefRgbToHsv(d.c[1], d.c[2], d.c[3], h, sat, v);
    h += (s.c[1] + s.c[1] / 2 - 192) * w / 256;
    if (h < 0) h += 384;
    if (h >= 384) h -= 384;
    sat = Clamp255(sat + (s.c[2] - 128) * w / 128);
    v = Clamp255(v + (s.c[3] - 128) * w / 128);
    Channels out;
    _RAS_HSV2RGB(h, sat, v, &out.c[1], &out.c[2], &out.c[3]);
    out.c[0] = s.c[0] > 255 ? 255 : s.c[0];
    return out;
  }
  Channels out;
  for (int i = 0; i < 4; ++i) {
    const int dc = d.c[i], sc = s.c[i];
    switch (base) {
      case 0: out.c[i] = sc + (dc - sc) * (256 - w) / 256; break;
      case 1: out.c[i] = Clamp255(dc + sc * w / 256); break;
      case 2: {
        const int k = 256 - sc * w / 256;
        out.c[i] = Clamp255(k >= 2 ? dc * 256 / k : dc * 256);
        break;
      }
      case 3: out.c[i] = dc * (w * sc + (256 - w) * 256) / 65536; break;
      default: {
        const int t = w * sc + (256 - w) * 128;
        out.c[i] = Clamp255(dc * ((32768 - t) * dc / 256 + t) / 32768);
        break;
      }
    }
  }
  return out;
}

RAS_pixel RefCombineWords(RAS_pixel d, RAS_pixel s, int alpha, int masked)
{
  return Join(RefCombine(Split(d), Split(s), alpha, masked));
}

// the logical pixels of a bitmap, read before any is written
std::vector<RAS_pixel> Snapshot(TestBitmap& bm)
{
  std::vector<RAS_pixel> px;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) px.push_back(bm.at(x, y));
  return px;
}

void RefBlit(TestBitmap* dest, TestBitmap* src, int64_t dstx, int64_t dsty, int64_t l, int64_t t, int64_t r,
             int64_t b, float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  const int blend = mode & 0xFF;
  const int masked = mode & 0x100FF;
  const bool word = blend < 0xF0 && masked == 0 && (alpha == 1.0f || alpha == 0.5f);
  const int weight = Weight(alpha);
  if (blend < 0xF0 && !word && (weight == 0 || !InBlitTable(masked))) return;
  const int sw = src->getWidth(), sh = src->getHeight();
  const std::vector<RAS_pixel> s = Snapshot(*src);
  for (int y = 0; y < dest->getHeight(); ++y) {
    for (int x = 0; x < dest->getWidth(); ++x) {
      const int64_t u = x - dstx + l, v = y - dsty + t;
      if (u < l || u >= r || v < t || v >= b || u < 0 || v < 0 || u >= sw || v >= sh) continue;
      const RAS_pixel sp = s[static_cast<size_t>(v * sw + u)];
      RAS_pixel& dp = dest->at(x, y);
      if (blend >= 0xF0) {
        Channels dc = Split(dp);
        dc.c[(mode >> 2) & 3] = Split(sp).c[mode & 3];
        dp = Join(dc);
      } else if (word && alpha == 1.0f) {
        dp = sp;
      } else if (word) {
        Channels dc = Split(dp), sc = Split(sp);
        for (int i = 0; i < 4; ++i) dc.c[i] = dc.c[i] / 2 + sc.c[i] / 2;
        dp = Join(dc);
      } else {
        dp = RefCombineWords(dp, sp, weight, masked);
      }
    }
  }
}

int64_t Fixed(double v) { return static_cast<int64_t>(v * 65536.0); }
int64_t Index(int64_t pos) { return pos / 65536; }
int Frac(int64_t pos) { return pos < 0 ? 0 : static_cast<int>(pos & 0xFFFF); }

// filtered pixel at (ix, iy) inside the clip [0, r) x [0, b) of the logical pixels s
RAS_pixel RefBilinear(const std::vector<RAS_pixel>& s, int sw, int ix, int iy, int fx, int fy, int r, int b)
{
  auto at = [&](int x, int y) { return Split(s[static_cast<size_t>(y) * sw + x]); };
  const bool lastCol = ix + 1 >= r, lastRow = iy + 1 >= b;
  Channels out;
  for (int i = 0; i < 4; ++i) {
    const int64_t c00 = at(ix, iy).c[i];
    if (!lastCol && !lastRow) {
      const int64_t p = (static_cast<int64_t>(fx) * fy) >> 16;
      out.c[i] = static_cast<int>((c00 * (65536 - fx - fy + p) + at(ix + 1, iy).c[i] * (fx - p) +
                                   at(ix, iy + 1).c[i] * (fy - p) + at(ix + 1, iy + 1).c[i] * p) / 65536);
    } else if (!lastRow) {
      out.c[i] = static_cast<int>((c00 * (65536 - fy) + at(ix, iy + 1).c[i] * fy) / 65536);
    } else if (!lastCol) {
      out.c[i] = static_cast<int>((c00 * (65536 - fx) + at(ix + 1, iy).c[i] * fx) / 65536);
    } else {
      out.c[i] = static_cast<int>(c00);
    }
  }
  return Join(out);
}

void RefScaled(TestBitmap* dest, TestBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
               float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  const bool bilinear = (mode & 0xFF00) == 0x100;
  auto nearInt = [](double v) { return std::fabs(v - std::floor(v + 0.5)); };
  if (dstw > 0 && dsth > 0 && std::fabs(static_cast<double>(srcw) - dstw) < 0.001 &&
      std::fabs(static_cast<double>(srch) - dsth) < 0.001 &&
      (!bilinear || (nearInt(srcx) < 0.03 && nearInt(srcy) < 0.03))) {
    const int64_t sx = static_cast<int>(srcx + 0.5), sy = static_cast<int>(srcy + 0.5);
    RefBlit(dest, src, dstx, dsty, sx, sy, sx + dstw, sy + dsth, alpha, mode);
    return;
  }
  const int weight = Weight(alpha);
  const int masked = mode & 0x100FF;
  const bool fast = (mode & 0x1FFFF) == 0 && (weight == 256 || weight == 128);
  if (!fast && (weight == 0 || !InBlitTable(masked) || (masked == 0 && weight < 1))) return;

  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  int64_t dx = dstx, dy = dsty, w = dstw, h = dsth;
  if (w < 0) w = -w, dx -= w, sx += sw, sw = -sw;
  if (h < 0) h = -h, dy -= h, sy += sh, sh = -sh;
  const double xstep = sw / static_cast<double>(w), ystep = sh / static_cast<double>(h);
  const int clipw = static_cast<int>(std::fmin(std::ceil(sx + std::fmax(sw, 0.0)), src->getWidth()));
  const int cliph = static_cast<int>(std::fmin(std::ceil(sy + std::fmax(sh, 0.0)), src->getHeight()));
  if (clipw <= 0 || cliph <= 0) return;
  // a negative step (a mirror) starts one step in
  if (xstep < 0) sx += xstep;
  if (ystep < 0) sy += ystep;
  // a destination start left of or above the bitmap advances the source in floating point
  const int64_t x0 = dx < 0 ? 0 : dx, y0 = dy < 0 ? 0 : dy;
  const int64_t sx0 = Fixed(dx < 0 ? sx + static_cast<double>(-dx) * xstep : sx);
  const int64_t sy0 = Fixed(dy < 0 ? sy + static_cast<double>(-dy) * ystep : sy);
  const int64_t fxs = Fixed(xstep), fys = Fixed(ystep);
  const bool down = !fast && bilinear && xstep >= 1.7 && ystep >= 1.7;
  const int radius = (fxs > fys ? fxs : fys) > 0x30000 ? 2 : 1;

  const std::vector<RAS_pixel> s = Snapshot(*src);
  const int srcWidth = src->getWidth();
  for (int y = 0; y < dest->getHeight(); ++y) {
    if (y < y0 || y >= dy + h) continue;
    const int64_t py = sy0 + (y - y0) * fys;
    const int64_t iy = Index(py);
    if (iy < 0 || iy >= cliph) continue;
    for (int x = 0; x < dest->getWidth(); ++x) {
      if (x < x0 || x >= dx + w) continue;
      const int64_t px = sx0 + (x - x0) * fxs;
      const int64_t ix = Index(px);
      if (ix < 0 || ix >= clipw) continue;
      RAS_pixel& dp = dest->at(x, y);
      const RAS_pixel nearest = s[static_cast<size_t>(iy * srcWidth + ix)];
      if (fast) {
        Channels dc = Split(dp), sc = Split(nearest);
        for (int i = 0; i < 4; ++i) dc.c[i] = weight == 256 ? sc.c[i] : dc.c[i] / 2 + sc.c[i] / 2;
        dp = Join(dc);
        continue;
      }
      RAS_pixel sample = nearest;
      if (down) {
        int sum[4] = {0, 0, 0, 0}, count = 0;
        for (int64_t ky = iy - radius; ky <= iy + radius; ++ky)
          for (int64_t kx = ix - radius; kx <= ix + radius; ++kx) {
            if (kx < 0 || ky < 0 || kx >= clipw || ky >= cliph) continue;
            const Channels k = Split(s[static_cast<size_t>(ky * srcWidth + kx)]);
            for (int i = 0; i < 4; ++i) sum[i] += k.c[i] * 65536;
            count += 65536;
          }
        Channels avg;
        for (int i = 0; i < 4; ++i) avg.c[i] = static_cast<int>(static_cast<int64_t>(sum[i]) / count);
        sample = Join(avg);
      } else if (bilinear) {
        sample = RefBilinear(s, srcWidth, static_cast<int>(ix), static_cast<int>(iy), Frac(px), Frac(py), clipw, cliph);
      }
      dp = RefCombineWords(dp, sample, weight, masked);
    }
  }
}

void RefRotated(TestBitmap* dest, TestBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                float srcw, float srch, float angle, bool clip, float alpha, int mode, float rotx, float roty)
{
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  const int weight = Weight(alpha);
  const int masked = mode & 0x100FF;
  if (weight == 0 || !InBlitTable(masked)) return;
  int l = 0, t = 0, r = src->getWidth(), b = src->getHeight();
  if (clip) {
    const double xa = srcx, xb = static_cast<double>(srcx) + srcw;
    const double ya = srcy, yb = static_cast<double>(srcy) + srch;
    l = static_cast<int>(std::fmax(0.0, std::fmin(std::floor(std::fmin(xa, xb)), r)));
    t = static_cast<int>(std::fmax(0.0, std::fmin(std::floor(std::fmin(ya, yb)), b)));
    r = static_cast<int>(std::fmax(0.0, std::fmin(std::ceil(std::fmax(xa, xb)), r)));
    b = static_cast<int>(std::fmax(0.0, std::fmin(std::ceil(std::fmax(ya, yb)), b)));
  }
  if (l >= r || t >= b) return;
  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  int64_t dx = dstx, dy = dsty, w = dstw, h = dsth;
  if (w < 0) w = -w, dx -= w, sx += sw, sw = -sw;
  if (h < 0) h = -h, dy -= h, sy += sh, sh = -sh;
  const double xs = sw / static_cast<double>(w), ys = sh / static_cast<double>(h);
  const double c = std::cos(static_cast<double>(angle)), sn = std::sin(static_cast<double>(angle));
  const double colx = c * xs, coly = -sn * ys, rowx = sn * xs, rowy = c * ys;
  const double wd = static_cast<double>(w), hd = static_cast<double>(h);
  double px = sx - ((c * xs * wd + sn * xs * hd - sw) / 2 - rotx);
  double py = sy - ((c * ys * hd - sn * ys * wd - sh) / 2 - roty);
  if (xs < 0) px += colx, py += coly;
  if (ys < 0) px += rowx, py += rowy;
  if (dx < 0) px += static_cast<double>(-dx) * colx, py += static_cast<double>(-dx) * coly;
  if (dy < 0) px += static_cast<double>(-dy) * rowx, py += static_cast<double>(-dy) * rowy;
  const int64_t x0 = dx < 0 ? 0 : dx, y0 = dy < 0 ? 0 : dy;
  const int64_t fpx = Fixed(px), fpy = Fixed(py);
  const int64_t fcx = Fixed(colx), fcy = Fixed(coly), frx = Fixed(rowx), fry = Fixed(rowy);
  const bool bilinear = (mode & 0xFF00) == 0x100;

  const std::vector<RAS_pixel> s = Snapshot(*src);
  const int srcWidth = src->getWidth();
  for (int y = 0; y < dest->getHeight(); ++y) {
    if (y < y0 || y >= dy + h) continue;
    for (int x = 0; x < dest->getWidth(); ++x) {
      if (x < x0 || x >= dx + w) continue;
      const int64_t qx = fpx + (x - x0) * fcx + (y - y0) * frx;
      const int64_t qy = fpy + (x - x0) * fcy + (y - y0) * fry;
      const int64_t ix = Index(qx), iy = Index(qy);
      if (ix < l || ix >= r || iy < t || iy >= b) continue;
      const RAS_pixel sample =
          bilinear ? RefBilinear(s, srcWidth, static_cast<int>(ix), static_cast<int>(iy), Frac(qx), Frac(qy), r, b)
                   : s[static_cast<size_t>(iy * srcWidth + ix)];
      RAS_pixel& dp = dest->at(x, y);
      dp = RefCombineWords(dp, sample, weight, masked);
    }
  }
}

// a fill passes its weight as the source alpha, a single pixel the colour's alpha byte
void RefFill(TestBitmap* dest, int64_t x, int64_t y, int64_t w, int64_t h, RAS_pixel color, float alpha, int mode,
             bool pixel = false)
{
  if (mode & 0x10000) alpha *= RAS_GETA(color) / 255.0f;
  const int weight = Weight(alpha);
  const int blend = mode & 0xFF;
  if (weight == 0 || blend > 5) return;
  const Channels col = Split(color);
  for (int py = 0; py < dest->getHeight(); ++py)
    for (int px = 0; px < dest->getWidth(); ++px) {
      if (px < x || px >= x + w || py < y || py >= y + h) continue;
      RAS_pixel& dp = dest->at(px, py);
      Channels d = Split(dp);
      if (blend == 0 && weight == 256) {
        d = col;
      } else if (blend == 0 && (weight == 128 || weight == 64 || weight == 192)) {
        for (int i = 0; i < 4; ++i) {
          const int dc = d.c[i], cc = col.c[i];
          d.c[i] = weight == 128 ? dc / 2 + cc / 2 : weight == 64 ? dc / 2 + dc / 4 + cc / 4 : cc / 2 + cc / 4 + dc / 4;
        }
      } else {
        d = RefCombine(d, Channels{{pixel ? col.c[0] : weight, col.c[1], col.c[2], col.c[3]}}, weight, blend);
      }
      dp = Join(d);
    }
}

const int kModes[] = {0,       1,       2,       3,       4,       5,       0x10000, 0x10001, 0x10002,
                      0x10003, 0x10004, 0x10005, 0x10000, 0x10000, 0,       0,       6,       0x10006};

struct Random
{
  std::mt19937 rng{20261206};
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  float Real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
  bool Chance(int percent) { return Int(0, 99) < percent; }

  float Alpha()
  {
    static const float kAlphas[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 1.0f, 1.0f, 1.5f, -0.5f, 1.0f / 256, 0.3f};
    return Chance(70) ? kAlphas[Int(0, 10)] : Real(0.0f, 1.0f);
  }
  int Mode(bool channels)
  {
    int mode = kModes[Int(0, static_cast<int>(sizeof(kModes) / sizeof(kModes[0])) - 1)];
    if (Chance(40)) mode |= 0x100;
    if (Chance(5)) mode |= 0x200;
    if (channels && Chance(10)) mode = 0xF0 | Int(0, 15);
    return mode;
  }
  // source coordinates: integers, near-integers and arbitrary values
  float Coord(float lo, float hi)
  {
    const int kind = Int(0, 3);
    const float whole = static_cast<float>(Int(static_cast<int>(lo), static_cast<int>(hi)));
    if (kind == 0) return whole;
    if (kind == 1) return whole + (Chance(50) ? 0.02f : -0.05f);
    return Real(lo, hi);
  }
  void FillBitmap(TestBitmap& bm)
  {
    bm.fillRandom(rng);
    // many fully transparent and fully opaque pixels
    for (int y = 0; y < bm.getHeight(); ++y)
      for (int x = 0; x < bm.getWidth(); ++x) {
        const int kind = Int(0, 3);
        if (kind < 2) bm.at(x, y) = (bm.at(x, y) & 0xFFFFFF00u) | (kind == 0 ? 0u : 255u);
      }
  }
};

uint64_t Hash(uint64_t h, const std::vector<RAS_pixel>& words)
{
  for (RAS_pixel w : words) h = (h ^ w) * 1099511628211ull;
  return h;
}

}  // namespace

TEST(RasterReference, RandomBlitsScalesRotationsAndFillsMatchThePlainFormulas)
{
  Random rnd;
  uint64_t libHash = 14695981039346656037ull, refHash = libHash;
  int calls[5] = {0, 0, 0, 0, 0}, changed[5] = {0, 0, 0, 0, 0};
  for (int call = 0; call < 20000; ++call) {
    const int dw = rnd.Int(1, 9), dh = rnd.Int(1, 9);
    const bool dflip = rnd.Chance(25), sflip = rnd.Chance(25);
    const int dpad = rnd.Int(0, 2), spad = rnd.Int(0, 2);
    TestBitmap dest(dw, dh, dflip, dpad), ref(dw, dh, dflip, dpad);
    TestBitmap src(rnd.Int(1, 9), rnd.Int(1, 9), sflip, spad);
    rnd.FillBitmap(dest);
    rnd.FillBitmap(src);
    ref.copyFrom(dest);
    for (int y = 0; y < dh; ++y)  // padding too
      for (int x = dw; x < dw + dpad; ++x) ref.at(x, y) = dest.at(x, y);
    const bool self = rnd.Chance(8);
    const std::vector<RAS_pixel> before = dest.words();
    TestBitmap* libSrc = self ? &dest : &src;
    TestBitmap* refSrc = self ? &ref : &src;
    const float alpha = rnd.Alpha();
    const int op = rnd.Int(0, 4);

    if (op == 0) {
      const int sbw = libSrc->getWidth(), sbh = libSrc->getHeight();
      // mostly overlapping areas, some anywhere around the bitmaps
      const bool wide = rnd.Chance(30);
      const int dx = wide ? rnd.Int(-sbw - 1, dw) : rnd.Int(-sbw / 2 - 1, dw - 1);
      const int dy = wide ? rnd.Int(-sbh - 1, dh) : rnd.Int(-sbh / 2 - 1, dh - 1);
      const int sx = wide ? rnd.Int(-3, sbw) : rnd.Int(-2, sbw - 1);
      const int sy = wide ? rnd.Int(-3, sbh) : rnd.Int(-2, sbh - 1);
      const int sw = wide ? rnd.Int(-1, sbw + 3) : rnd.Int(1, sbw + 2);
      const int sh = wide ? rnd.Int(-1, sbh + 3) : rnd.Int(1, sbh + 2);
      const int mode = rnd.Mode(true);
      if (rnd.Chance(20)) {
        RAS_Blit(&dest, libSrc, dx, dy, nullptr, alpha, mode);
        RefBlit(&ref, refSrc, dx, dy, 0, 0, refSrc->getWidth(), refSrc->getHeight(), alpha, mode);
      } else if (rnd.Chance(50)) {
        RECT rect = {sx, sy, sx + sw, sy + sh};
        RAS_Blit(&dest, libSrc, dx, dy, &rect, alpha, mode);
        RefBlit(&ref, refSrc, dx, dy, sx, sy, sx + sw, sy + sh, alpha, mode);
      } else {
        RAS_Blit(&dest, libSrc, dx, dy, sx, sy, sw, sh, alpha, mode);
        RefBlit(&ref, refSrc, dx, dy, sx, sy, sx + sw, sy + sh, alpha, mode);
      }
    } else if (op == 1 || op == 2) {
      const int sbw = libSrc->getWidth(), sbh = libSrc->getHeight();
      int dwid = rnd.Int(-12, 12), dhei = rnd.Int(-12, 12);
      // destination areas straddling every edge, mirrored ones extending left and up
      const int dx = rnd.Int(-std::abs(dwid) / 2 - 1, dw - 1) + (dwid < 0 ? -dwid : 0);
      const int dy = rnd.Int(-std::abs(dhei) / 2 - 1, dh - 1) + (dhei < 0 ? -dhei : 0);
      const float sx = rnd.Coord(-2, static_cast<float>(sbw - 1)), sy = rnd.Coord(-2, static_cast<float>(sbh - 1));
      float sw = rnd.Coord(rnd.Chance(20) ? -3.0f : 1.0f, static_cast<float>(sbw + 3));
      float sh = rnd.Coord(rnd.Chance(20) ? -3.0f : 1.0f, static_cast<float>(sbh + 3));
      if (rnd.Chance(25)) sw = static_cast<float>(dwid), sh = static_cast<float>(dhei);
      if (rnd.Chance(20)) sw = sw * 5, sh = sh * 5;  // strong reductions
      const int mode = rnd.Mode(false);
      if (op == 1) {
        RAS_ScaledBlit(&dest, libSrc, dx, dy, dwid, dhei, sx, sy, sw, sh, alpha, mode);
        RefScaled(&ref, refSrc, dx, dy, dwid, dhei, sx, sy, sw, sh, alpha, mode);
      } else {
        const float angle = rnd.Chance(25) ? 0.0f : rnd.Real(-7.0f, 7.0f);
        const float rx = rnd.Chance(50) ? 0.0f : rnd.Real(-2.0f, 2.0f);
        const float ry = rnd.Chance(50) ? 0.0f : rnd.Real(-2.0f, 2.0f);
        const bool clip = rnd.Chance(50);
        RAS_RotatedBlit(&dest, libSrc, dx, dy, dwid, dhei, sx, sy, sw, sh, angle, clip, alpha, mode, rx, ry);
        RefRotated(&ref, refSrc, dx, dy, dwid, dhei, sx, sy, sw, sh, angle, clip, alpha, mode, rx, ry);
      }
    } else if (op == 3) {
      const int x = rnd.Int(-4, dw), y = rnd.Int(-4, dh), w = rnd.Int(-1, dw + 4), h = rnd.Int(-1, dh + 4);
      const RAS_pixel color = rnd.rng();
      const int mode = rnd.Chance(15) ? rnd.Int(0, 7) | 0x10000 : rnd.Int(0, 7);
      RAS_FillRect(&dest, x, y, w, h, color, alpha, mode);
      RefFill(&ref, x, y, w, h, color, alpha, mode);
    } else {
      const int x = rnd.Int(-1, dw), y = rnd.Int(-1, dh);
      const RAS_pixel color = rnd.rng();
      const int mode = rnd.Int(0, 7) | (rnd.Chance(30) ? 0x10000 : 0);
      RAS_PutPixel(&dest, x, y, color, alpha, mode);
      RefFill(&ref, x, y, 1, 1, color, alpha, mode & 0xFF, true);
    }
    ASSERT_EQ(ref.words(), dest.words()) << "call " << call << " op " << op;
    ++calls[op];
    changed[op] += dest.words() != before;
    libHash = Hash(libHash, dest.words());
    refHash = Hash(refHash, ref.words());
  }
  EXPECT_EQ(refHash, libHash);
  // a fair share of the calls of every kind must draw something
  for (int op = 0; op < 5; ++op) EXPECT_GT(changed[op] * 5, calls[op]) << "op " << op;
}
