#pragma once

#include "IControl.h"
#include "IEffectBase.h"
#include "IGraphicsRaster.h"
#include "raster.h"
#include "raster_png.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Parameters of the test plug-in.
enum EEditorTestParams
{
  kGain = 0,   // -12 .. 12 dB
  kFreq,       // 20 .. 20000 Hz
  kMode,       // enum of 4
  kOnOff,      // enum of 2
  kCutoff,     // 0 .. 350 Hz, 0 shows "OFF"
  kNumEditorTestParams
};

// A plug-in with a few parameters that records what the editor tells it.
class EditorPlug : public IEffectBase
{
public:
  EditorPlug()
    : IEffectBase(kNumEditorTestParams, "1-1 2-2", 1, "EditorTest", "EditorTest", "Tests", 0x10000, 0x45645473,
                  0x54737473, 0, false, false, false)
  {
    GetParam(kGain)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB");
    GetParam(kFreq)->InitDouble("Freq", 1000.0, 20.0, 20000.0, 1.0, "Hz");
    GetParam(kMode)->InitEnum("Mode", 0, 4);
    GetParam(kOnOff)->InitEnum("On", 0, 2);
    GetParam(kCutoff)->InitDouble("Cutoff", 0.0, 0.0, 350.0, 1.0, "Hz");
    GetParam(kCutoff)->SetDisplayText(0, "OFF");
  }

  void OnParamChange(int paramIdx) override { mParamChanges.push_back(paramIdx); }
  void BeginInformHostOfParamChange(int idx) override { mBegun.push_back(idx); }
  void InformHostOfParamChange(int idx, double normalized) override { mInformed.push_back({idx, normalized}); }
  void EndInformHostOfParamChange(int idx) override { mEnded.push_back(idx); }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* numerator, int* denominator) override { *numerator = *denominator = 4; }
  void ResizeGraphics(int w, int h) override { mResized.push_back({w, h}); }
  void HostSpecificInit() override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  bool SendMidiMsgs(BASE_TypedBuf<IMidiMsg>*) override { return false; }

  double Norm(int idx) const { return GetParam(idx)->GetNormalized(); }

  std::vector<int> mParamChanges, mBegun, mEnded;
  std::vector<std::pair<int, double>> mInformed;
  std::vector<std::pair<int, int>> mResized;
};

// The colour of frame k (from 1) of the test strips: every frame a solid, distinct colour.
inline IColor FrameColor(int k)
{
  return IColor(255, (k * 37) & 255, (k * 91 + 40) & 255, (k * 53 + 7) & 255);
}

// A w x h bitmap of one colour.
inline RAS_IBitmap* MakeSolid(int w, int h, IColor c)
{
  RAS_MemBitmap* bitmap = new RAS_MemBitmap(w, h, 4);
  RAS_FillRect(bitmap, 0, 0, w, h, IGraphicsRaster::PackColor(&c), 1.0f, 0);
  return bitmap;
}

// A strip of n frames of w x frameH pixels, frame k filled with FrameColor(k).
inline RAS_IBitmap* MakeStrip(int w, int frameH, int n)
{
  RAS_IBitmap* bitmap = MakeSolid(w, frameH * n, FrameColor(1));
  for (int k = 2; k <= n; ++k) {
    IColor c = FrameColor(k);
    RAS_FillRect(bitmap, 0, (k - 1) * frameH, w, frameH, IGraphicsRaster::PackColor(&c), 1.0f, 0);
  }
  return bitmap;
}

// The editor as the platform layer would drive it, minus the platform: images come from
// makers registered per resource ID or, failing that, from PNG files in a folder; text is
// recorded instead of drawn; the screen copy is counted.
class TestEditor : public IGraphicsRaster
{
public:
  typedef std::function<RAS_IBitmap*()> ImageMaker;

  TestEditor(IEffectBase* plug, int w, int h) : IGraphicsRaster(plug, w, h, 0) {}

  static inline std::map<int, ImageMaker> sImages;  // shared by every editor, as the bundle's resources are
  static inline std::string sImageFolder;           // where images without a maker are looked for, by name
  static inline std::map<int, int> sLoads;          // OSLoadBitmap calls per ID over every editor

  RAS_IBitmap* OSLoadBitmap(int ID, const char* name) override
  {
    static std::mutex loadsMutex;  // editors of several threads may load at once
    {
      std::lock_guard<std::mutex> lock(loadsMutex);
      ++sLoads[ID];
    }
    auto maker = sImages.find(ID);
    if (maker != sImages.end()) {
      return maker->second();
    }
    return name && !sImageFolder.empty() ? RAS_LoadPNG((sImageFolder + "/" + name).c_str(), nullptr) : nullptr;
  }

  bool DrawScreen(IRECT* pR) override { return mScreenRects.push_back(*pR), true; }
  // Records the source position of every bitmap copy.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend) override
  {
    mBitmapSources.push_back({srcX, srcY});
    return IGraphicsRaster::DrawBitmap(pBitmap, pDest, srcX, srcY, pBlend);
  }
  using IGraphicsRaster::DrawBitmap;
  bool DrawIText(IText*, const char* str, IRECT* pR) override { return mTexts.push_back({str, *pR}), true; }

