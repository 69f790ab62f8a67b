#include "IGraphicsCarbon.h"
#include "MacTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// Host windows of the Carbon view component, off-screen.
class CarbonHost : public ::testing::Test
{
protected:
  void SetUp() override { NSRunLoop::useManualClock(0); }
  void TearDown() override
  {
    if (window) {
      DisposeWindow(window);
    }
    NSRunLoop::currentRunLoop()->runOnce(0);
    NSRunLoop::useSystemClock();
  }
  // A window whose content is w x h at screen (100, 50).
  void makeWindow(WindowAttributes attributes, int w, int h)
  {
    Rect bounds = {50, 100, static_cast<short>(50 + h), static_cast<short>(100 + w)};
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, attributes, &bounds, &window), noErr);
    ShowWindow(window);
  }
  NSWindow* cocoa() { return HIWindowGetCocoaWindow(window); }
  // The backing pixel at content point (x, y) from the top left, as 0xAARRGGBB.
  uint32_t pixel(int x, int y) { return WindowPixel(cocoa(), x, static_cast<int>(cocoa()->contentSize().height) - 1 - y); }
  // Raw input at content point (x, y) from the top left.
  void press(int x, int y, NSUInteger flags, NSTimeInterval t, bool down = true)
  {
    cocoa()->handleHostMouseButton(0, down, NSMakePoint(x + 0.5, cocoa()->contentSize().height - y - 0.5), flags, t);
  }

  NSAutoreleasePool pool;
  WindowRef window = nullptr;
};

const int kH = MacEditorSet::kH;
} // namespace

TEST_F(CarbonHost, CompositingWindowGetsAUserPaneThatShowsTheEditorAndRepaintsEveryOtherTick)
{
  MacEditorSet set;
  makeWindow(kWindowCompositingAttribute, MacEditorSet::kW, kH);
  ControlRef pane = static_cast<ControlRef>(set.editor->OpenWindow(window, nullptr));
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(set.editor->WindowIsOpen());
  EXPECT_EQ(set.editor->GetWindow(), nullptr);
  ASSERT_NE(set.editor->GetCarbon(), nullptr);
  EXPECT_TRUE(set.editor->GetCarbon()->IsCompositing());
  EXPECT_EQ(GetControlFeatures(pane), 0x12000026u);
  EXPECT_EQ(GetControlOwner(pane), window);
  HIViewRef content = nullptr;
  HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
  EXPECT_EQ(HIViewGetSuperview(pane), content);
  Rect bounds;
  GetControlBounds(pane, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, MacEditorSet::kW);
  EXPECT_EQ(bounds.bottom - bounds.top, kH);

  NSRunLoop::currentRunLoop()->advanceTime(0);
  EXPECT_EQ(pixel(0, 0), Opaque(kBackgroundColor));
  EXPECT_EQ(pixel(MacEditorSet::kW - 1, kH - 1), Opaque(kBackgroundColor));
  const int kx = MacEditorSet::kKnobX, ky = MacEditorSet::kKnobY;
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(11)));
  EXPECT_EQ(pixel(kx + kKnobSize - 1, ky + kKnobSize - 1), Opaque(FrameColor(11)));

  // the timer fires at once and then every 2/24 s
  set.editor->SetParameterFromPlug(kGain, 0.0, true);
  NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(11)));
  NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(1)));
}

