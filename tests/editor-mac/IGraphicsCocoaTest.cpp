#include "IGraphicsCocoa.h"
#include "MacTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// A recording editor's view in a window of its size, as a host embeds it.
class CocoaView : public ::testing::Test
{
protected:
  void SetUp() override
  {
    NSRunLoop::useManualClock(0);
    window = MakeWindow(300, 253);
    view = static_cast<IGraphicsCocoa_v1003_kelvo*>(set.editor->OpenWindow(window->contentView()));
    window->displayIfNeeded();
  }
  void TearDown() override
  {
    window->release();
    NSRunLoop::currentRunLoop()->runOnce(0);
    NSRunLoop::useSystemClock();
  }
  std::vector<RecordingControl::Event>& events() { return set.all->mEvents; }
  void click(double x, double y, NSUInteger flags, NSTimeInterval t, int button = 0)
  {
    window->handleHostMouseButton(button, true, NSMakePoint(x, y), flags, t);
    window->handleHostMouseButton(button, false, NSMakePoint(x, y), flags, t + 0.01);
  }

  NSAutoreleasePool pool;
  RecordingEditorSet set;
  NSWindow* window = nullptr;
  IGraphicsCocoa_v1003_kelvo* view = nullptr;
};
} // namespace

TEST_F(CocoaView, OpensAsFirstResponderOfTheEditorsSizeWithMouseMovedOn)
{
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(set.editor->GetWindow(), view);
  EXPECT_TRUE(set.editor->WindowIsOpen());
  EXPECT_EQ(view->superview(), window->contentView());
  EXPECT_TRUE(NSEqualRects(view->frame(), NSMakeRect(0, 0, 300, 253)));
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_TRUE(window->acceptsMouseMovedEvents());
  EXPECT_TRUE(view->isOpaque());
  EXPECT_TRUE(view->acceptsFirstMouse(nullptr));
  // the superview's count and the running timer's
  EXPECT_EQ(view->retainCount(), 2u);
  ASSERT_NE(view->timer(), nullptr);
  EXPECT_DOUBLE_EQ(view->timer()->timeInterval(), 1.0 / 24);
  // the first draw pass painted the whole editor
  ASSERT_FALSE(set.all->mDrawRects.empty());
  EXPECT_EQ(set.all->mDrawRects.back(), IRECT(0, 0, 300, 253));
}

TEST_F(CocoaView, EventsReachTheEditorAtTruncatedFlippedPoints)
{
  window->handleHostMouseButton(0, true, NSMakePoint(10.7, 250.2), 0, 1.0);
  window->handleHostMouseMotion(NSMakePoint(60.9, 100.5), 0, 1.1);
  window->handleHostMouseButton(0, false, NSMakePoint(299.99, 0.3), 0, 1.2);
  ASSERT_EQ(events().size(), 3u);
  EXPECT_EQ(events()[0].kind, "down");
  EXPECT_EQ(events()[0].x, 10);
  EXPECT_EQ(events()[0].y, 3);
  EXPECT_EQ(events()[1].kind, "drag");
  EXPECT_EQ(events()[1].x, 60);
  EXPECT_EQ(events()[1].y, 153);
  EXPECT_EQ(events()[2].kind, "up");
  EXPECT_EQ(events()[2].x, 299);
  EXPECT_EQ(events()[2].y, 253);
  // the small control on top takes presses inside it: (15, 25) is view point (15, 228)
  click(15.5, 228.5, 0, 3.0);
  ASSERT_EQ(set.small->mEvents.size(), 2u);
  EXPECT_EQ(set.small->mEvents[0].x, 15);
  EXPECT_EQ(set.small->mEvents[0].y, 25);
}

