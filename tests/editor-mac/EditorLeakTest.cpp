#include "IEffectAU_ViewFactory.h"
#include "MacTestSupport.h"

#include <AudioUnit/AUCocoaUIView.h>
#include <Carbon/Carbon.h>
#include <CoreServices/Components.h>

#include <functional>
#include <gtest/gtest.h>

KELVO_DECLARE_VIEW_FACTORY(Leak_Test_View);

namespace
{
// Heap growth over 100 runs of a cycle, after 10 runs to reach a steady state. A leaked
// view, timer or text attribute costs well over 100 bytes per run.
const long kAllowedGrowth = 2048;

long GrowthOver100(const std::function<void(int)>& cycle)
{
  for (int i = 0; i < 10; ++i) cycle(i);
  size_t before = HeapBytesInUse();
  for (int i = 0; i < 100; ++i) cycle(i);
  return static_cast<long>(HeapBytesInUse()) - static_cast<long>(before);
}

class Lifecycle : public ::testing::Test
{
protected:
  void SetUp() override { NSRunLoop::useManualClock(0); }
  void TearDown() override { NSRunLoop::useSystemClock(); }
};

ComponentResult LeakUnitEntry(ComponentParameters*, Handle)
{
  return noErr;
}
} // namespace

TEST_F(Lifecycle, OpeningAndClosingACocoaViewAHundredTimesLeavesNothingBehind)
{
  MacEditorSet set;
  NSWindow* window = MakeWindow(MacEditorSet::kW, MacEditorSet::kH);
  long growth = GrowthOver100([&](int i) {
    NSAutoreleasePool pool;
    set.editor->OpenWindow(window->contentView());
    set.editor->SetParameterFromPlug(kGain, (i % 10) / 10.0, true);
    NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
    ASSERT_EQ(window->contentView()->subviews().size(), 1u);
    // every other time the host removes the view, otherwise the editor closes it
    if (i % 2) {
      window->contentView()->subviews()[0]->removeFromSuperview();
    } else {
      set.editor->CloseWindow();
    }
    EXPECT_TRUE(window->contentView()->subviews().empty());
    EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
    EXPECT_FALSE(set.editor->WindowIsOpen());
  });
  EXPECT_LT(growth, kAllowedGrowth);
  window->release();
}

TEST_F(Lifecycle, ReopeningWithoutClosingAHundredTimesLeavesOneView)
{
  MacEditorSet set;
  NSWindow* window = MakeWindow(MacEditorSet::kW, MacEditorSet::kH);
  long growth = GrowthOver100([&](int) {
    NSAutoreleasePool pool;
    set.editor->OpenWindow(window->contentView());
    NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
    EXPECT_EQ(window->contentView()->subviews().size(), 1u);
    EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 1u);
  });
  EXPECT_LT(growth, kAllowedGrowth);
  set.editor->CloseWindow();
  window->release();
}

TEST_F(Lifecycle, ViewsFromTheFactoryAHundredTimesLeaveNothingBehind)
{
  MacTestAU plug;
  ComponentDescription cd = {0x61756678 /* 'aufx' */, 0x4C6B5456, 0x54737473, 0, 0};
  Component component = RegisterComponent(&cd, &LeakUnitEntry, "Tests: leak");
  ComponentInstance unit = nullptr;
  ASSERT_EQ(OpenAComponent(component, &unit), noErr);
  SetComponentInstanceStorage(unit, reinterpret_cast<Handle>(static_cast<IEffectAU*>(&plug)));
  NSWindow* window = MakeWindow(MacEditorSet::kW, MacEditorSet::kH);
  long growth = GrowthOver100([&](int) {
    NSAutoreleasePool pool;
    AUCocoaUIBase* f = AUCocoaUIBaseCreate(NSClassFromString(CFSTR("Leak_Test_View")));
    ASSERT_NE(f, nullptr);
    NSView* view = f->uiViewForAudioUnit_withSize(reinterpret_cast<AudioUnit>(unit), NSMakeSize(0, 0));
    ASSERT_NE(view, nullptr);
    window->contentView()->addSubview(view);
    f->release();
    NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
    view->removeFromSuperview();
    // what the recording control keeps is the test's, not the view's
    plug.all->mDrawRects.clear();
  });
  EXPECT_LT(growth, kAllowedGrowth);
  EXPECT_FALSE(plug.editor->WindowIsOpen());
  window->release();
  CloseComponent(unit);
  UnregisterComponent(component);
}

TEST_F(Lifecycle, CarbonHostsAHundredTimesLeaveNothingBehind)
{
  MacEditorSet set;
  long growth = GrowthOver100([&](int i) {
    NSAutoreleasePool pool;
    Rect bounds = {50, 100, 50 + MacEditorSet::kH, 100 + MacEditorSet::kW};
    WindowRef window = nullptr;
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, i % 2 ? kWindowCompositingAttribute : kWindowNoAttributes,
                              &bounds, &window),
              noErr);
    ShowWindow(window);
    ASSERT_NE(set.editor->OpenWindow(window, nullptr), nullptr);
    set.editor->SetParameterFromPlug(kGain, (i % 10) / 10.0, true);
    NSRunLoop::currentRunLoop()->advanceTime(2.0 / 24);
    // the host closes the view component, then disposes of its window
    set.editor->CloseWindow();
    DisposeWindow(window);
    EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
  });
  EXPECT_LT(growth, kAllowedGrowth);
}