TEST_F(CarbonHost, NonCompositingWindowDrawsTheEditorAtTheControlsPlaceThroughThePort)
{
  // fault once found: in a window taller than the editor the surface landed at the bottom
  MacEditorSet set;
  // taller than the editor: the port runs from the window's bottom, the editor sits at the top
  makeWindow(kWindowNoAttributes, 340, 300);
  ControlRef pane = static_cast<ControlRef>(set.editor->OpenWindow(window, nullptr));
  ASSERT_NE(pane, nullptr);
  EXPECT_FALSE(set.editor->GetCarbon()->IsCompositing());
  EXPECT_EQ(GetControlFeatures(pane), 38u);
  ControlRef root = nullptr;
  ASSERT_EQ(GetRootControl(window, &root), noErr);
  EXPECT_EQ(HIViewGetSuperview(pane), root);

  UpdateControls(window, nullptr);
  EXPECT_EQ(pixel(0, 0), Opaque(kBackgroundColor));
  EXPECT_EQ(pixel(MacEditorSet::kW - 1, kH - 1), Opaque(kBackgroundColor));
  EXPECT_EQ(pixel(5, kH + 10), 0xFFEDEDEDu);
  EXPECT_EQ(pixel(MacEditorSet::kW + 10, 5), 0xFFEDEDEDu);
  const int kx = MacEditorSet::kKnobX, ky = MacEditorSet::kKnobY;
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(11)));

  // the timer redraws the dirty knob at its place in the window
  NSRunLoop::currentRunLoop()->advanceTime(0);
  set.editor->SetParameterFromPlug(kGain, 1.0, true);
  NSRunLoop::currentRunLoop()->advanceTime(2.0 / 24);
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(kKnobFrames)));
  EXPECT_EQ(pixel(kx + kKnobSize - 1, ky + kKnobSize - 1), Opaque(FrameColor(kKnobFrames)));
  Rect region;
  GetRegionBounds(set.editor->GetCarbon()->GetClipRegion(), &region);
  EXPECT_EQ(region.left, kx);
  EXPECT_EQ(region.top, ky);
}

TEST_F(CarbonHost, MouseEventsReachTheEditorInControlCoordinatesWithCarbonModifiers)
{
  RecordingEditorSet set;
  makeWindow(kWindowCompositingAttribute, 400, 300);
  // a parent pane at (40, 30) in the window: the editor's control sits inside it
  Rect parentBounds = {30, 40, 290, 390};
  ControlRef parent = nullptr;
  ASSERT_EQ(CreateUserPaneControl(window, &parentBounds, 0, &parent), noErr);
  HIViewRef content = nullptr;
  HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &content);
  EmbedControl(parent, content);
  ControlRef pane = static_cast<ControlRef>(set.editor->OpenWindow(window, parent));
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(HIViewGetSuperview(pane), parent);

  std::vector<RecordingControl::Event>& events = set.all->mEvents;
  press(40 + 100, 30 + 50, NSCommandKeyMask | NSShiftKeyMask, 1.0);
  cocoa()->handleHostMouseMotion(NSMakePoint(40 + 120.7, 300 - (30 + 60.2)), 0, 1.1);
  press(40 + 120, 30 + 60, NSAlternateKeyMask | NSControlKeyMask, 1.2, false);
  press(40 + 120, 30 + 60, 0, 1.3);
  press(40 + 120, 30 + 60, 0, 1.35, false);
  press(40 + 120, 30 + 60, 0, 1.4);
  press(40 + 120, 30 + 60, 0, 1.45, false);
  cocoa()->handleHostScroll(NSMakePoint(40 + 100, 300 - (30 + 50)), 0, -2, 0, 1.6);
  cocoa()->handleHostScroll(NSMakePoint(40 + 100, 300 - (30 + 50)), 3, 0, 0, 1.7);
  std::vector<std::string> kinds;
  for (const RecordingControl::Event& e : events) kinds.push_back(e.kind);
  EXPECT_EQ(kinds, (std::vector<std::string>{"down", "drag", "up", "down", "up", "dbl", "up", "wheel"}));
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EQ(events[0].x, 100);
  EXPECT_EQ(events[0].y, 50);
  EXPECT_TRUE(events[0].mod.L);
  EXPECT_TRUE(events[0].mod.R);
  EXPECT_TRUE(events[0].mod.S);
  EXPECT_FALSE(events[0].mod.C);
  EXPECT_FALSE(events[0].mod.A);
  EXPECT_EQ(events[1].x, 120);
  EXPECT_EQ(events[1].y, 60);
  EXPECT_FALSE(events[2].mod.R);
  EXPECT_TRUE(events[2].mod.C);
  EXPECT_TRUE(events[2].mod.A);
  EXPECT_EQ(events[7].d, -2);

  // outside the control the events stay the host's
  events.clear();
  press(10, 10, 0, 3.0);
  press(10, 10, 0, 3.1, false);
  EXPECT_TRUE(events.empty());
}

