#include "IGraphicsCarbon.h"
#include "MacTestSupport.h"

#include <gtest/gtest.h>

namespace
{
const int kW = MacEditorSet::kW, kH = MacEditorSet::kH;
const int kx = MacEditorSet::kKnobX, ky = MacEditorSet::kKnobY;

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
  // A window whose content is w x h at screen (100, 50), and the editor's control in it.
  ControlRef open(IGraphicsMac* editor, WindowAttributes attributes, int w = kW, int h = kH)
  {
    Rect bounds = {50, 100, static_cast<short>(50 + h), static_cast<short>(100 + w)};
    EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, attributes, &bounds, &window), noErr);
    ShowWindow(window);
    return editor ? static_cast<ControlRef>(editor->OpenWindow(window, nullptr)) : nullptr;
  }
  NSWindow* cocoa() { return HIWindowGetCocoaWindow(window); }
  uint32_t pixel(int x, int y) { return WindowPixel(cocoa(), x, y); }
  // Raw input at content point (x, y) from the top left.
  void press(int x, int y, NSUInteger flags, NSTimeInterval t, bool down = true)
  {
    cocoa()->handleHostMouseButton(0, down, NSMakePoint(x + 0.5, cocoa()->contentSize().height - y - 0.5), flags, t);
  }
  HIViewRef content()
  {
    HIViewRef view = nullptr;
    HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &view);
    return view;
  }

  NSAutoreleasePool pool;
  WindowRef window = nullptr;
};
} // namespace

TEST_F(CarbonHost, CompositingWindowGetsAUserPaneThatShowsTheEditorRepaintsEveryOtherTickAndResizes)
{
  MacEditorSet set;
  ControlRef pane = open(set.editor, kWindowCompositingAttribute);
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(set.editor->WindowIsOpen());
  EXPECT_EQ(set.editor->GetWindow(), nullptr);
  ASSERT_NE(set.editor->GetCarbon(), nullptr);
  EXPECT_TRUE(set.editor->GetCarbon()->IsCompositing());
  EXPECT_EQ(GetControlFeatures(pane), 0x12000026u);
  EXPECT_EQ(GetControlOwner(pane), window);
  EXPECT_EQ(HIViewGetSuperview(pane), content());
  Rect bounds;
  GetControlBounds(pane, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, kW);
  EXPECT_EQ(bounds.bottom - bounds.top, kH);

  NSRunLoop::currentRunLoop()->advanceTime(0);
  EXPECT_EQ(pixel(0, 0), Opaque(kBackgroundColor));
  EXPECT_EQ(pixel(kW - 1, kH - 1), Opaque(kBackgroundColor));
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(11)));
  EXPECT_EQ(pixel(kx + kKnobSize - 1, ky + kKnobSize - 1), Opaque(FrameColor(11)));
  // the timer fires at once and then every 2/24 s
  set.editor->SetParameterFromPlug(kGain, 0.0, true);
  NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(11)));
  NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
  EXPECT_EQ(pixel(kx + 1, ky + 1), Opaque(FrameColor(1)));
  // a resize grows the window's content and the control
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