  void PromptUserInput(IControl* pControl, IParam* pParam) override { mPrompts.push_back({pControl, pParam}); }
  void HostPath(BASE_String* pPath) override { pPath->Set("/host"); }
  void PluginPath(BASE_String* pPath) override { pPath->Set("/plugin"); }
  void PromptForFile(BASE_String* pFilename, EFileAction action, const char* dir, const char* extensions) override
  {
    mFilePrompts.push_back({action, std::string(dir ? dir : "") + "|" + (extensions ? extensions : "")});
    pFilename->Set(mNextFile.c_str());
  }
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url, const char* windowTitle, const char*, const char*) override
  {
    mOpenedURLs.push_back({url, windowTitle ? windowTitle : ""});
    return mURLsThatOpen.count(url) != 0;
  }
  void* OpenWindow(void* pParentView) override { return mWindow = pParentView; }
  using IGraphics::OpenWindow;
  void CloseWindow() override { mWindow = nullptr; }
  void* GetWindow() override { return mWindow; }

  using IGraphics::SetDrawRECT;

  // Repaints the whole editor as the platform's first paint after opening does.
  bool PaintAll()
  {
    IRECT all(0, 0, Width(), Height());
    return Draw(&all);
  }
  // One timer pass: the dirty rectangle, then the paint of it. True when anything was dirty.
  bool TimerPass()
  {
    IRECT r;
    return IsDirty(&r) && (Draw(&r), true);
  }
  // Timer passes until nothing is dirty, as the platform's repaint timer does.
  void Settle()
  {
    while (TimerPass()) {
    }
  }

  IColor Pixel(int x, int y) { return GetPoint(x, y); }
  // Checks each pixel {x, y, colour} of the list.
  void ExpectPixels(std::initializer_list<std::tuple<int, int, IColor>> pixels)
  {
    for (const auto& p : pixels) {
      EXPECT_EQ(Pixel(std::get<0>(p), std::get<1>(p)), std::get<2>(p)) << std::get<0>(p) << "," << std::get<1>(p);
    }
  }

  std::vector<IRECT> mScreenRects;
  std::vector<std::pair<int, int>> mBitmapSources;
  std::vector<std::pair<std::string, IRECT>> mTexts;
  std::vector<std::pair<IControl*, IParam*>> mPrompts;
  std::vector<std::pair<EFileAction, std::string>> mFilePrompts;
  std::vector<std::pair<std::string, std::string>> mOpenedURLs;
  std::map<std::string, int> mURLsThatOpen;
  std::string mNextFile = "chosen.wav";
  void* mWindow = nullptr;
};

// A control that logs its paints (id, value, draw rectangle) and the events it receives.
class ProbeControl : public IControl
{
public:
  ProbeControl(IEffectBase* plug, IRECT r, int paramIdx, int id, std::vector<int>* drawLog)
    : IControl(plug, r, paramIdx), mId(id), mDrawLog(drawLog) {}

  bool Draw(IGraphics* pGraphics) override
  {
    if (mDrawLog) {
      mDrawLog->push_back(mId);
    }
    mDrawnValues.push_back(GetValue());
    mDrawRects.push_back(*pGraphics->GetDrawRECT());
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override
  {
    Log("down", x, y);
    IControl::OnMouseDown(x, y, pMod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Log("up", x, y); }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*) override
  {
    Log("drag", x, y);
    mEvents.back() += " by " + std::to_string(dX) + "," + std::to_string(dY);
  }
  bool OnKeyDown(int, int, int key) override
  {
    mEvents.push_back("key " + std::to_string(key));
    return mKeyResult;
  }
  void OnMouseOver(int, int, IMouseMod*) override { mEvents.push_back("over"); }
  void OnMouseOut() override { mEvents.push_back("out"); }

  int mId;
  std::vector<int>* mDrawLog;
  std::vector<double> mDrawnValues;
  std::vector<IRECT> mDrawRects;
  std::vector<std::string> mEvents;
  bool mKeyResult = true;

private:
  void Log(const char* what, int x, int y)
  {
    mEvents.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y));
  }
};

// Registers an image maker under a fresh resource ID and returns the ID. The bitmap cache
// lives as long as the test program, so every test takes IDs of its own.
inline int RegisterImage(TestEditor::ImageMaker maker)
{
  static int nextID = 1000;
  TestEditor::sImages[nextID] = std::move(maker);
  return nextID++;
}
inline int RegisterStrip(int w, int frameH, int n)
{
  return RegisterImage([w, frameH, n]() { return MakeStrip(w, frameH, n); });
}
inline int RegisterSolid(int w, int h, IColor c)
{
  return RegisterImage([w, h, c]() { return MakeSolid(w, h, c); });
}
