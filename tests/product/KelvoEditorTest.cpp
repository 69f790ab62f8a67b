// The editor: control list and positions, the indicators fed by parameters and processing,
// the meter's frames, the credits overlay and knob defaults.

#include "KelvoTestSupport.h"

#include "IControl.h"
#include "IGraphicsRaster.h"
#include "raster.h"
#include "raster_png.h"
#include "raster_png_write.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

using kelvotest::Block;
using kelvotest::NewKelvo;
using kelvotest::SetParam;

namespace {

const int kMeter = 26, kMidQLed = 19, kClipLed = 20, kWoowLed = 21, kExciterLed = 22, kCredits = 27;

IGraphicsRaster* Editor(Kelvo* plug)
{
  return static_cast<IGraphicsRaster*>(plug->GetGUI());
}

void PaintAll(IGraphics* ed)
{
  IRECT all(0, 0, ed->Width(), ed->Height());
  ed->Draw(&all);
}

std::unique_ptr<RAS_IBitmap> LoadImage(const char* name)
{
  std::string path = kelvotest::BundlePath() + "/Contents/Resources/" + name;
  return std::unique_ptr<RAS_IBitmap>(RAS_LoadPNG(path.c_str(), nullptr));
}

// The frame (1 to nFrames) of a strip that the editor shows at (x, y): the closest match
// over the frame's inner area.
int ShownFrame(IGraphicsRaster* ed, RAS_IBitmap* strip, int nFrames, int x, int y)
{
  int w = strip->getWidth(), h = strip->getHeight() / nFrames;
  long best = -1;
  int bestFrame = 0;
  for (int f = 0; f < nFrames; ++f) {
    long diff = 0;
    for (int j = 4; j < h - 4; ++j) {
      for (int i = 4; i < w - 4; ++i) {
        RAS_pixel a = RAS_GetPixel(ed->GetDrawBitmap(), x + i, y + j);
        RAS_pixel b = RAS_GetPixel(strip, i, f * h + j);
        diff += std::abs(RAS_GETR(a) - RAS_GETR(b)) + std::abs(RAS_GETG(a) - RAS_GETG(b)) +
                std::abs(RAS_GETB(a) - RAS_GETB(b));
      }
    }
    if (best < 0 || diff < best) {
      best = diff;
      bestFrame = f + 1;
    }
  }
  return bestFrame;
}

}  // namespace

