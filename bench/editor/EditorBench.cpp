// Repaint cost of an editor laid out like the product's: 802 x 253 pixels, a background and
// about thirty bitmap controls, images built in memory.

#include "IControl.h"
#include "IEffectBase.h"
#include "IGraphicsRaster.h"
#include "raster.h"

#include <benchmark/benchmark.h>

#include <map>

namespace
{
class BenchPlug : public IEffectBase
{
public:
  BenchPlug()
    : IEffectBase(15, "1-1 2-2", 1, "Bench", "Bench", "Bench", 0x10000, 0x42656e63, 0x42656e63, 0, false, false,
                  false)
  {
    for (int i = 0; i < NParams(); ++i) {
      GetParam(i)->InitDouble("p", 0.5, 0.0, 1.0, 0.01, "");
    }
  }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* n, int* d) override { *n = *d = 4; }
  void ResizeGraphics(int, int) override {}
  void HostSpecificInit() override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  bool SendMidiMsgs(BASE_TypedBuf<IMidiMsg>*) override { return false; }
};

// A strip of n frames, each w x h, opaque inside an ellipse-ish disc and transparent
// around it, so that copies honour alpha as the real artwork does.
RAS_IBitmap* MakeStrip(int w, int h, int n, bool opaque)
{
  RAS_MemBitmap* b = new RAS_MemBitmap(w, h * n, 4);
  for (int y = 0; y < h * n; ++y) {
    for (int x = 0; x < w; ++x) {
      int fy = y % h;
      int dx = 2 * x - w, dy = 2 * fy - h;
      bool inside = opaque || dx * dx + dy * dy < w * h;
      b->getBits()[y * b->getRowSpan() + x] = inside ? RAS_RGBA(x * 3, fy * 5, y / h * 2, 255) : 0u;
    }
  }
  return b;
}

class BenchEditor : public IGraphicsRaster
{
public:
  explicit BenchEditor(IEffectBase* plug) : IGraphicsRaster(plug, 802, 253, 0) {}

  RAS_IBitmap* OSLoadBitmap(int ID, const char*) override
  {
    switch (ID) {
    case 101: return MakeStrip(802, 253, 1, true);
    case 102: return MakeStrip(70, 70, 102, false);
    case 103: return MakeStrip(40, 40, 101, false);
    case 104: return MakeStrip(24, 34, 2, false);
    case 105: return MakeStrip(26, 14, 1, true);
    case 106: return MakeStrip(16, 16, 2, false);
    case 107: return MakeStrip(16, 16, 1, false);
    case 108: return MakeStrip(14, 14, 2, false);
    case 109: return MakeStrip(120, 64, 59, true);
    default: return MakeStrip(780, 250, 1, true);
    }
  }
  bool DrawScreen(IRECT*) override { return true; }
  bool DrawIText(IText*, const char*, IRECT*) override { return true; }
  void PromptUserInput(IControl*, IParam*) override {}
  void HostPath(BASE_String*) override {}
  void PluginPath(BASE_String*) override {}
  void PromptForFile(BASE_String*, EFileAction, const char*, const char*) override {}
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char*, const char*, const char*, const char*) override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  using IGraphics::OpenWindow;
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
};

struct BenchSetup
{
  BenchPlug plug;
  BenchEditor* ed;
  int knobIdx;

