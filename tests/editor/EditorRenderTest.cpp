#include "EditorTestSupport.h"
#include "raster_arc.h"
#include "raster_line.h"
#include "raster_png_write.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
const double kPi = 3.14159265358979323846;

// A vertical gradient from dark blue-grey to lighter grey.
RAS_IBitmap* MakeBackground(int w, int h)
{
  RAS_MemBitmap* bg = new RAS_MemBitmap(w, h, 4);
  for (int y = 0; y < h; ++y) {
    int v = 40 + 60 * y / h;
    RAS_FillRect(bg, 0, y, w, 1, RAS_RGBA(v, v + 5, v + 15, 255), 1.0f, 0);
  }
  return bg;
}

// A knob strip of n frames of size x size: a ring and a pointer turning from -135 to 135
// degrees; transparent around the ring.
RAS_IBitmap* MakeKnobStrip(int size, int n)
{
  RAS_MemBitmap* strip = new RAS_MemBitmap(size, size * n, 4);
  RAS_Clear(strip, 0);
  float c = (size - 1) * 0.5f;
  for (int k = 0; k < n; ++k) {
    RAS_MemBitmap frame(size, size, 4);
    RAS_Clear(&frame, 0);
    for (float r = 1.0f; r < c - 1.0f; r += 0.5f) {
      RAS_Circle(&frame, c, c, r, RAS_RGBA(70, 70, 80, 255), 1.0f, 0, false);
    }
    RAS_Circle(&frame, c, c, c - 1.0f, RAS_RGBA(230, 230, 240, 255), 1.0f, 0, true);
    double a = (-0.75 + 1.5 * k / (n - 1)) * kPi;
    RAS_Line(&frame, static_cast<int>(c), static_cast<int>(c), static_cast<int>(c + (c - 3) * std::sin(a)),
             static_cast<int>(c - (c - 3) * std::cos(a)), RAS_RGBA(255, 160, 40, 255), 1.0f, 0, true);
    RAS_Blit(strip, &frame, 0, k * size, 0, 0, size, size, 1.0f, 0);
  }
  return strip;
}
} // namespace

TEST(EditorRender, SmallEditorRendersToAPNGThatReadsBackPixelForPixel)
{
  EditorPlug plug;
  TestEditor* ed = new TestEditor(&plug, 200, 100);
  ed->AttachBackground(RegisterImage([]() { return MakeBackground(200, 100); }), "background.png");
  IBitmap knob = ed->LoadIBitmap(RegisterImage([]() { return MakeKnobStrip(40, 31); }), "knob.png", 31);
  ed->AttachControl(new IKnobMultiControl(&plug, 10, 10, kGain, &knob));
  ed->AttachControl(new IKnobMultiControl(&plug, 60, 10, kFreq, &knob));
  IBitmap led = ed->LoadIBitmap(RegisterStrip(12, 8, 2), "led.png", 2);
  IRECT radioRect(110, 14, 110 + 4 * 12 + 3 * 4, 22);
  ed->AttachControl(new IRadioButtonsControl(&plug, &radioRect, kMode, 4, &led, kHorizontal));
  IBitmap handle = ed->LoadIBitmap(RegisterSolid(10, 14, IColor(255, 220, 220, 220)), "handle.png", 1);
  ed->AttachControl(new IFaderControl(&plug, 10, 70, 120, kCutoff, &handle, kHorizontal));
  IColor pointer = COLOR_YELLOW;
  IRECT lineKnob(150, 50, 190, 90);
  ed->AttachControl(new IKnobLineControl(&plug, &lineKnob, -1, &pointer, 4.0, 18.0));
  IBitmap sw = ed->LoadIBitmap(RegisterStrip(16, 10, 2), "switch.png", 2);
  ed->AttachControl(new ISwitchControl(&plug, 110, 40, kOnOff, &sw));
  IBitmap glass = ed->LoadIBitmap(RegisterSolid(12, 8, IColor(90, 255, 255, 255)), "glass.png", 1);
  ed->AttachControl(new IBitmapControl(&plug, 130, 14, &glass));
  plug.GetParam(kGain)->Set(6.0);
  plug.GetParam(kMode)->Set(2.0);
  plug.GetParam(kCutoff)->Set(250.0);
  plug.AttachGraphics(ed);
  ed->SetControlFromPlug(5, 0.3);
  ed->PaintAll();

  std::string file = std::string(KELVO_BINARY_DIR) + "/editor-render.png";
  ASSERT_TRUE(RAS_WritePNG(file.c_str(), ed->GetDrawBitmap()));
  std::unique_ptr<RAS_IBitmap> back(RAS_LoadPNG(file.c_str(), nullptr));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->getWidth(), 200);
  ASSERT_EQ(back->getHeight(), 100);
  int differing = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      differing += RAS_GetPixel(back.get(), x, y) != RAS_GetPixel(ed->GetDrawBitmap(), x, y);
    }
  }
  EXPECT_EQ(differing, 0);
  // the second radio button of four is off, the third on; the fader's handle sits at
  // 250 / 350 of its travel of 110 pixels
  ed->ExpectPixels({{127, 19, FrameColor(1)}, {143, 19, FrameColor(2)}, {10 + 78 + 5, 75, IColor(255, 220, 220, 220)}});
}