TEST(KelvoEditor, TwentyEightControlsInAttachOrderAtTheirPositions)
{
  auto plug = NewKelvo();
  IGraphicsRaster* ed = Editor(plug.get());
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->Width(), 802);
  EXPECT_EQ(ed->Height(), 253);
  EXPECT_EQ(ed->FPS(), 24);
  EXPECT_TRUE(ed->GetStrictDrawing());
  EXPECT_FALSE(ed->HandlesMouseOver());
  ASSERT_EQ(ed->GetNControls(), 28);

  struct Row
  {
    int x, y, param;
  };
  const Row rows[28] = {
    { 0, 0, -1 },          { 158, 35, kBoostLow }, { 257, 35, kAttenLow },  { 537, 35, kHiGain },
    { 397, 35, kMidGain }, { 689, 127, kLSDrive }, { 26, 18, kInputGain },  { 26, 161, kOutputGain },
    { 187, 145, kLowFreq }, { 516, 145, kHiFreq }, { 365, 158, kMidFreq },  { 171, 219, kHighPass },
    { 558, 219, kLowPass }, { 134, 232, kHighPass }, { 592, 232, kLowPass }, { 405, 139, kMidFreq },
    { 377, 232, kMidQ },   { 719, 201, kLSOnOff }, { 719, 91, kLSWoow },    { 409, 228, -1 },
    { 45, 116, -1 },       { 747, 88, -1 },        { 747, 197, -1 },        { 409, 228, -1 },
    { 747, 88, -1 },       { 747, 197, -1 },       { 664, 24, -1 },         { 1, 1, -1 },
  };
  for (int i = 0; i < 28; ++i) {
    SCOPED_TRACE(i);
    IControl* c = ed->GetControl(i);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetRECT()->L, rows[i].x);
    EXPECT_EQ(c->GetRECT()->T, rows[i].y);
    EXPECT_EQ(c->ParamIdx(), rows[i].param);
  }
  // classes
  EXPECT_NE(dynamic_cast<IBitmapControl*>(ed->GetControl(0)), nullptr);
  EXPECT_EQ(ed->GetControl(0)->GetBlend()->mMethod, kBlendReplace);
  for (int i : { 1, 2, 3, 4, 5, 6, 7, 11, 12 }) {
    EXPECT_NE(dynamic_cast<IKnobMultiControl*>(ed->GetControl(i)), nullptr) << i;
  }
  for (int i : { 8, 9 }) {
    auto* radio = dynamic_cast<IRadioButtonsControl*>(ed->GetControl(i));
    ASSERT_NE(radio, nullptr) << i;
    EXPECT_EQ(radio->NButtons(), 4);
    // four buttons side by side without gaps
    const IRECT* first = radio->GetButtonRECT(0);
    const IRECT* last = radio->GetButtonRECT(3);
    int w = first->R - first->L;
    EXPECT_EQ(last->L, first->L + 3 * w);
    EXPECT_EQ(ed->GetControl(i)->GetRECT()->R, ed->GetControl(i)->GetRECT()->L + 4 * w);
    EXPECT_EQ(first->T, last->T);
  }
  EXPECT_NE(dynamic_cast<IFaderControl*>(ed->GetControl(10)), nullptr);
  EXPECT_EQ(ed->GetControl(10)->GetRECT()->R, 365 + 131);
  for (int i : { 13, 14, 15 }) {
    EXPECT_NE(dynamic_cast<ICaptionControl*>(ed->GetControl(i)), nullptr) << i;
  }
  EXPECT_EQ(*ed->GetControl(13)->GetRECT(), IRECT(134, 232, 168, 248));
  EXPECT_EQ(*ed->GetControl(14)->GetRECT(), IRECT(592, 232, 635, 248));
  EXPECT_EQ(*ed->GetControl(15)->GetRECT(), IRECT(405, 139, 457, 155));
  for (int i : { 16, 17, 18 }) {
    EXPECT_NE(dynamic_cast<ISwitchControl*>(ed->GetControl(i)), nullptr) << i;
  }
  EXPECT_NE(dynamic_cast<IBitmapOverlayControl*>(ed->GetControl(kCredits)), nullptr);
  EXPECT_EQ(*ed->GetControl(kCredits)->GetTargetRECT(), IRECT(661, 225, 780, 250));

  // the controls fit the editor
  for (int i = 1; i < 28; ++i) {
    const IRECT* r = ed->GetControl(i)->GetRECT();
    EXPECT_LE(r->R, 802) << i;
    EXPECT_LE(r->B, 253) << i;
  }
  // no two controls cover each other, except each LED and its glass
  for (int a = 1; a <= 26; ++a) {
    for (int b = a + 1; b <= 26; ++b) {
      bool glass = (a == kMidQLed && b == 23) || (a == kWoowLed && b == 24) || (a == kExciterLed && b == 25);
      if (glass) {
        EXPECT_EQ(*ed->GetControl(a)->GetRECT(), *ed->GetControl(b)->GetRECT());
        continue;
      }
      IRECT both = ed->GetControl(a)->GetRECT()->Intersect(ed->GetControl(b)->GetRECT());
      EXPECT_TRUE(both.Empty()) << a << " and " << b;
    }
  }
}

TEST(KelvoEditor, IndicatorsFollowTheirParametersAndTheProcessing)
{
  auto plug = NewKelvo();
  IGraphicsRaster* ed = Editor(plug.get());
  for (int i : { kMidQLed, kClipLed, kWoowLed, kExciterLed, kMeter, kCredits }) {
    EXPECT_EQ(ed->GetControl(i)->GetValue(), 0.0) << i;
  }
  SetParam(plug.get(), kMidQ, 1);
  EXPECT_EQ(ed->GetControl(kMidQLed)->GetValue(), 1.0);
  SetParam(plug.get(), kMidQ, 0);
  EXPECT_EQ(ed->GetControl(kMidQLed)->GetValue(), 0.0);

  // the Woow LED needs both switches on, whichever changed last
  SetParam(plug.get(), kLSWoow, 1);
  EXPECT_EQ(ed->GetControl(kWoowLed)->GetValue(), 0.0);
  SetParam(plug.get(), kLSOnOff, 1);
  EXPECT_EQ(ed->GetControl(kWoowLed)->GetValue(), 1.0);
  EXPECT_EQ(ed->GetControl(kExciterLed)->GetValue(), 1.0);
  SetParam(plug.get(), kLSWoow, 0);
  EXPECT_EQ(ed->GetControl(kWoowLed)->GetValue(), 0.0);
  SetParam(plug.get(), kLSOnOff, 0);
  SetParam(plug.get(), kLSWoow, 1);
  EXPECT_EQ(ed->GetControl(kWoowLed)->GetValue(), 0.0);
  EXPECT_EQ(ed->GetControl(kExciterLed)->GetValue(), 0.0);

  // every block hands the meter and the clip LED over, an empty one too
  Block quiet(64);
  quiet.Run(plug.get());
  EXPECT_EQ(ed->GetControl(kMeter)->GetValue(), 0.0051264);  // the curve at level 0
  Block loud(64, 1.0, 1.0);
  for (int i = 0; i < 4; ++i) {
    loud.in[0].assign(64, 1.0);
    loud.in[1].assign(64, 1.0);
    loud.Run(plug.get());
  }
  EXPECT_EQ(ed->GetControl(kClipLed)->GetValue(), 1.0);
  ed->GetControl(kClipLed)->SetValueFromPlug(0.0);
  Block empty(0);
  empty.Run(plug.get());
  EXPECT_EQ(ed->GetControl(kClipLed)->GetValue(), 1.0);

  // with the exciter on, the meter rises towards full deflection
  SetParam(plug.get(), kLSOnOff, 1);
  SetParam(plug.get(), kLSDrive, 20.0);
  for (int i = 0; i < 20; ++i) {
    Block b(512, 0.9, -0.9);
    b.Run(plug.get());
  }
  EXPECT_GT(plug->MeterLevel(), 1.56);
  EXPECT_EQ(ed->GetControl(kMeter)->GetValue(), 1.0);
}