TEST_F(CocoaView, ViewMovedInsideTheWindowStillGivesEditorCoordinates)
{
  NSWindow* big = MakeWindow(400, 300);
  IGraphicsCocoa_v1003_kelvo* moved = static_cast<IGraphicsCocoa_v1003_kelvo*>(set.editor->OpenWindow(big->contentView()));
  moved->setFrameOrigin(NSMakePoint(50, 20));
  big->handleHostMouseButton(0, true, NSMakePoint(60.5, 270.9), 0, 1.0);
  ASSERT_EQ(events().size(), 1u);
  EXPECT_EQ(events()[0].x, 10);
  EXPECT_EQ(events()[0].y, 3);
  big->release();
}

TEST_F(CocoaView, ModifierFlagsMapToButtonsAndKeys)
{
  struct Case
  {
    NSUInteger flags;
    int button;
    bool r, s, c, a;
  };
  const Case cases[] = {
      {0, 0, false, false, false, false},
      {NSCommandKeyMask, 0, true, false, false, false}, // a command-click stands for a right click
      {0, 1, true, false, false, false},                // the right button carries flag 0x8
      {NSShiftKeyMask, 0, false, true, false, false},
      {NSControlKeyMask, 0, false, false, true, false},
      {NSAlternateKeyMask, 0, false, false, false, true},
      {NSShiftKeyMask | NSControlKeyMask | NSAlternateKeyMask | NSAlphaShiftKeyMask, 0, false, true, true, true},
  };
  double t = 10;
  for (const Case& c : cases) {
    events().clear();
    click(100, 100, c.flags, t += 1, c.button);
    ASSERT_EQ(events().size(), 2u);
    for (const RecordingControl::Event& e : events()) {
      EXPECT_TRUE(e.mod.L) << c.flags;
      EXPECT_EQ(e.mod.R, c.r) << c.flags << " " << c.button;
      EXPECT_EQ(e.mod.S, c.s) << c.flags;
      EXPECT_EQ(e.mod.C, c.c) << c.flags;
      EXPECT_EQ(e.mod.A, c.a) << c.flags;
    }
  }
  events().clear();
  click(100, 100, 0, 20, 1);
  ASSERT_EQ(events().size(), 2u);
  EXPECT_TRUE(events()[0].mod.R);
}

TEST_F(CocoaView, SecondPressWithinTheIntervalIsADoubleClick)
{
  click(100, 100, 0, 1.0);
  click(100, 100, 0, 1.2);
  click(100, 100, 0, 3.0);
  std::vector<std::string> kinds;
  for (const RecordingControl::Event& e : events()) kinds.push_back(e.kind);
  EXPECT_EQ(kinds, (std::vector<std::string>{"down", "up", "dbl", "up", "down", "up"}));
}

TEST_F(CocoaView, WheelDeltasAreTruncatedTowardZero)
{
  const double deltas[] = {0.9, -1.5, 2.7, -0.2, 1.0, -3.0};
  double t = 1;
  for (double d : deltas) window->handleHostScroll(NSMakePoint(100.6, 52.2), 0, d, NSShiftKeyMask, t += 0.1);
  std::vector<int> got;
  for (const RecordingControl::Event& e : events()) {
    EXPECT_EQ(e.kind, "wheel");
    EXPECT_EQ(e.x, 100);
    EXPECT_EQ(e.y, 201);
    EXPECT_TRUE(e.mod.S);
    got.push_back(e.d);
  }
  EXPECT_EQ(got, (std::vector<int>{0, -1, 2, 0, 1, -3}));
}

TEST_F(CocoaView, MouseMovesReachTheEditorOnlyWithMouseOverHandling)
{
  window->handleHostMouseMotion(NSMakePoint(40.2, 40.8), 0, 1.0);
  EXPECT_TRUE(events().empty());
  set.editor->HandleMouseOver(true);
  window->handleHostMouseMotion(NSMakePoint(40.2, 40.8), 0, 1.1);
  ASSERT_EQ(events().size(), 1u);
  EXPECT_EQ(events()[0].kind, "over");
  EXPECT_EQ(events()[0].x, 40);
  EXPECT_EQ(events()[0].y, 213);
}

