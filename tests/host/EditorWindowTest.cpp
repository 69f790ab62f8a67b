// The editor window: a unit of this program whose Cocoa view info names a view factory
// class registered here, shown without a display, and on a virtual X server of the
// test's own (Xvfb) until the time runs out.

#include "EditorWindow.h"

#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>

#include <gtest/gtest.h>

#include "VirtualServer.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const OSType kShownSubtype = 0x48566577;    // 'HVew': its factory class is registered
const OSType kMissingSubtype = 0x484D7376;  // 'HMsv': it names a class nobody registered
const OSType kTestManufacturer = 0x4B6C7654;

int gViewsMade = 0;
int gDraws = 0;
int gViewsFreed = 0;

class PaintedView : public NSView
{
public:
  ~PaintedView() override { ++gViewsFreed; }
  BOOL isOpaque() override { return YES; }
  void drawRect(NSRect rect) override
  {
    ++gDraws;
    CGContextRef c = NSGraphicsContext::currentContext()->CGContext();
    CGContextSetRGBFillColor(c, 0, 0.5, 1, 1);
    CGContextFillRect(c, rect);
  }
};

class PaintedViewFactory : public AUCocoaUIBase
{
public:
  unsigned interfaceVersion() override { return 0; }
  NSView* uiViewForAudioUnit_withSize(AudioUnit, NSSize) override
  {
    ++gViewsMade;
    NSView* view = (new PaintedView)->initWithFrame(NSMakeRect(0, 0, 240, 120));
    view->autorelease();
    return view;
  }
};

NSClassRegistration<PaintedViewFactory> sFactory("HostTest_PaintedView");

// An audio unit that answers nothing but its Cocoa view info.
ComponentResult ViewUnit(ComponentParameters* params, const char* className)
{
  switch (params->what) {
    case kComponentOpenSelect:
    case kComponentCloseSelect:
      return noErr;
    case kAudioUnitGetPropertyInfoSelect:
    case kAudioUnitGetPropertySelect: {
      // (id, scope, element, data or size, size or writable), last argument first
      if (params->params[4] != kAudioUnitProperty_CocoaUI) return kAudioUnitErr_InvalidProperty;
      if (params->what == kAudioUnitGetPropertyInfoSelect) {
        *reinterpret_cast<UInt32*>(params->params[1]) = sizeof(AudioUnitCocoaViewInfo);
        return noErr;
      }
      AudioUnitCocoaViewInfo* info = reinterpret_cast<AudioUnitCocoaViewInfo*>(params->params[1]);
      info->mCocoaAUViewBundleLocation = nullptr;
      info->mCocoaAUViewClass[0] = CFStringCreateWithCString(nullptr, className, kCFStringEncodingUTF8);
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}

ComponentResult ShownEntry(ComponentParameters* params, Handle)
{
  return ViewUnit(params, "HostTest_PaintedView");
}

ComponentResult MissingEntry(ComponentParameters* params, Handle)
{
  return ViewUnit(params, "HostTest_NoSuchView");
}

// Opens the unit of that subtype, registering it on first use.
void OpenViewUnit(OSType subtype, HostUnit* unit)
{
  ComponentListing listing;
  if (!FindAudioUnit(kAudioUnitType_Effect, subtype, kTestManufacturer, &listing)) {
    ComponentDescription cd = { kAudioUnitType_Effect, subtype, kTestManufacturer, 0, 0 };
    RegisterComponent(&cd, subtype == kShownSubtype ? &ShownEntry : &MissingEntry, "Host test view unit");
    ASSERT_TRUE(FindAudioUnit(kAudioUnitType_Effect, subtype, kTestManufacturer, &listing));
  }
  std::string error;
  ASSERT_TRUE(unit->Open(listing, &error)) << error;
}


}  // namespace

TEST(EditorWindow, UnitWithoutAViewOrWithoutItsFactoryClassHasNoCocoaView)
{
  HostUnit missing;
  OpenViewUnit(kMissingSubtype, &missing);
  std::string message;
  EXPECT_EQ(ShowEditorWindow(missing, "missing", 0.1, &message), EditorResult::kNoCocoaView);
  EXPECT_EQ(message, "the unit has no Cocoa view: its view factory class \"HostTest_NoSuchView\" is not available");

  // the test effect of the adapter's suites has no editor at all
  ComponentListing effect;
  ASSERT_TRUE(FindAudioUnit(kAudioUnitType_Effect, 0x54736678, 0, &effect));
  HostUnit unit;
  std::string error;
  ASSERT_TRUE(unit.Open(effect, &error)) << error;
  EXPECT_EQ(ShowEditorWindow(unit, "effect", 0.1, &message), EditorResult::kNoCocoaView);
  EXPECT_EQ(message, "the unit has no Cocoa view");
}

TEST(EditorWindow, WithoutADisplayTheEditorIsRefusedBeforeAViewIsMade)
{
  HostUnit unit;
  OpenViewUnit(kShownSubtype, &unit);
  unsetenv("DISPLAY");
  EXPECT_FALSE(HasDisplay());
  const int made = gViewsMade;
  std::string message;
  EXPECT_EQ(ShowEditorWindow(unit, "no display", 0.1, &message), EditorResult::kNoDisplay);
  EXPECT_EQ(message, "no display: set DISPLAY to show the editor");
  EXPECT_EQ(gViewsMade, made);
}

TEST(EditorWindow, OnADisplayTheViewIsShownDrawnAndReleasedWhenTheTimeIsUp)
{
  VirtualServer server;
  if (server.display().empty()) GTEST_SKIP() << "Xvfb is not installed";
  setenv("DISPLAY", server.display().c_str(), 1);
  HostUnit unit;
  OpenViewUnit(kShownSubtype, &unit);
  const int made = gViewsMade, draws = gDraws, freed = gViewsFreed;
  std::string message;
  EXPECT_EQ(ShowEditorWindow(unit, "Host test", 0.3, &message), EditorResult::kClosed);
  EXPECT_EQ(message, "the editor window was closed");
  EXPECT_EQ(gViewsMade, made + 1);
  EXPECT_GT(gDraws, draws);
  EXPECT_EQ(gViewsFreed, freed + 1);
  unsetenv("DISPLAY");
}