TEST(KelvoEditor, MeterValuesShowTheirFramesOfFiftyNine)
{
  auto plug = NewKelvo();
  IGraphicsRaster* ed = Editor(plug.get());
  std::unique_ptr<RAS_IBitmap> vu = LoadImage("vu.png");
  ASSERT_TRUE(vu);
  ASSERT_EQ(vu->getHeight() % 59, 0);
  struct Case
  {
    double value;
    int frame;
  };
  // frame trunc(58 x value + 0.5) + 1; the curve's slight dip below 0 shows the first frame
  for (Case tc : { Case{ 0.0, 1 }, Case{ 0.5, 30 }, Case{ 1.0, 59 }, Case{ 0.0051264, 1 }, Case{ -0.01425, 1 },
                   Case{ 0.74404, 44 } }) {
    ed->SetControlFromPlug(kMeter, tc.value);
    PaintAll(ed);
    EXPECT_EQ(ShownFrame(ed, vu.get(), 59, 664, 24), tc.frame) << tc.value;
  }
  // the whole editor in a lively state, for a look at the artwork in place
  ASSERT_TRUE(plug->RestorePreset("Mix Exiter 1"));
  SetParam(plug.get(), kMidQ, 1);
  ed->SetControlFromPlug(kClipLed, 1.0);
  ed->SetControlFromPlug(kMeter, 0.6);
  PaintAll(ed);
  std::string file = std::string(KELVO_BINARY_DIR) + "/tests/product/kelvo-editor.png";
  EXPECT_TRUE(RAS_WritePNG(file.c_str(), ed->GetDrawBitmap()));
}

TEST(KelvoEditor, CreditsOverlayShowsOnItsTargetAndHidesOnAnyClick)
{
  auto plug = NewKelvo();
  IGraphicsRaster* ed = Editor(plug.get());
  IMouseMod left(true);
  // hidden: the knob under the overlay's area is reached
  EXPECT_EQ(ed->GetMouseControlIdx(190, 67), 1);
  ed->OnMouseDown(700, 240, &left);
  ed->OnMouseUp(700, 240, &left);
  EXPECT_EQ(ed->GetControl(kCredits)->GetValue(), 1.0);
  PaintAll(ed);
  // shown: it is hit first everywhere on its image
  EXPECT_EQ(ed->GetMouseControlIdx(190, 67), kCredits);
  ed->OnMouseDown(190, 67, &left);
  ed->OnMouseUp(190, 67, &left);
  EXPECT_EQ(ed->GetControl(kCredits)->GetValue(), 0.0);
  EXPECT_EQ(plug->GetParam(kBoostLow)->Value(), 0.0);
  PaintAll(ed);
  EXPECT_EQ(ed->GetMouseControlIdx(190, 67), 1);
}

TEST(KelvoEditor, DoubleClickReturnsAKnobToItsValueAtAttach)
{
  auto plug = NewKelvo();
  IGraphicsRaster* ed = Editor(plug.get());
  IMouseMod left(true);
  // "LS Drive" knob at (689, 127): drag it up, then double-click it
  const int x = 689 + 20, y = 127 + 20;
  ed->OnMouseDown(x, y, &left);
  ed->OnMouseDrag(x, y - 40, &left);
  ed->OnMouseUp(x, y - 40, &left);
  ASSERT_GT(plug->GetParam(kLSDrive)->Value(), 4.5);
  ASSERT_GT(plug->Exciter(0).drive(), 4.5);
  ed->OnMouseDblClick(x, y, &left);
  EXPECT_NEAR(plug->GetParam(kLSDrive)->Value(), 4.5, 1e-9);
  EXPECT_NEAR(plug->Exciter(1).drive(), 4.5, 1e-9);
}