TEST_F(CocoaView, TimerInvalidatesTheDirtyRectangleFlippedAndTheDrawPassRepaintsIt)
{
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  set.small->mDrawRects.clear();
  set.all->mDrawRects.clear();
  // nothing dirty: the timer invalidates nothing
  view->onTimer(view->timer());
  EXPECT_FALSE(view->needsDisplay());
  set.small->SetValueFromPlug(0.5);
  view->onTimer(view->timer());
  EXPECT_TRUE(NSEqualRects(view->invalidRect(), NSMakeRect(10, 213, 20, 20)));
  // a timer that is not the view's own is ignored
  view->setNeedsDisplay(NO);
  NSTimer* other = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(1, nil, NSTimer::Action(), nil, NO);
  view->onTimer(other);
  EXPECT_FALSE(view->needsDisplay());
  // the run loop: one tick, then the draw pass with exactly that rectangle
  NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
  ASSERT_EQ(set.small->mDrawRects.size(), 1u);
  EXPECT_EQ(set.small->mDrawRects[0], IRECT(10, 20, 30, 40));
  ASSERT_EQ(set.all->mDrawRects.size(), 1u);
  EXPECT_EQ(set.all->mDrawRects[0], IRECT(10, 20, 30, 40));
  // repaints settle, each of that rectangle only
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_FALSE(set.small->IsDirty());
  const size_t settled = set.small->mDrawRects.size();
  for (const IRECT& r : set.all->mDrawRects) EXPECT_EQ(r, IRECT(10, 20, 30, 40));
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_EQ(set.small->mDrawRects.size(), settled);
}

TEST_F(CocoaView, RectangleConversionsFollowTheEditorHeight)
{
  IRECT r(10, 20, 30, 40);
  EXPECT_TRUE(NSEqualRects(IGraphicsCocoa_v1003_kelvo::ToViewRect(&r, 253), NSMakeRect(10, 213, 20, 20)));
  EXPECT_EQ(IGraphicsCocoa_v1003_kelvo::ToEditorRect(NSMakeRect(10, 213, 20, 20), 253), r);
  // fractions truncate each part on its own: T = H - (trunc(h) + trunc(y))
  EXPECT_EQ(IGraphicsCocoa_v1003_kelvo::ToEditorRect(NSMakeRect(10.9, 212.5, 20.5, 20.9), 253), IRECT(10, 21, 30, 41));
  EXPECT_EQ(IGraphicsCocoa_v1003_kelvo::ToEditorRect(NSMakeRect(0, 0, 300, 253), 253), IRECT(0, 0, 300, 253));
}

TEST_F(CocoaView, TimerRunsInTheCommonModesAndAtTheEditorsRate)
{
  RecordingEditorSet fast(100, 50, 30);
  NSWindow* w = MakeWindow(100, 50);
  IGraphicsCocoa_v1003_kelvo* v = static_cast<IGraphicsCocoa_v1003_kelvo*>(fast.editor->OpenWindow(w->contentView()));
  EXPECT_DOUBLE_EQ(v->timer()->timeInterval(), 1.0 / 30);
  w->displayIfNeeded();
  fast.small->mDrawRects.clear();
  fast.small->SetValueFromPlug(1.0);
  // while the host tracks the mouse the loop runs in the event-tracking mode
  NSRunLoop::currentRunLoop()->runMode_beforeDate(NSEventTrackingRunLoopMode,
                                                  NSDate::dateWithTimeIntervalSinceNow(1.0 / 30));
  NSRunLoop::currentRunLoop()->runMode_beforeDate(NSEventTrackingRunLoopMode,
                                                  NSDate::dateWithTimeIntervalSinceNow(1.0 / 30));
  EXPECT_FALSE(fast.small->mDrawRects.empty());
  w->release();
}

