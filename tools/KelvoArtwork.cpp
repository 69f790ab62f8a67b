// Draws the editor's images and writes them as PNG files: kelvo_artwork <output folder>.
// Every image is computed, so the same program always writes the same pixels. Multi-frame
// images are vertical strips of equal frames. The sizes fit the control positions of the
// editor layout.

#include "ArtCanvas.h"
#include "ArtLettering.h"
#include "raster.h"
#include "raster_arc.h"
#include "raster_line.h"
#include "raster_png_write.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const double kPi = 3.14159265358979323846;

const int kEditorW = 802, kEditorH = 253;
const int kBigKnob = 64, kBigKnobFrames = 102;
const int kSmallKnob = 32, kSmallKnobFrames = 101;
const int kFreqLedW = 22, kFreqLedH = 12;
const int kSliderW = 14, kSliderH = 24;
const int kSwitchW = 26, kSwitchH = 18;
const int kLed = 18;
const int kVuW = 120, kVuH = 62, kVuFrames = 59;

// Knob travel: 270 degrees, from seven to five o'clock; angle 0 points up, clockwise.
const double kKnobMin = -0.75 * kPi, kKnobRange = 1.5 * kPi;

const ArtColor kPanelTop = ArtRGB(58, 63, 68), kPanelBottom = ArtRGB(36, 40, 44);
const ArtColor kSection = ArtRGB(46, 51, 56), kSectionEdge = ArtRGB(78, 86, 90);
const ArtColor kCaption = ArtRGB(113, 124, 127);
const ArtColor kAccent = ArtRGB(236, 142, 48);

// The points of the knob scale for the big knobs' top-left positions.
const int kBigKnobPos[][2] = { { 158, 35 }, { 257, 35 }, { 537, 35 }, { 397, 35 }, { 689, 127 }, { 26, 18 }, { 26, 161 } };
const int kSmallKnobPos[][2] = { { 171, 219 }, { 558, 219 } };

RAS_pixel Pixel(const ArtColor& c)
{
  auto byte = [](double v) { return static_cast<int>(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255.0)); };
  return RAS_RGBA(byte(c.r), byte(c.g), byte(c.b), byte(c.a));
}

