#include "IGraphicsCocoa.h"
#include "MacTestSupport.h"

#include <gtest/gtest.h>

typedef IGraphicsCocoa_v1003_kelvo View;
typedef std::vector<std::string> Events;

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
    view = static_cast<View*>(set.editor->OpenWindow(window->contentView()));
    window->displayIfNeeded();
  }
  void TearDown() override
  {
    window->release();
    NSRunLoop::currentRunLoop()->runOnce(0);
    NSRunLoop::useSystemClock();
  }
  void click(double x, double y, NSUInteger flags, NSTimeInterval t, int button = 0)
  {
    window->handleHostMouseButton(button, true, NSMakePoint(x, y), flags, t);
    window->handleHostMouseButton(button, false, NSMakePoint(x, y), flags, t + 0.01);
  }
  // A view the editor has let go of: no editor, no timer, only the test's count.
  static void ExpectDetached(View* v)
  {
    EXPECT_EQ(v->graphics(), nullptr);
    EXPECT_EQ(v->timer(), nullptr);
    EXPECT_EQ(v->superview(), nullptr);
    EXPECT_EQ(v->retainCount(), 1u);
  }

  NSAutoreleasePool pool;
  RecordingEditorSet set;
  NSWindow* window = nullptr;
  View* view = nullptr;
};
} // namespace

TEST_F(CocoaView, OpensAsFirstResponderOfTheEditorsSizeWithMouseMovedOnAndResizes)
{
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(set.editor->GetWindow(), view);
  EXPECT_TRUE(set.editor->WindowIsOpen());
  EXPECT_EQ(view->superview(), window->contentView());
  EXPECT_TRUE(NSEqualRects(view->frame(), NSMakeRect(0, 0, 300, 253)));
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_TRUE(window->acceptsMouseMovedEvents());
  // the superview's count and the running timer's
  EXPECT_EQ(view->retainCount(), 2u);
  ASSERT_NE(view->timer(), nullptr);
  EXPECT_DOUBLE_EQ(view->timer()->timeInterval(), 1.0 / 24);
  // the first draw pass painted the whole editor
  ASSERT_FALSE(set.all->mDrawRects.empty());
  EXPECT_EQ(set.all->mDrawRects.back(), IRECT(0, 0, 300, 253));
  // the editor's resize sets the view's size
  set.editor->Resize(200, 100);
  EXPECT_TRUE(NSEqualRects(view->frame(), NSMakeRect(0, 0, 200, 100)));
  EXPECT_EQ(set.plug.mResized.size(), 1u);
  EXPECT_EQ(set.editor->GetDrawBitmap()->getWidth(), 200);
}

TEST_F(CocoaView, EventsReachTheEditorAtTruncatedFlippedPoints)
{
  window->handleHostMouseButton(0, true, NSMakePoint(10.7, 250.2), 0, 1.0);
  window->handleHostMouseMotion(NSMakePoint(60.9, 100.5), 0, 1.1);
  window->handleHostMouseButton(0, false, NSMakePoint(299.99, 0.3), 0, 1.2);
  // a second press within the interval is a double click
  click(100, 100, 0, 2.0);
  click(100, 100, 0, 2.2);
  click(100, 100, 0, 4.0);
  EXPECT_EQ(set.all->mEvents, (Events{"down 10,3 L", "drag 60,153 L", "up 299,253 L", "down 100,153 L", "up 100,153 L",
                                      "dbl 100,153 L", "up 100,153 L", "down 100,153 L", "up 100,153 L"}));
  // wheel deltas truncate toward zero
  set.all->mEvents.clear();
  double t = 5;
  for (double d : {0.9, -1.5, 2.7, -0.2})
    window->handleHostScroll(NSMakePoint(100.6, 52.2), 0, d, NSShiftKeyMask, t += 0.1);
  EXPECT_EQ(set.all->mEvents,
            (Events{"wheel 100,201 LS 0", "wheel 100,201 LS -1", "wheel 100,201 LS 2", "wheel 100,201 LS 0"}));
  // mouse moves only with mouse-over handling
  set.all->mEvents.clear();
  window->handleHostMouseMotion(NSMakePoint(40.2, 40.8), 0, 6.0);
  EXPECT_TRUE(set.all->mEvents.empty());
  set.editor->HandleMouseOver(true);
  window->handleHostMouseMotion(NSMakePoint(40.2, 40.8), 0, 6.1);
  EXPECT_EQ(set.all->mEvents, (Events{"over 40,213 L"}));
  // the small control on top takes presses inside it: (15, 25) is view point (15, 228)
  click(15.5, 228.5, 0, 7.0);
  EXPECT_EQ(set.small->mEvents, (Events{"down 15,25 L", "up 15,25 L"}));
  // a view moved inside its window still gives editor coordinates
  NSWindow* big = MakeWindow(400, 300);
  static_cast<View*>(set.editor->OpenWindow(big->contentView()))->setFrameOrigin(NSMakePoint(50, 20));
  set.all->mEvents.clear();
  big->handleHostMouseButton(0, true, NSMakePoint(60.5, 270.9), 0, 8.0);
  EXPECT_EQ(set.all->mEvents, (Events{"down 10,3 L"}));
  big->release();
}