TEST_F(CocoaView, ReopeningStopsAndDetachesTheFirstView)
{
  NSWindow* second = MakeWindow(300, 253);
  view->retain();
  IGraphicsCocoa_v1003_kelvo* next;
  {
    NSAutoreleasePool inner;
    next = static_cast<IGraphicsCocoa_v1003_kelvo*>(set.editor->OpenWindow(second->contentView()));
  }
  ASSERT_NE(next, view);
  EXPECT_EQ(set.editor->GetWindow(), next);
  EXPECT_EQ(view->graphics(), nullptr);
  EXPECT_EQ(view->timer(), nullptr);
  EXPECT_EQ(view->superview(), nullptr);
  EXPECT_TRUE(window->contentView()->subviews().empty());
  EXPECT_EQ(view->retainCount(), 1u);
  // only the new view's timer runs
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 1u);
  // the old view neither paints nor forwards anything any more
  set.small->mDrawRects.clear();
  view->display();
  view->mouseDown(nullptr);
  EXPECT_TRUE(set.small->mDrawRects.empty());
  view->release();
  second->release();
}

TEST_F(CocoaView, HostRemovingTheViewClosesTheEditorsWindow)
{
  view->retain();
  {
    NSAutoreleasePool inner;
    view->removeFromSuperview();
  }
  EXPECT_EQ(set.editor->GetWindow(), nullptr);
  EXPECT_FALSE(set.editor->WindowIsOpen());
  EXPECT_EQ(view->graphics(), nullptr);
  EXPECT_EQ(view->timer(), nullptr);
  EXPECT_EQ(view->retainCount(), 1u);
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
  view->release();
  // the editor's close after the host's is harmless, and a new view opens
  set.editor->CloseWindow();
  EXPECT_NE(set.editor->OpenWindow(window->contentView()), nullptr);
  EXPECT_TRUE(set.editor->WindowIsOpen());
}

TEST_F(CocoaView, EditorClosingTakesTheViewOutOfItsSuperview)
{
  view->retain();
  {
    NSAutoreleasePool inner;
    set.editor->CloseWindow();
  }
  EXPECT_EQ(set.editor->GetWindow(), nullptr);
  EXPECT_EQ(view->superview(), nullptr);
  EXPECT_EQ(view->graphics(), nullptr);
  EXPECT_EQ(view->timer(), nullptr);
  EXPECT_EQ(view->retainCount(), 1u);
  // events at the old place reach nobody
  click(100, 100, 0, 1.0);
  EXPECT_TRUE(events().empty());
  view->release();
}

TEST_F(CocoaView, ViewWithoutParentIsAutoreleasedForTheHostToEmbed)
{
  NSWindow* host = MakeWindow(300, 253);
  IGraphicsCocoa_v1003_kelvo* loose;
  {
    NSAutoreleasePool inner;
    loose = static_cast<IGraphicsCocoa_v1003_kelvo*>(set.editor->OpenWindow(nullptr));
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->superview(), nullptr);
    host->contentView()->addSubview(loose);
  }
  // the host's count and the timer's
  EXPECT_EQ(loose->retainCount(), 2u);
  EXPECT_EQ(loose->window(), host);
  host->handleHostMouseButton(0, true, NSMakePoint(100, 100), 0, 1.0);
  ASSERT_EQ(events().size(), 1u);
  EXPECT_EQ(events()[0].y, 153);
  host->release();
}

TEST_F(CocoaView, EditorDestroyedWithItsViewOpenLeavesADetachedView)
{
  RecordingEditorSet* shortLived = new RecordingEditorSet;
  IGraphicsCocoa_v1003_kelvo* v =
      static_cast<IGraphicsCocoa_v1003_kelvo*>(shortLived->editor->OpenWindow(window->contentView()));
  v->retain();
  {
    NSAutoreleasePool inner;
    delete shortLived;
  }
  EXPECT_EQ(v->graphics(), nullptr);
  EXPECT_EQ(v->superview(), nullptr);
  window->display();
  NSRunLoop::currentRunLoop()->advanceTime(0.2);
  EXPECT_EQ(v->retainCount(), 1u);
  v->release();
}

