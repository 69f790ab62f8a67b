#pragma once

#include "EditorTestSupport.h"
#include "IEffectAU.h"
#include "IGraphicsMac.h"

#include <AppKit/AppKit.h>

#include <cstdint>
#include <string>

// The test bundle: its identifier, its Cocoa view factory's class name, its resource IDs.
extern const char* const kTestBundleID;
extern const char* const kTestViewFactory;
enum ETestImages
{
  kBackgroundID = 2001,
  kKnobID,
  kSwitchID,
  kHandleID
};
const int kKnobFrames = 20, kKnobSize = 40;
const IColor kBackgroundColor(255, 40, 60, 80);

// Writes the bundle's images (once per process) and makes it known to the platform by path.
void PrepareTestBundle();

// The test plug-in with its Mac editor (300 x 253): background, a knob on kGain, a switch
// on kOnOff, a horizontal fader on kFreq and a caption of kCutoff, attached to the plug-in.
struct MacEditorSet
{
  static constexpr int kW = 300, kH = 253;
  static constexpr int kKnobX = 20, kKnobY = 30, kSwitchX = 100, kSwitchY = 40, kFaderX = 150, kFaderY = 200;
  static IText CaptionText();
  MacEditorSet();
  EditorPlug plug;
  IGraphicsMac* editor = nullptr;
};

// A window whose content is exactly w x h, shown (off-screen without a display).
NSWindow* MakeWindow(int w, int h, int x = 100, int y = 100);
// The backing pixel at content point (x, y) from the top left, as 0xAARRGGBB.
uint32_t WindowPixel(NSWindow* window, int x, int y);
// 0xAARRGGBB of an editor colour, alpha forced opaque as a window shows it.
inline uint32_t Opaque(IColor c)
{
  return 0xFF000000u | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | uint32_t(c.B);
}

// Current heap bytes in use (the allocator's count, or the sanitizer's under it).
size_t HeapBytesInUse();

// A control that records the mouse events it receives and the rectangles it draws.
class RecordingControl : public IControl
{
public:
  RecordingControl(IEffectBase* plug, IRECT r) : IControl(plug, r, -1) {}
  bool Draw(IGraphics* pGraphics) override
  {
    mDrawRects.push_back(*pGraphics->GetDrawRECT());
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override { Record("down", x, y, pMod); }
  void OnMouseUp(int x, int y, IMouseMod* pMod) override { Record("up", x, y, pMod); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* pMod) override { Record("drag", x, y, pMod); }
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override { Record("dbl", x, y, pMod); }
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override { Record("wheel", x, y, pMod, d); }
  void OnMouseOver(int x, int y, IMouseMod* pMod) override { Record("over", x, y, pMod); }

  // Each event as "kind x,y mods" (the letters of LRSCA that are set), a wheel's delta last.
  std::vector<std::string> mEvents;
  std::vector<IRECT> mDrawRects;

private:
  void Record(const char* kind, int x, int y, IMouseMod* m, int d = 0);
};

// An editor covered by one recording control and a second one at (10, 20, 30, 40) on top.
struct RecordingEditorSet
{
  RecordingEditorSet(int w = 300, int h = 253, int fps = 0);
  EditorPlug plug;
  IGraphicsMac* editor = nullptr;
  RecordingControl* all = nullptr;
  RecordingControl* small = nullptr;
};

// An Audio Unit plug-in whose recording editor (300 x 253) knows the test bundle, as a
// product's does; MakePlug of the test programs makes one.
class MacTestAU : public IEffectAU
{
public:
  explicit MacTestAU(bool withEditor = true);
  IGraphicsMac* editor = nullptr;
  RecordingControl* all = nullptr;
};