bool Write(const std::string& folder, const char* name, RAS_IBitmap* bmp)
{
  std::string path = folder + "/" + name;
  if (!RAS_WritePNG(path.c_str(), bmp)) {
    std::fprintf(stderr, "kelvo_artwork: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// One knob frame of size s with its pointer at angle a (radians, 0 up, clockwise).
void DrawKnob(ArtCanvas* c, int s, double a)
{
  double cx = s / 2.0, cy = s / 2.0, r = s / 2.0 - 1.5;
  // drop shadow, body with a rim, cap lit from the top left
  c->Fill([=](double x, double y) { return ArtShape::Circle(x, y, cx + 1.0, cy + 1.5, r); }, ArtRGB(0, 0, 0, 0.45), 0,
          0, s, s);
  c->Fill([=](double x, double y) { return ArtShape::Circle(x, y, cx, cy, r); },
          [=](double, double y) { return ArtMix(ArtRGB(70, 74, 78), ArtRGB(16, 17, 19), (y - (cy - r)) / (2 * r)); },
          0, 0, s, s);
  double rc = r * 0.72;
  c->Fill([=](double x, double y) { return ArtShape::Circle(x, y, cx, cy, rc); },
          [=](double x, double y) {
            double d = std::hypot(x - (cx - rc * 0.4), y - (cy - rc * 0.45)) / (2 * rc);
            return ArtMix(ArtRGB(168, 172, 176), ArtRGB(52, 55, 59), d);
          },
          0, 0, s, s);
  c->Fill([=](double x, double y) { return ArtShape::Ring(x, y, cx, cy, rc - 0.8, rc + 0.4); }, ArtRGB(20, 20, 22, 0.8),
          0, 0, s, s);
  // pointer from near the centre to the rim
  double sx = std::sin(a), sy = -std::cos(a);
  double x1 = cx + sx * r * 0.28, y1 = cy + sy * r * 0.28, x2 = cx + sx * (r - 2.0), y2 = cy + sy * (r - 2.0);
  double w = s >= 48 ? 3.2 : 2.2;
  c->Fill([=](double x, double y) { return ArtShape::Capsule(x, y, x1, y1, x2, y2, w + 1.2); }, ArtRGB(0, 0, 0, 0.5), 0,
          0, s, s);
  c->Fill([=](double x, double y) { return ArtShape::Capsule(x, y, x1, y1, x2, y2, w); }, ArtRGB(250, 250, 246), 0, 0,
          s, s);
}

void MakeKnobStrip(RAS_MemBitmap* strip, int s, int frames)
{
  strip->resize(s, s * frames);
  RAS_Clear(strip, 0);
  for (int f = 0; f < frames; ++f) {
    ArtCanvas c(s, s);
    DrawKnob(&c, s, kKnobMin + kKnobRange * f / (frames - 1));
    RAS_MemBitmap frame(s, s);
    c.CopyTo(&frame, 0, 0);
    RAS_Blit(strip, &frame, 0, f * s, nullptr, 1.0f, 0);
  }
}

// Scale marks around a knob of size s whose top-left corner is (x, y).
void DrawKnobScale(RAS_IBitmap* bg, int x, int y, int s, int marks)
{
  double cx = x + s / 2.0, cy = y + s / 2.0, r0 = s / 2.0 + 2.0, r1 = s / 2.0 + (s >= 48 ? 7.0 : 5.0);
  for (int i = 0; i < marks; ++i) {
    double a = kKnobMin + kKnobRange * i / (marks - 1);
    bool major = i == 0 || i == marks - 1 || i == marks / 2;
    double re = major ? r1 + 1.0 : r1;
    int x1 = static_cast<int>(std::lround(cx + std::sin(a) * r0)), y1 = static_cast<int>(std::lround(cy - std::cos(a) * r0));
    int x2 = static_cast<int>(std::lround(cx + std::sin(a) * re)), y2 = static_cast<int>(std::lround(cy - std::cos(a) * re));
    RAS_Line(bg, x1, y1, x2, y2, Pixel(major ? ArtRGB(190, 198, 200) : kCaption), 1.0f, 0, true);
  }
}

void DrawScrew(RAS_IBitmap* bg, int x, int y)
{
  RAS_Circle(bg, x + 0.5f, y + 0.5f, 4.0f, Pixel(ArtRGB(20, 22, 24)), 1.0f, 0, true);
  RAS_Circle(bg, x + 0.5f, y + 0.5f, 3.0f, Pixel(ArtRGB(120, 126, 130)), 1.0f, 0, true);
  RAS_Line(bg, x - 2, y + 2, x + 2, y - 2, Pixel(ArtRGB(20, 22, 24)), 1.0f, 0, true);
}

void MakeBackground(RAS_MemBitmap* bg)
{
  ArtCanvas c(kEditorW, kEditorH);
  c.Fill([](double, double) { return -1.0; },
         [](double, double y) { return ArtMix(kPanelTop, kPanelBottom, y / kEditorH); }, 0, 0, kEditorW, kEditorH);
  // sections: in/out, low, mid, high, exciter and meter
  const int sections[][4] = { { 6, 6, 122, 247 },   { 130, 6, 344, 212 }, { 350, 6, 506, 212 },
                              { 512, 6, 654, 212 }, { 660, 6, 796, 220 }, { 130, 216, 654, 250 } };
  for (const auto& s : sections) {
    double l = s[0], t = s[1], r = s[2], b = s[3];
    c.Fill([=](double x, double y) { return ArtShape::RoundRect(x, y, l, t, r, b, 6.0); }, kSectionEdge, s[0] - 1,
           s[1] - 1, s[2] + 1, s[3] + 1);
    c.Fill([=](double x, double y) { return ArtShape::RoundRect(x, y, l + 1, t + 1, r - 1, b - 1, 5.0); },
           [=](double, double y) { return ArtMix(kSection, ArtRGB(40, 44, 49), (y - t) / (b - t)); }, s[0], s[1], s[2],
           s[3]);
  }
  // the VU meter's bezel
  c.Fill([](double x, double y) { return ArtShape::RoundRect(x, y, 660, 20, 788, 90, 5.0); }, ArtRGB(18, 19, 21), 658,
         18, 790, 92);
  // the mid-frequency fader's slot
  c.Fill([](double x, double y) { return ArtShape::RoundRect(x, y, 368, 167, 493, 173, 3.0); }, ArtRGB(14, 15, 17), 366,
         165, 495, 175);
  // logo inside the credits target area
  double logoH = 16.0;
  double logoX = 661 + (119 - ArtTextWidth("KELVO", logoH)) / 2.0;
  ArtDrawText(&c, "KELVO", logoX, 229.0, logoH, 2.4, kAccent);
  c.CopyTo(bg, 0, 0);

  for (const auto& p : kBigKnobPos) {
    DrawKnobScale(bg, p[0], p[1], kBigKnob, 11);
  }
  for (const auto& p : kSmallKnobPos) {
    DrawKnobScale(bg, p[0], p[1], kSmallKnob, 7);
  }
  // fader scale: ticks under the slot
  for (int i = 0; i <= 10; ++i) {
    int x = 372 + i * 117 / 10;
    RAS_Line(bg, x, 184, x, i % 5 == 0 ? 189 : 187, Pixel(kCaption), 1.0f, 0, false);
  }
  // separators under the knob rows
  RAS_Line(bg, 136, 140, 338, 140, Pixel(ArtRGB(30, 33, 36)), 1.0f, 0, false);
  RAS_Line(bg, 518, 140, 648, 140, Pixel(ArtRGB(30, 33, 36)), 1.0f, 0, false);
  DrawScrew(bg, 14, 240);
  DrawScrew(bg, 114, 240);
  DrawScrew(bg, 786, 14);
  // the panel is opaque everywhere, whatever the antialiased strokes left in the alpha byte
  RAS_ClearRect(bg, 0, 0, kEditorW, kEditorH, ~static_cast<RAS_pixel>(0xFF), 0xFF);
}

// Two frames: the button off (frame 1) and on (frame 2), side by side in a selector.
void MakeFreqLed(RAS_MemBitmap* bmp)
{
  ArtCanvas c(kFreqLedW, kFreqLedH * 2);
  for (int f = 0; f < 2; ++f) {
    double t = f * kFreqLedH;
    c.Fill([=](double x, double y) { return ArtShape::RoundRect(x, y, 1, t + 1, kFreqLedW - 1, t + kFreqLedH - 1, 3.0); },
           ArtRGB(12, 13, 15), 0, static_cast<int>(t), kFreqLedW, static_cast<int>(t) + kFreqLedH);
    ArtColor lamp = f ? kAccent : ArtRGB(70, 52, 36);
    c.Fill([=](double x, double y) { return ArtShape::RoundRect(x, y, 4, t + 4, kFreqLedW - 4, t + kFreqLedH - 4, 2.0); },
           [=](double, double y) { return ArtMix(ArtMix(lamp, ArtRGB(255, 240, 200), f ? 0.35 : 0.1), lamp, (y - t - 4) / 4); },
           0, static_cast<int>(t), kFreqLedW, static_cast<int>(t) + kFreqLedH);
  }
  bmp->resize(kFreqLedW, kFreqLedH * 2);
  c.CopyTo(bmp, 0, 0);
}

void MakeSlider(RAS_MemBitmap* bmp)
{
  ArtCanvas c(kSliderW, kSliderH);
  c.Fill([](double x, double y) { return ArtShape::RoundRect(x, y, 0.5, 0.5, kSliderW - 0.5, kSliderH - 0.5, 3.0); },
         [](double, double y) { return ArtMix(ArtRGB(200, 204, 208), ArtRGB(90, 94, 98), y / kSliderH); }, 0, 0, kSliderW,
         kSliderH);
  c.Fill([](double x, double y) { return ArtShape::Capsule(x, y, kSliderW / 2.0, 4, kSliderW / 2.0, kSliderH - 4, 1.6); },
         ArtRGB(20, 20, 22), 0, 0, kSliderW, kSliderH);
  bmp->resize(kSliderW, kSliderH);
  c.CopyTo(bmp, 0, 0);
}

// Two frames: a slide switch off (lever left, frame 1) and on (lever right, frame 2).
void MakeSwitch(RAS_MemBitmap* bmp)
{
  ArtCanvas c(kSwitchW, kSwitchH * 2);
  for (int f = 0; f < 2; ++f) {
    double t = f * kSwitchH;
    c.Fill([=](double x, double y) { return ArtShape::RoundRect(x, y, 1, t + 3, kSwitchW - 1, t + kSwitchH - 3, 6.0); },
           ArtRGB(10, 11, 12), 0, static_cast<int>(t), kSwitchW, static_cast<int>(t) + kSwitchH);
    double lx = f ? kSwitchW - 9.5 : 9.5, ly = t + kSwitchH / 2.0;
    c.Fill([=](double x, double y) { return ArtShape::Circle(x, y, lx, ly, 7.5); },
           [=](double x, double y) {
             return ArtMix(ArtRGB(226, 228, 230), ArtRGB(96, 100, 104), std::hypot(x - lx + 2.5, y - ly + 3.0) / 12.0);
           },
           0, static_cast<int>(t), kSwitchW, static_cast<int>(t) + kSwitchH);
  }
  bmp->resize(kSwitchW, kSwitchH * 2);
  c.CopyTo(bmp, 0, 0);
}

// Two frames: off (frame 1) and lit (frame 2), with a soft glow when lit.
void MakeLed(RAS_MemBitmap* bmp)
{
  ArtCanvas c(kLed, kLed * 2);
  for (int f = 0; f < 2; ++f) {
    double cx = kLed / 2.0, cy = f * kLed + kLed / 2.0;
    int t = f * kLed;
    if (f) {
      c.Fill([=](double x, double y) { return ArtShape::Circle(x, y, cx, cy, 8.5); },
             [=](double x, double y) {
               return ArtColor{ 1.0, 0.45, 0.12, 0.5 * (1.0 - std::hypot(x - cx, y - cy) / 8.5) };
             },
             0, t, kLed, t + kLed);
    }
    c.Fill([=](double x, double y) { return ArtShape::Circle(x, y, cx, cy, 6.0); }, ArtRGB(14, 14, 16), 0, t, kLed,
           t + kLed);
    ArtColor core = f ? ArtRGB(255, 120, 40) : ArtRGB(84, 34, 20);
    ArtColor hot = f ? ArtRGB(255, 236, 190) : ArtRGB(120, 60, 44);
    c.Fill([=](double x, double y) { return ArtShape::Circle(x, y, cx, cy, 4.8); },
           [=](double x, double y) { return ArtMix(hot, core, std::hypot(x - cx, y - cy) / 4.8); }, 0, t, kLed, t + kLed);
  }
  bmp->resize(kLed, kLed * 2);
  c.CopyTo(bmp, 0, 0);
}

// The glass over an LED: mostly clear, with a highlight at the top left.
void MakeLedGlass(RAS_MemBitmap* bmp)
{
  ArtCanvas c(kLed, kLed);
  double cx = kLed / 2.0, cy = kLed / 2.0;
  c.Fill([=](double x, double y) { return ArtShape::Ring(x, y, cx, cy, 5.0, 6.2); }, ArtRGB(190, 196, 200, 0.35), 0, 0,
         kLed, kLed);
  c.Fill([=](double x, double y) { return ArtShape::Circle(x, y, cx - 1.6, cy - 1.8, 2.2); },
         [=](double x, double y) {
           return ArtColor{ 1.0, 1.0, 1.0, 0.75 * (1.0 - std::hypot(x - cx + 1.6, y - cy + 1.8) / 2.6) };
         },
         0, 0, kLed, kLed);
  bmp->resize(kLed, kLed);
  c.CopyTo(bmp, 0, 0);
}

// The VU meter: a cream face with its scale and a needle, frame f at angle -48 + 96 x f / 58
// degrees around a pivot below the face. It ends above the Woow switch and LED.
void MakeVu(RAS_MemBitmap* strip)
{
  const double px = kVuW / 2.0, py = kVuH + 14.0, rScale = 62.0;
  const double aMin = -48.0 * kPi / 180.0, aRange = 96.0 * kPi / 180.0;
  ArtCanvas face(kVuW, kVuH);
  face.Fill([](double x, double y) { return ArtShape::RoundRect(x, y, 0, 0, kVuW, kVuH, 4.0); },
            [](double, double y) { return ArtMix(ArtRGB(246, 232, 196), ArtRGB(214, 196, 152), y / kVuH); }, 0, 0, kVuW,
            kVuH);
  // the red zone: the last quarter of the scale
  for (int i = 0; i <= 40; ++i) {
    double a = aMin + aRange * (0.75 + 0.25 * i / 40.0);
    double x = px + std::sin(a) * (rScale + 3), y = py - std::cos(a) * (rScale + 3);
    face.Fill([=](double qx, double qy) { return ArtShape::Circle(qx, qy, x, y, 2.2); }, ArtRGB(196, 40, 32), 0, 0, kVuW,
              kVuH);
  }
  for (int i = 0; i <= 12; ++i) {
    double a = aMin + aRange * i / 12.0;
    double len = i % 3 == 0 ? 8.0 : 4.5;
    double x1 = px + std::sin(a) * rScale, y1 = py - std::cos(a) * rScale;
    double x2 = px + std::sin(a) * (rScale + len), y2 = py - std::cos(a) * (rScale + len);
    face.Fill([=](double x, double y) { return ArtShape::Capsule(x, y, x1, y1, x2, y2, 1.3); }, ArtRGB(30, 28, 24), 0, 0,
              kVuW, kVuH);
  }
  strip->resize(kVuW, kVuH * kVuFrames);
  for (int f = 0; f < kVuFrames; ++f) {
    ArtCanvas c = face;
    double a = aMin + aRange * f / (kVuFrames - 1);
    double x1 = px + std::sin(a) * 24.0, y1 = py - std::cos(a) * 24.0;
    double x2 = px + std::sin(a) * (rScale + 7), y2 = py - std::cos(a) * (rScale + 7);
    c.Fill([=](double x, double y) { return ArtShape::Capsule(x, y, x1 + 1.2, y1 + 1.5, x2 + 1.2, y2 + 1.5, 1.6); },
           ArtRGB(0, 0, 0, 0.25), 0, 0, kVuW, kVuH);
    c.Fill([=](double x, double y) { return ArtShape::Capsule(x, y, x1, y1, x2, y2, 1.4); }, ArtRGB(24, 22, 20), 0, 0,
           kVuW, kVuH);
    // the pivot's cover along the bottom edge
    c.Fill([=](double x, double y) { return ArtShape::Circle(x, y, px, py, 24.0); }, ArtRGB(40, 42, 46), 0, 0, kVuW,
           kVuH);
    c.CopyTo(strip, 0, f * kVuH);
  }
}

// The credits: a dark glass panel over the whole editor with the product and maker names.
void MakeCredits(RAS_MemBitmap* bmp)
{
  const int w = kEditorW - 2, h = kEditorH - 2;
  ArtCanvas c(w, h);
  c.Fill([=](double x, double y) { return ArtShape::RoundRect(x, y, 0, 0, w, h, 8.0); }, ArtRGB(12, 14, 16, 0.9), 0, 0, w,
         h);
  // a thin frame inside the edge
  c.Fill([=](double x, double y) { return std::fabs(ArtShape::RoundRect(x, y, 6, 6, w - 6, h - 6, 6.0)) - 0.6; },
         kAccent, 0, 0, w, h);
  double big = 56.0;
  ArtDrawText(&c, "KELVO", (w - ArtTextWidth("KELVO", big)) / 2.0, 60.0, big, 6.0, kAccent);
  double small = 18.0;
  ArtDrawText(&c, "BRANTEL", (w - ArtTextWidth("BRANTEL", small)) / 2.0, 150.0, small, 2.2, ArtRGB(200, 206, 210));
  bmp->resize(w, h);
  c.CopyTo(bmp, 0, 0);
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelvo_artwork <output folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  RAS_MemBitmap bmp;
  bool ok = true;
  bmp.resize(kEditorW, kEditorH);
  MakeBackground(&bmp);
  ok = Write(folder, "background.png", &bmp) && ok;
  MakeKnobStrip(&bmp, kBigKnob, kBigKnobFrames);
  ok = Write(folder, "big_knob.png", &bmp) && ok;
  MakeKnobStrip(&bmp, kSmallKnob, kSmallKnobFrames);
  ok = Write(folder, "small_knob.png", &bmp) && ok;
  MakeFreqLed(&bmp);
  ok = Write(folder, "freq_led.png", &bmp) && ok;
  MakeSlider(&bmp);
  ok = Write(folder, "h_slider.png", &bmp) && ok;
  MakeSwitch(&bmp);
  ok = Write(folder, "switch.png", &bmp) && ok;
  MakeLed(&bmp);
  ok = Write(folder, "led.png", &bmp) && ok;
  MakeLedGlass(&bmp);
  ok = Write(folder, "led_alpha.png", &bmp) && ok;
  MakeVu(&bmp);
  ok = Write(folder, "vu.png", &bmp) && ok;
  MakeCredits(&bmp);
  ok = Write(folder, "credits.png", &bmp) && ok;
  return ok ? 0 : 1;
}