TEST_F(CocoaView, ResizeSetsTheViewSize)
{
  set.editor->Resize(200, 100);
  EXPECT_TRUE(NSEqualRects(view->frame(), NSMakeRect(0, 0, 200, 100)));
  EXPECT_EQ(set.plug.mResized.size(), 1u);
  EXPECT_EQ(set.editor->GetDrawBitmap()->getWidth(), 200);
}

TEST(CocoaViewDraw, SurfaceIsCopiedIntoTheWindowAndFollowsParameterChanges)
{
  NSAutoreleasePool pool;
  NSRunLoop::useManualClock(0);
  {
    MacEditorSet set;
    NSWindow* window = MakeWindow(MacEditorSet::kW, MacEditorSet::kH);
    set.editor->OpenWindow(window->contentView());
    window->displayIfNeeded();
    const int h = MacEditorSet::kH;
    EXPECT_EQ(EditorPixelInWindow(window, h, 0, 0), Opaque(kBackgroundColor));
    EXPECT_EQ(EditorPixelInWindow(window, h, 299, 252), Opaque(kBackgroundColor));
    // the knob at gain 0 dB (normalized 0.5) shows frame trunc(0.5 x 19 + 0.5) + 1 = 11
    const int kx = MacEditorSet::kKnobX, ky = MacEditorSet::kKnobY;
    EXPECT_EQ(EditorPixelInWindow(window, h, kx + 1, ky + 1), Opaque(FrameColor(11)));
    EXPECT_EQ(EditorPixelInWindow(window, h, kx + kKnobSize - 1, ky + kKnobSize - 1), Opaque(FrameColor(11)));
    EXPECT_EQ(EditorPixelInWindow(window, h, kx + kKnobSize, ky), Opaque(kBackgroundColor));
    EXPECT_EQ(EditorPixelInWindow(window, h, MacEditorSet::kSwitchX + 2, MacEditorSet::kSwitchY + 2),
              Opaque(FrameColor(1)));
    // the host sets the gain to its top: the next tick repaints the knob
    set.editor->SetParameterFromPlug(kGain, 1.0, true);
    EXPECT_EQ(EditorPixelInWindow(window, h, kx + 1, ky + 1), Opaque(FrameColor(11)));
    NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
    EXPECT_EQ(EditorPixelInWindow(window, h, kx + 1, ky + 1), Opaque(FrameColor(kKnobFrames)));
    // a click on the switch turns it on and paints its second frame
    window->handleHostMouseButton(0, true, NSMakePoint(MacEditorSet::kSwitchX + 5, h - MacEditorSet::kSwitchY - 5), 0,
                                  1.0);
    window->handleHostMouseButton(0, false, NSMakePoint(MacEditorSet::kSwitchX + 5, h - MacEditorSet::kSwitchY - 5),
                                  0, 1.05);
    EXPECT_DOUBLE_EQ(set.plug.Norm(kOnOff), 1.0);
    EXPECT_EQ(set.plug.mBegun, (std::vector<int>{kOnOff}));
    EXPECT_EQ(set.plug.mEnded, (std::vector<int>{kOnOff}));
    NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
    EXPECT_EQ(EditorPixelInWindow(window, h, MacEditorSet::kSwitchX + 2, MacEditorSet::kSwitchY + 2),
              Opaque(FrameColor(2)));
    // outside a paint there is no context to copy into
    IRECT all(0, 0, MacEditorSet::kW, MacEditorSet::kH);
    EXPECT_FALSE(set.editor->DrawScreen(&all));
    window->release();
  }
  NSRunLoop::useSystemClock();
}