TEST_F(CarbonHost, ClosingRemovesHandlersAndTimerAndReopeningWorks)
{
  RecordingEditorSet set;
  makeWindow(kWindowCompositingAttribute, 300, 253);
  ControlRef first = static_cast<ControlRef>(set.editor->OpenWindow(window, nullptr));
  ASSERT_NE(first, nullptr);
  NSRunLoop::currentRunLoop()->advanceTime(0.2);
  set.editor->CloseWindow();
  EXPECT_FALSE(set.editor->WindowIsOpen());
  EXPECT_EQ(set.editor->GetCarbon(), nullptr);
  // no handler hears the mouse, no timer asks the editor
  press(100, 100, 0, 1.0);
  press(100, 100, 0, 1.1, false);
  EXPECT_TRUE(set.all->mEvents.empty());
  set.small->SetValueFromPlug(0.7);
  set.small->mDrawRects.clear();
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_TRUE(set.small->IsDirty());

  // a Cocoa view replaces a Carbon host and the other way round
  NSWindow* ns = MakeWindow(300, 253);
  set.editor->OpenWindow(ns->contentView());
  EXPECT_NE(set.editor->GetWindow(), nullptr);
  ControlRef second = static_cast<ControlRef>(set.editor->OpenWindow(window, nullptr));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(set.editor->GetWindow(), nullptr);
  EXPECT_TRUE(ns->contentView()->subviews().empty());
  press(100, 100, 0, 2.0);
  EXPECT_EQ(set.all->mEvents.size(), 1u);
  ns->release();
}

TEST_F(CarbonHost, HostDisposingTheWindowFirstLeavesNothingToTouch)
{
  // fault once found: the timer kept drawing into a control the host had disposed of
  RecordingEditorSet set;
  makeWindow(kWindowCompositingAttribute, 300, 253);
  ASSERT_NE(set.editor->OpenWindow(window, nullptr), nullptr);
  NSRunLoop::currentRunLoop()->advanceTime(0.1);
  DisposeWindow(window);
  window = nullptr;
  set.small->SetValueFromPlug(0.3);
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
  set.editor->CloseWindow();
  EXPECT_FALSE(set.editor->WindowIsOpen());
}

TEST_F(CarbonHost, WindowWithoutRootControlGetsOneAndABadWindowIsRefused)
{
  RecordingEditorSet set;
  EXPECT_EQ(set.editor->OpenWindow(nullptr, nullptr), nullptr);
  EXPECT_FALSE(set.editor->WindowIsOpen());
  makeWindow(kWindowNoAttributes, 300, 253);
  ControlRef root = nullptr;
  EXPECT_NE(GetRootControl(window, &root), noErr);
  ControlRef pane = static_cast<ControlRef>(set.editor->OpenWindow(window, nullptr));
  ASSERT_NE(pane, nullptr);
  ASSERT_EQ(GetRootControl(window, &root), noErr);
  EXPECT_EQ(HIViewGetSuperview(pane), root);
}

TEST_F(CarbonHost, ResizeGrowsTheWindowContentAndTheControl)
{
  RecordingEditorSet set;
  makeWindow(kWindowCompositingAttribute, 300, 253);
  ControlRef pane = static_cast<ControlRef>(set.editor->OpenWindow(window, nullptr));
  set.editor->Resize(350, 280);
  Rect content;
  GetWindowBounds(window, kWindowContentRgn, &content);
  EXPECT_EQ(content.left, 100);
  EXPECT_EQ(content.top, 50);
  EXPECT_EQ(content.right, 450);
  EXPECT_EQ(content.bottom, 330);
  HIRect frame;
  HIViewGetFrame(pane, &frame);
  EXPECT_TRUE(CGRectEqualToRect(frame, CGRectMake(0, 0, 350, 280)));
}
