#pragma once

#include "EditorTestSupport.h"
#include "IGraphicsMac.h"

#include <AppKit/AppKit.h>

#include <cstdint>
#include <string>

// The identifier of the test bundle and its folder in the build tree.
extern const char* const kTestBundleID;
std::string TestBundleResources();

// Resource IDs and names of the test editor's images (names as the layout writes them).
enum ETestImages
{
  kBackgroundID = 2001,
  kKnobID,
  kSwitchID,
  kHandleID
};
const int kKnobFrames = 20;
const int kKnobSize = 40;
const int kSwitchW = 30, kSwitchFrameH = 20;
const IColor kBackgroundColor(255, 40, 60, 80);

// Writes the test images into the bundle's resources (once per process) and makes the
// bundle known to the platform by its folder, as a host's loading of it would.
void PrepareTestBundle();

// A JPEG of w x h pixels of one colour; false when it cannot be written.
bool WriteSolidJPEG(const std::string& path, int w, int h, int r, int g, int b);

// The test plug-in with its Mac editor (300 x 253): background, a knob on kGain, a switch
// on kOnOff, a horizontal fader on kFreq and a caption of kCutoff, attached to the plug-in.
struct MacEditorSet
{
  static constexpr int kW = 300, kH = 253;
  enum
  {
    kBackgroundIdx = 0,
    kKnobIdx,
    kSwitchIdx,
    kFaderIdx,
    kCaptionIdx
  };
  // Where the controls sit (top-left corners, editor coordinates).
  static constexpr int kKnobX = 20, kKnobY = 30;
  static constexpr int kSwitchX = 100, kSwitchY = 40;
  static constexpr int kFaderX = 150, kFaderY = 200, kFaderLen = 120;
  static IRECT CaptionRect() { return IRECT(20, 100, 140, 120); }
  static IText CaptionText();

  MacEditorSet();
  EditorPlug plug;
  IGraphicsMac* editor = nullptr;
};

// A window whose content is exactly w x h, shown (off-screen without a display).
NSWindow* MakeWindow(int w, int h, int x = 100, int y = 100);

// The backing pixel at window point (x, y), bottom-left, as 0xAARRGGBB.
uint32_t WindowPixel(NSWindow* window, int x, int y);
// The same for editor point (x, y) of an editor of height h whose view fills the
// window's content from its bottom-left corner.
inline uint32_t EditorPixelInWindow(NSWindow* window, int h, int x, int y)
{
  return WindowPixel(window, x, h - 1 - y);
}
// 0xAARRGGBB of an editor colour, alpha forced opaque as a window shows it.
inline uint32_t Opaque(IColor c)
{
  return 0xFF000000u | uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | uint32_t(c.B);
}

// Current heap bytes in use (the allocator's count, or the sanitizer's under it).
size_t HeapBytesInUse();

// A control that records the mouse events it receives, with their modifiers.
class RecordingControl : public IControl
{
public:
  struct Event
  {
    std::string kind;
    int x, y;
    IMouseMod mod;
    int d;
  };
  RecordingControl(IEffectBase* plug, IRECT r) : IControl(plug, r, -1) {}

  bool Draw(IGraphics* pGraphics) override
  {
    mDrawRects.push_back(*pGraphics->GetDrawRECT());
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override { mEvents.push_back({"down", x, y, *pMod, 0}); }
  void OnMouseUp(int x, int y, IMouseMod* pMod) override { mEvents.push_back({"up", x, y, *pMod, 0}); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* pMod) override { mEvents.push_back({"drag", x, y, *pMod, 0}); }
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override { mEvents.push_back({"dbl", x, y, *pMod, 0}); }
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override { mEvents.push_back({"wheel", x, y, *pMod, d}); }
  void OnMouseOver(int x, int y, IMouseMod* pMod) override { mEvents.push_back({"over", x, y, *pMod, 0}); }

  std::vector<Event> mEvents;
  std::vector<IRECT> mDrawRects;
};

// An editor of the given size covered by one recording control (index 0), and a second,
// smaller one at (10, 20, 30, 40) (index 1), attached to its plug-in.
struct RecordingEditorSet
{
  RecordingEditorSet(int w = 300, int h = 253, int fps = 0);
  EditorPlug plug;
  IGraphicsMac* editor = nullptr;
  RecordingControl* all = nullptr;
  RecordingControl* small = nullptr;
};

#include "IEffectAU.h"

// The class name of the test bundle's Cocoa view factory.
extern const char* const kTestViewFactory;

// An Audio Unit plug-in with a recording editor (300 x 253) made as a product makes its
// own: an IGraphicsMac with the bundle identifier of its instance info. MakePlug of the
// test programs makes one.
class MacTestAU : public IEffectAU
{
public:
  explicit MacTestAU(bool withEditor = true);
  IGraphicsMac* editor = nullptr;
  RecordingControl* all = nullptr;
};