TEST_F(CarbonHost, NonCompositingWindowGetsARootAndDrawsTheEditorAtTheControlsPlaceThroughThePort)
{
  // fault once found: in a window taller than the editor the surface landed at the bottom
  MacEditorSet set;
  EXPECT_EQ(set.editor->OpenWindow(nullptr, nullptr), nullptr);
  EXPECT_FALSE(set.editor->WindowIsOpen());
  // a window without root control gets one
  open(nullptr, kWindowNoAttributes, 340, 300);
  ControlRef root = nullptr;
  EXPECT_NE(GetRootControl(window, &root), noErr);
  ControlRef pane = static_cast<ControlRef>(set.editor->OpenWindow(window, nullptr));
  ASSERT_NE(pane, nullptr);
  EXPECT_FALSE(set.editor->GetCarbon()->IsCompositing());
  EXPECT_EQ(GetControlFeatures(pane), 38u);
  ASSERT_EQ(GetRootControl(window, &root), noErr);
  EXPECT_EQ(HIViewGetSuperview(pane), root);

  UpdateControls(window, nullptr);
  EXPECT_EQ(pixel(0, 0), Opaque(kBackgroundColor));
  EXPECT_EQ(pixel(kW - 1, kH - 1), Opaque(kBackgroundColor));
  EXPECT_EQ(pixel(5, kH + 10), 0xFFEDEDEDu);
  EXPECT_EQ(pixel(kW + 10, 5), 0xFFEDEDEDu);
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
  open(nullptr, kWindowCompositingAttribute, 400, 300);
  // a parent pane at (40, 30) in the window: the editor's control sits inside it
  Rect parentBounds = {30, 40, 290, 390};
  ControlRef parent = nullptr;
  ASSERT_EQ(CreateUserPaneControl(window, &parentBounds, 0, &parent), noErr);
  EmbedControl(parent, content());
  ControlRef pane = static_cast<ControlRef>(set.editor->OpenWindow(window, parent));
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(HIViewGetSuperview(pane), parent);

  press(40 + 100, 30 + 50, NSCommandKeyMask | NSShiftKeyMask, 1.0);
  cocoa()->handleHostMouseMotion(NSMakePoint(40 + 120.7, 300 - (30 + 60.2)), 0, 1.1);
  press(40 + 120, 30 + 60, NSAlternateKeyMask | NSControlKeyMask, 1.2, false);
  for (double t : {1.3, 1.4}) {
    press(40 + 120, 30 + 60, 0, t);
    press(40 + 120, 30 + 60, 0, t + 0.05, false);
  }
  cocoa()->handleHostScroll(NSMakePoint(40 + 100, 300 - (30 + 50)), 0, -2, 0, 1.6);
  // a horizontal wheel is not the editor's
  cocoa()->handleHostScroll(NSMakePoint(40 + 100, 300 - (30 + 50)), 3, 0, 0, 1.7);
  EXPECT_EQ(set.all->mEvents, (std::vector<std::string>{"down 100,50 LRS", "drag 120,60 L", "up 120,60 LCA",
                                                        "down 120,60 L", "up 120,60 L", "dbl 120,60 L", "up 120,60 L",
                                                        "wheel 100,50 L -2"}));
  // outside the control the events stay the host's
  set.all->mEvents.clear();
  press(10, 10, 0, 3.0);
  press(10, 10, 0, 3.1, false);
  EXPECT_TRUE(set.all->mEvents.empty());
}

TEST_F(CarbonHost, ClosingRemovesHandlersAndTimerAndReopeningWorks)
{
  RecordingEditorSet set;
  ASSERT_NE(open(set.editor, kWindowCompositingAttribute), nullptr);
  NSRunLoop::currentRunLoop()->advanceTime(0.2);
  set.editor->CloseWindow();
  EXPECT_FALSE(set.editor->WindowIsOpen());
  EXPECT_EQ(set.editor->GetCarbon(), nullptr);
  // no handler hears the mouse, no timer asks the editor
  press(100, 100, 0, 1.0);
  press(100, 100, 0, 1.1, false);
  EXPECT_TRUE(set.all->mEvents.empty());
  set.small->SetValueFromPlug(0.7);
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_TRUE(set.small->IsDirty());
  // a Cocoa view replaces a Carbon host and the other way round
  NSWindow* ns = MakeWindow(300, 253);
  set.editor->OpenWindow(ns->contentView());
  EXPECT_NE(set.editor->GetWindow(), nullptr);
  ASSERT_NE(set.editor->OpenWindow(window, nullptr), nullptr);
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
  ASSERT_NE(open(set.editor, kWindowCompositingAttribute), nullptr);
  NSRunLoop::currentRunLoop()->advanceTime(0.1);
  DisposeWindow(window);
  window = nullptr;
  set.small->SetValueFromPlug(0.3);
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
  set.editor->CloseWindow();
  EXPECT_FALSE(set.editor->WindowIsOpen());
}