  BenchSetup() : ed(new BenchEditor(&plug))
  {
    ed->AttachBackground(101, "img/background.png");
    IBitmap big = ed->LoadIBitmap(102, "img/big_knob.png", 102);
    const int knobs[7][2] = {{158, 35}, {257, 35}, {537, 35}, {397, 35}, {689, 127}, {26, 18}, {26, 161}};
    for (int i = 0; i < 7; ++i) {
      int idx = ed->AttachControl(new IKnobMultiControl(&plug, knobs[i][0], knobs[i][1], 1 + i, &big));
      if (i == 3) {
        knobIdx = idx;
      }
    }
    IBitmap freqLed = ed->LoadIBitmap(108, "img/freq_led.png", 2);
    IRECT low(187, 145, 187 + 4 * 14, 159), high(516, 145, 516 + 4 * 14, 159);
    ed->AttachControl(new IRadioButtonsControl(&plug, &low, 0, 4, &freqLed, kHorizontal));
    ed->AttachControl(new IRadioButtonsControl(&plug, &high, 8, 4, &freqLed, kHorizontal));
    IBitmap slider = ed->LoadIBitmap(105, "img/h_slider.png", 1);
    ed->AttachControl(new IFaderControl(&plug, 365, 158, 131, 9, &slider, kHorizontal));
    IBitmap small = ed->LoadIBitmap(103, "img/small_knob.png", 101);
    ed->AttachControl(new IKnobMultiControl(&plug, 171, 200, 13, &small));
    ed->AttachControl(new IKnobMultiControl(&plug, 558, 200, 14, &small));
    IText caption(13);
    IRECT c1(134, 232, 168, 248), c2(592, 232, 635, 248), c3(405, 139, 457, 155);
    ed->AttachControl(new ICaptionControl(&plug, &c1, 13, &caption, true));
    ed->AttachControl(new ICaptionControl(&plug, &c2, 14, &caption, true));
    ed->AttachControl(new ICaptionControl(&plug, &c3, 9, &caption, true));
    IBitmap sw = ed->LoadIBitmap(104, "img/switch.png", 2);
    ed->AttachControl(new ISwitchControl(&plug, 377, 215, 10, &sw));
    ed->AttachControl(new ISwitchControl(&plug, 719, 201, 11, &sw));
    ed->AttachControl(new ISwitchControl(&plug, 719, 91, 12, &sw));
    IBitmap led = ed->LoadIBitmap(106, "img/led.png", 2);
    const int leds[4][2] = {{409, 228}, {45, 116}, {747, 88}, {747, 197}};
    for (const auto& p : leds) {
      ed->AttachControl(new IBitmapControl(&plug, p[0], p[1], &led));
    }
    IBitmap glass = ed->LoadIBitmap(107, "img/led_alpha.png", 1);
    for (int i : {0, 2, 3}) {
      ed->AttachControl(new IBitmapControl(&plug, leds[i][0], leds[i][1], &glass));
    }
    IBitmap vu = ed->LoadIBitmap(109, "img/vu.png", 59);
    ed->AttachControl(new IBitmapControl(&plug, 664, 24, &vu));
    IBitmap credits = ed->LoadIBitmap(110, "img/credits.png", 1);
    IRECT area(661, 225, 780, 250);
    ed->AttachControl(new IBitmapOverlayControl(&plug, 1, 1, &credits, &area));
    plug.AttachGraphics(ed);
  }
};

// Everything dirty, one strict paint of the whole editor (what a window's first paint costs).
void BM_FullRepaint(benchmark::State& state)
{
  BenchSetup s;
  IRECT all(0, 0, 802, 253);
  for (auto _ : state) {
    s.ed->SetAllControlsDirty();
    s.ed->Draw(&all);
    benchmark::DoNotOptimize(s.ed->GetData());
  }
  state.counters["controls"] = s.ed->GetNControls();
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

// One timer pass with a single knob dirty: its rectangle, what overlaps it, the screen copy.
void BM_SingleKnobRepaint(benchmark::State& state)
{
  BenchSetup s;
  IRECT all(0, 0, 802, 253);
  s.ed->Draw(&all);
  s.ed->Draw(&all);
  IControl* knob = s.ed->GetControl(s.knobIdx);
  double v = 0.0;
  for (auto _ : state) {
    v = v > 0.9 ? 0.0 : v + 0.05;
    s.ed->SetParameterFromGUI(knob->ParamIdx(), v);
    knob->SetClean();
    knob->SetDirty(false);
    IRECT r;
    s.ed->IsDirty(&r);
    s.ed->Draw(&r);
    benchmark::DoNotOptimize(s.ed->GetData());
  }
}
BENCHMARK(BM_SingleKnobRepaint)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
