// The editor: control list and positions, the indicators fed by parameters and processing,
// the meter's frames, the credits overlay and knob defaults.

#include "KelvoTestSupport.h"

#include "IControl.h"
#include "IGraphicsRaster.h"
#include "raster.h"
#include "raster_png.h"

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

// Whether a control is of the class its letter names: Bitmap, Knob, Radio buttons, Fader,
// Caption, Switch, Overlay; anything else is not checked.
bool IsKind(IControl* c, char kind)
{
  switch (kind) {
    case 'B': return dynamic_cast<IBitmapControl*>(c) && c->GetBlend()->mMethod == kBlendReplace;
    case 'K': return dynamic_cast<IKnobMultiControl*>(c);
    case 'R': return dynamic_cast<IRadioButtonsControl*>(c);
    case 'F': return dynamic_cast<IFaderControl*>(c);
    case 'C': return dynamic_cast<ICaptionControl*>(c);
    case 'S': return dynamic_cast<ISwitchControl*>(c);
    case 'O': return dynamic_cast<IBitmapOverlayControl*>(c);
    default: return true;
  }
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
    char kind;
  };
  const Row rows[28] = {
    { 0, 0, -1, 'B' },           { 158, 35, kBoostLow, 'K' },  { 257, 35, kAttenLow, 'K' },
    { 537, 35, kHiGain, 'K' },   { 397, 35, kMidGain, 'K' },   { 689, 127, kLSDrive, 'K' },
    { 26, 18, kInputGain, 'K' }, { 26, 161, kOutputGain, 'K' }, { 187, 145, kLowFreq, 'R' },
    { 516, 145, kHiFreq, 'R' },  { 365, 158, kMidFreq, 'F' },  { 171, 219, kHighPass, 'K' },
    { 558, 219, kLowPass, 'K' }, { 134, 232, kHighPass, 'C' }, { 592, 232, kLowPass, 'C' },
    { 405, 139, kMidFreq, 'C' }, { 377, 232, kMidQ, 'S' },     { 719, 201, kLSOnOff, 'S' },
    { 719, 91, kLSWoow, 'S' },   { 409, 228, -1, '-' },        { 45, 116, -1, '-' },
    { 747, 88, -1, '-' },        { 747, 197, -1, '-' },        { 409, 228, -1, '-' },
    { 747, 88, -1, '-' },        { 747, 197, -1, '-' },        { 664, 24, -1, '-' },
    { 1, 1, -1, 'O' },
  };
  for (int i = 0; i < 28; ++i) {
    SCOPED_TRACE(i);
    IControl* c = ed->GetControl(i);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetRECT()->L, rows[i].x);
    EXPECT_EQ(c->GetRECT()->T, rows[i].y);
    EXPECT_EQ(c->ParamIdx(), rows[i].param);
    EXPECT_TRUE(IsKind(c, rows[i].kind)) << rows[i].kind;
    if (i > 0) {
      // the controls fit the editor
      EXPECT_LE(c->GetRECT()->R, 802);
      EXPECT_LE(c->GetRECT()->B, 253);
    }
  }
  for (int i : { 8, 9 }) {
    auto* radio = static_cast<IRadioButtonsControl*>(ed->GetControl(i));
    EXPECT_EQ(radio->NButtons(), 4);
    // four buttons side by side without gaps
    const IRECT* first = radio->GetButtonRECT(0);
    const IRECT* last = radio->GetButtonRECT(3);
    int w = first->R - first->L;
    EXPECT_EQ(last->L, first->L + 3 * w);
    EXPECT_EQ(radio->GetRECT()->R, radio->GetRECT()->L + 4 * w);
    EXPECT_EQ(first->T, last->T);
  }
  EXPECT_EQ(ed->GetControl(10)->GetRECT()->R, 365 + 131);
  EXPECT_EQ(*ed->GetControl(13)->GetRECT(), IRECT(134, 232, 168, 248));
  EXPECT_EQ(*ed->GetControl(14)->GetRECT(), IRECT(592, 232, 635, 248));
  EXPECT_EQ(*ed->GetControl(15)->GetRECT(), IRECT(405, 139, 457, 155));
  EXPECT_EQ(*ed->GetControl(kCredits)->GetTargetRECT(), IRECT(661, 225, 780, 250));

  // no two controls cover each other, except each LED and its glass
  for (int a = 1; a <= 26; ++a) {
    for (int b = a + 1; b <= 26; ++b) {
      bool glass = (a == kMidQLed && b == 23) || (a == kWoowLed && b == 24) || (a == kExciterLed && b == 25);
      if (glass) {
        EXPECT_EQ(*ed->GetControl(a)->GetRECT(), *ed->GetControl(b)->GetRECT());
      } else {
        EXPECT_TRUE(ed->GetControl(a)->GetRECT()->Intersect(ed->GetControl(b)->GetRECT()).Empty()) << a << ", " << b;
      }
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
  // the Woow LED needs both switches on, whichever changed last
  struct Step
  {
    int param, value, midQ, woow, exciter;
  };
  const Step steps[] = { { kMidQ, 1, 1, 0, 0 },    { kMidQ, 0, 0, 0, 0 },    { kLSWoow, 1, 0, 0, 0 },
                         { kLSOnOff, 1, 0, 1, 1 }, { kLSWoow, 0, 0, 0, 1 },  { kLSOnOff, 0, 0, 0, 0 },
                         { kLSWoow, 1, 0, 0, 0 } };
  for (const Step& st : steps) {
    SetParam(plug.get(), st.param, st.value);
    SCOPED_TRACE(testing::Message() << "param " << st.param << " = " << st.value);
    EXPECT_EQ(ed->GetControl(kMidQLed)->GetValue(), st.midQ);
    EXPECT_EQ(ed->GetControl(kWoowLed)->GetValue(), st.woow);
    EXPECT_EQ(ed->GetControl(kExciterLed)->GetValue(), st.exciter);
  }

  // every block hands the meter and the clip LED over, an empty one too
  Block quiet(64);
  quiet.Run(plug.get());
  EXPECT_EQ(ed->GetControl(kMeter)->GetValue(), 0.0051264);  // the curve at level 0
  for (int i = 0; i < 4; ++i) {
    Block(64, 1.0, 1.0).Run(plug.get());
  }
  EXPECT_EQ(ed->GetControl(kClipLed)->GetValue(), 1.0);
  ed->GetControl(kClipLed)->SetValueFromPlug(0.0);
  Block(0).Run(plug.get());
  EXPECT_EQ(ed->GetControl(kClipLed)->GetValue(), 1.0);

  // with the exciter on, the meter rises towards full deflection
  SetParam(plug.get(), kLSOnOff, 1);
  SetParam(plug.get(), kLSDrive, 20.0);
  for (int i = 0; i < 20; ++i) {
    Block(512, 0.9, -0.9).Run(plug.get());
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