TEST_F(CocoaView, ModifierFlagsMapToButtonsAndKeys)
{
  const struct
  {
    NSUInteger flags;
    int button;
    const char* mods;
  } cases[] = {
      {0, 0, "L"},
      {NSCommandKeyMask, 0, "LR"}, // a command-click stands for a right click
      {0, 1, "LR"},                // the right button carries flag 0x8
      {NSShiftKeyMask, 0, "LS"},
      {NSControlKeyMask, 0, "LC"},
      {NSAlternateKeyMask, 0, "LA"},
      {NSShiftKeyMask | NSControlKeyMask | NSAlternateKeyMask | NSAlphaShiftKeyMask, 0, "LSCA"},
  };
  double t = 10;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mods);
    set.all->mEvents.clear();
    click(100, 100, c.flags, t += 1, c.button);
    EXPECT_EQ(set.all->mEvents, (Events{"down 100,153 " + std::string(c.mods), "up 100,153 " + std::string(c.mods)}));
  }
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
  EXPECT_EQ(set.small->mDrawRects, (std::vector<IRECT>{IRECT(10, 20, 30, 40)}));
  EXPECT_EQ(set.all->mDrawRects, (std::vector<IRECT>{IRECT(10, 20, 30, 40)}));
  // repaints settle, each of that rectangle only
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_FALSE(set.small->IsDirty());
  const size_t settled = set.small->mDrawRects.size();
  for (const IRECT& r : set.all->mDrawRects) EXPECT_EQ(r, IRECT(10, 20, 30, 40));
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_EQ(set.small->mDrawRects.size(), settled);
}

TEST(CocoaViewRects, FractionsTruncateEachPartOnItsOwn)
{
  // T = H - (trunc(h) + trunc(y)); whole rectangles are checked by the draw passes
  EXPECT_EQ(View::ToEditorRect(NSMakeRect(10.9, 212.5, 20.5, 20.9), 253), IRECT(10, 21, 30, 41));
}

TEST_F(CocoaView, TimerRunsInTheCommonModesAndAtTheEditorsRate)
{
  RecordingEditorSet fast(100, 50, 30);
  NSWindow* w = MakeWindow(100, 50);
  View* v = static_cast<View*>(fast.editor->OpenWindow(w->contentView()));
  EXPECT_DOUBLE_EQ(v->timer()->timeInterval(), 1.0 / 30);
  w->displayIfNeeded();
  fast.small->mDrawRects.clear();
  fast.small->SetValueFromPlug(1.0);
  // while the host tracks the mouse the loop runs in the event-tracking mode
  for (int i = 0; i < 2; ++i)
    NSRunLoop::currentRunLoop()->runMode_beforeDate(NSEventTrackingRunLoopMode,
                                                    NSDate::dateWithTimeIntervalSinceNow(1.0 / 30));
  EXPECT_FALSE(fast.small->mDrawRects.empty());
  w->release();
}

TEST_F(CocoaView, HostRemovalReopeningAndEditorCloseEachDetachTheView)
{
  // the host removes the view: the editor's window is closed
  view->retain();
  {
    NSAutoreleasePool inner;
    view->removeFromSuperview();
  }
  EXPECT_EQ(set.editor->GetWindow(), nullptr);
  EXPECT_FALSE(set.editor->WindowIsOpen());
  ExpectDetached(view);
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
  view->release();
  // the editor's close after the host's is harmless; a view without parent is autoreleased
  // for the host to embed
  set.editor->CloseWindow();
  {
    NSAutoreleasePool inner;
    view = static_cast<View*>(set.editor->OpenWindow(nullptr));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->superview(), nullptr);
    window->contentView()->addSubview(view);
  }
  EXPECT_TRUE(set.editor->WindowIsOpen());
  // the host's count and the timer's
  EXPECT_EQ(view->retainCount(), 2u);
  EXPECT_EQ(view->window(), window);
  click(100, 100, 0, 1.0);
  EXPECT_EQ(set.all->mEvents, (Events{"down 100,153 L", "up 100,153 L"}));

  // reopening elsewhere stops and detaches the first view; only the new one's timer runs
  NSWindow* second = MakeWindow(300, 253);
  view->retain();
  View* next;
  {
    NSAutoreleasePool inner;
    next = static_cast<View*>(set.editor->OpenWindow(second->contentView()));
  }
  ASSERT_NE(next, view);
  EXPECT_EQ(set.editor->GetWindow(), next);
  ExpectDetached(view);
  EXPECT_TRUE(window->contentView()->subviews().empty());
  EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 1u);
  // the old view neither paints nor forwards anything any more
  set.all->mEvents.clear();
  set.small->mDrawRects.clear();
  view->display();
  view->mouseDown(nullptr);
  EXPECT_TRUE(set.small->mDrawRects.empty());
  view->release();

  // the editor closes: the view leaves its superview and events there reach nobody
  next->retain();
  {
    NSAutoreleasePool inner;
    set.editor->CloseWindow();
  }
  EXPECT_EQ(set.editor->GetWindow(), nullptr);
  ExpectDetached(next);
  second->handleHostMouseButton(0, true, NSMakePoint(100, 100), 0, 2.0);
  EXPECT_TRUE(set.all->mEvents.empty());
  next->release();
  second->release();
}

TEST_F(CocoaView, EditorDestroyedWithItsViewOpenLeavesADetachedView)
{
  RecordingEditorSet* shortLived = new RecordingEditorSet;
  View* v = static_cast<View*>(shortLived->editor->OpenWindow(window->contentView()));
  v->retain();
  {
    NSAutoreleasePool inner;
    delete shortLived;
  }
  window->display();
  NSRunLoop::currentRunLoop()->advanceTime(0.2);
  ExpectDetached(v);
  v->release();
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
    const int kx = MacEditorSet::kKnobX, ky = MacEditorSet::kKnobY;
    EXPECT_EQ(WindowPixel(window, 0, 0), Opaque(kBackgroundColor));
    EXPECT_EQ(WindowPixel(window, 299, 252), Opaque(kBackgroundColor));
    // the knob at gain 0 dB (normalized 0.5) shows frame trunc(0.5 x 19 + 0.5) + 1 = 11
    EXPECT_EQ(WindowPixel(window, kx + 1, ky + 1), Opaque(FrameColor(11)));
    EXPECT_EQ(WindowPixel(window, kx + kKnobSize - 1, ky + kKnobSize - 1), Opaque(FrameColor(11)));
    EXPECT_EQ(WindowPixel(window, kx + kKnobSize, ky), Opaque(kBackgroundColor));
    EXPECT_EQ(WindowPixel(window, MacEditorSet::kSwitchX + 2, MacEditorSet::kSwitchY + 2), Opaque(FrameColor(1)));
    // the host sets the gain to its top: the next tick repaints the knob
    set.editor->SetParameterFromPlug(kGain, 1.0, true);
    EXPECT_EQ(WindowPixel(window, kx + 1, ky + 1), Opaque(FrameColor(11)));
    NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
    EXPECT_EQ(WindowPixel(window, kx + 1, ky + 1), Opaque(FrameColor(kKnobFrames)));
    // outside a paint there is no context to copy into
    IRECT all(0, 0, MacEditorSet::kW, MacEditorSet::kH);
    EXPECT_FALSE(set.editor->DrawScreen(&all));
    window->release();
  }
  NSRunLoop::useSystemClock();
}
