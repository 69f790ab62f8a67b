#include <AppKit/AppKit.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Seen
{
  NSEventType type;
  NSPoint inView;
  NSUInteger flags;
  NSInteger clicks;
  CGFloat deltaY;
};

// A view as an editor host writes it: opaque, first responder, a repaint timer that
// invalidates a rectangle, drawing a colour into the rectangle it is asked to draw.
class RecordingView : public NSView
{
public:
  BOOL isOpaque() override { return opaque ? YES : NO; }
  BOOL acceptsFirstResponder() override { return YES; }
  BOOL acceptsFirstMouse(NSEvent*) override { return YES; }
  BOOL isFlipped() override { return flipped ? YES : NO; }
  void viewDidMoveToWindow() override
  {
    ++movedToWindow;
    if (window()) {
      window()->makeFirstResponder(this);
      window()->setAcceptsMouseMovedEvents(YES);
    }
  }
  void drawRect(NSRect rect) override
  {
    drawn.push_back(rect);
    CGContextRef c = static_cast<CGContextRef>(NSGraphicsContext::currentContext()->graphicsPort());
    CGContextSetRGBFillColor(c, red, 0, 1 - red, 1);
    CGContextFillRect(c, rect);
  }
  void record(NSEvent* e)
  {
    seen.push_back({e->type(), convertPoint_fromView(e->locationInWindow(), nil), e->modifierFlags(), e->clickCount(),
                    e->deltaY()});
  }
  void mouseDown(NSEvent* e) override { record(e); }
  void mouseUp(NSEvent* e) override { record(e); }
  void mouseDragged(NSEvent* e) override { record(e); }
  void mouseMoved(NSEvent* e) override { record(e); }
  void scrollWheel(NSEvent* e) override { record(e); }
  void onTimer(NSTimer*)
  {
    ++ticks;
    setNeedsDisplayInRect(NSMakeRect(10, 213, 20, 20));
  }

  bool opaque = true;
  bool flipped = false;
  double red = 1;
  int movedToWindow = 0;
  int ticks = 0;
  std::vector<NSRect> drawn;
  std::vector<Seen> seen;
};

class Hosted : public ::testing::Test
{
protected:
  void SetUp() override
  {
    NSRunLoop::useManualClock(0);
    window = new NSWindow;
    window->initWithContentRect_styleMask_backing_defer(NSMakeRect(100, 100, 900, 300), NSTitledWindowMask,
                                                        NSBackingStoreBuffered, NO);
    view = new RecordingView;
    view->initWithFrame(NSMakeRect(0, 0, 802, 253));
    window->contentView()->addSubview(view);
    // the host keeps only the superview's count
    view->release();
    window->makeKeyAndOrderFront(nil);
    window->displayIfNeeded();
  }
  void TearDown() override
  {
    window->release();
    NSRunLoop::useSystemClock();
  }
  // The backing store pixel at window point (x, y) (bottom-left), as 0xAARRGGBB.
  uint32_t pixel(int x, int y)
  {
    CGContextRef c = window->backingContext();
    const unsigned char* p = static_cast<unsigned char*>(CGBitmapContextGetData(c)) +
                             (CGBitmapContextGetHeight(c) - 1 - y) * CGBitmapContextGetBytesPerRow(c) + x * 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }

  NSAutoreleasePool pool;
  NSWindow* window = nullptr;
  RecordingView* view = nullptr;
};

}  // namespace

TEST_F(Hosted, ViewInWindowBecomesFirstResponderAndAcceptsMouseMoved)
{
  EXPECT_EQ(view->window(), window);
  EXPECT_EQ(view->movedToWindow, 1);
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_TRUE(window->acceptsMouseMovedEvents());
  EXPECT_EQ(view->retainCount(), 1u);
}

TEST_F(Hosted, ClickReachesViewAtItsPointAndEditorFlipGivesTopLeftCoordinates)
{
  window->handleHostMouseButton(0, true, NSMakePoint(10.7, 250.2), 0, 1.0);
  ASSERT_EQ(view->seen.size(), 1u);
  const Seen& s = view->seen[0];
  EXPECT_EQ(s.type, NSUInteger(NSLeftMouseDown));
  EXPECT_DOUBLE_EQ(s.inView.x, 10.7);
  EXPECT_DOUBLE_EQ(s.inView.y, 250.2);
  EXPECT_EQ(s.clicks, 1);
  // the editor's conversion: x = trunc(px), y = H - trunc(py)
  EXPECT_EQ(static_cast<int>(s.inView.x), 10);
  EXPECT_EQ(253 - static_cast<int>(s.inView.y), 3);
}

TEST_F(Hosted, EventsAreConvertedIntoAnOffsetView)
{
  view->setFrameOrigin(NSMakePoint(40, 30));
  window->handleHostMouseButton(0, true, NSMakePoint(50, 40), 0, 1.0);
  window->handleHostMouseButton(0, false, NSMakePoint(50, 40), 0, 1.1);
  ASSERT_EQ(view->seen.size(), 2u);
  EXPECT_DOUBLE_EQ(view->seen[0].inView.x, 10);
  EXPECT_DOUBLE_EQ(view->seen[0].inView.y, 10);
  EXPECT_EQ(view->convertPoint_toView(NSMakePoint(1, 2), nil).x, 41);
  EXPECT_EQ(view->convertPoint_toView(NSMakePoint(1, 2), nil).y, 32);
  // outside the view: the content view gets the press, not ours
  window->handleHostMouseButton(0, true, NSMakePoint(5, 5), 0, 3.0);
  EXPECT_EQ(view->seen.size(), 2u);
}

TEST_F(Hosted, ClickCountFollowsTimingAndDistance)
{
  const NSPoint p = NSMakePoint(100, 100);
  std::vector<NSInteger> counts;
  auto press = [&](NSPoint at, NSTimeInterval t, int button = 0) {
    window->handleHostMouseButton(button, true, at, 0, t);
    window->handleHostMouseButton(button, false, at, 0, t + 0.05);
    counts.push_back(view->seen[view->seen.size() - 2].clicks);
  };
  press(p, 10.0);
  press(p, 10.3);                        // within the interval: double click
  press(NSMakePoint(103, 97), 10.6);     // within the distance: triple
  press(p, 11.5);                        // too late: single again
  press(NSMakePoint(110, 100), 11.7);    // too far: single
  press(NSMakePoint(110, 100), 11.9, 1); // other button: single
  EXPECT_EQ(counts, (std::vector<NSInteger>{1, 2, 3, 1, 1, 1}));
  // the release carries the press's count
  EXPECT_EQ(view->seen.back().type, NSUInteger(NSRightMouseUp));
}

TEST_F(Hosted, RightButtonReachesMouseDownWithItsFlagAndModifiersPassThrough)
{
  window->handleHostMouseButton(1, true, NSMakePoint(20, 20), NSShiftKeyMask | NSCommandKeyMask, 1.0);
  window->handleHostMouseMotion(NSMakePoint(25, 20), 0, 1.1);
  window->handleHostMouseButton(1, false, NSMakePoint(25, 20), 0, 1.2);
  ASSERT_EQ(view->seen.size(), 3u);
  EXPECT_EQ(view->seen[0].type, NSUInteger(NSRightMouseDown));
  EXPECT_EQ(view->seen[0].flags, NSUInteger(NSShiftKeyMask | NSCommandKeyMask | NSRightMouseButtonFlag));
  EXPECT_EQ(view->seen[1].type, NSUInteger(NSRightMouseDragged));
  EXPECT_TRUE(view->seen[1].flags & NSRightMouseButtonFlag);
  EXPECT_EQ(view->seen[2].type, NSUInteger(NSRightMouseUp));
  EXPECT_TRUE(view->seen[2].flags & NSRightMouseButtonFlag);
}

TEST_F(Hosted, DragAndReleaseGoToThePressedViewEvenOutsideIt)
{
  window->handleHostMouseButton(0, true, NSMakePoint(700, 200), 0, 1.0);
  window->handleHostMouseMotion(NSMakePoint(850, 280), 0, 1.1);
  window->handleHostMouseButton(0, false, NSMakePoint(860, 290), 0, 1.2);
  window->handleHostMouseMotion(NSMakePoint(100, 100), 0, 1.3);
  ASSERT_EQ(view->seen.size(), 4u);
  EXPECT_EQ(view->seen[1].type, NSUInteger(NSLeftMouseDragged));
  EXPECT_DOUBLE_EQ(view->seen[1].inView.x, 850);
  EXPECT_EQ(view->seen[2].type, NSUInteger(NSLeftMouseUp));
  EXPECT_EQ(view->seen[3].type, NSUInteger(NSMouseMoved));
}

TEST_F(Hosted, MouseMovedNeedsAcceptanceAndGoesToFirstResponder)
{
  window->setAcceptsMouseMovedEvents(NO);
  window->handleHostMouseMotion(NSMakePoint(10, 10), 0, 1.0);
  EXPECT_TRUE(view->seen.empty());
  window->setAcceptsMouseMovedEvents(YES);
  // outside the view: still the first responder's
  window->handleHostMouseMotion(NSMakePoint(850, 290), 0, 1.1);
  ASSERT_EQ(view->seen.size(), 1u);
  EXPECT_DOUBLE_EQ(view->seen[0].inView.y, 290);
}

TEST_F(Hosted, ScrollWheelCarriesDeltaToTheViewUnderThePointer)
{
  window->handleHostScroll(NSMakePoint(30, 30), 0, 1, 0, 1.0);
  window->handleHostScroll(NSMakePoint(30, 30), 0, -1, NSAlternateKeyMask, 1.1);
  window->sendEvent(NSEvent::scrollWheelEventWithLocation_modifierFlags_timestamp_windowNumber_deltaX_deltaY(
      NSMakePoint(30, 30), 0, 1.2, window->windowNumber(), 0, 0.9));
  window->handleHostScroll(NSMakePoint(850, 30), 0, 1, 0, 1.3);
  ASSERT_EQ(view->seen.size(), 3u);
  EXPECT_EQ(view->seen[0].deltaY, 1);
  EXPECT_EQ(view->seen[1].deltaY, -1);
  EXPECT_EQ(view->seen[1].flags, NSUInteger(NSAlternateKeyMask));
  EXPECT_EQ(static_cast<int>(view->seen[2].deltaY), 0);
}

TEST_F(Hosted, TimerInvalidationLeadsToDrawRectOfThatRectangleAndPixelsInTheWindow)
{
  NSTimer* timer = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(1.0 / 24, view,
                                                                                   &RecordingView::onTimer, nil, YES);
  NSRunLoop::currentRunLoop()->addTimer_forMode(timer, NSRunLoopCommonModes);
  view->drawn.clear();
  view->red = 0;
  NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
  EXPECT_EQ(view->ticks, 1);
  // the run loop's draw pass drew exactly the invalidated rectangle
  ASSERT_EQ(view->drawn.size(), 1u);
  EXPECT_TRUE(NSEqualRects(view->drawn[0], NSMakeRect(10, 213, 20, 20)));
  EXPECT_FALSE(view->needsDisplay());
  EXPECT_EQ(pixel(10, 213), 0xFF0000FFu);
  EXPECT_EQ(pixel(29, 232), 0xFF0000FFu);
  EXPECT_EQ(pixel(30, 232), 0xFFFF0000u);
  EXPECT_EQ(pixel(10, 233), 0xFFFF0000u);
  // outside the view the window background shows
  EXPECT_EQ(pixel(850, 10), 0xFFEDEDEDu);
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_EQ(view->ticks, 13);
  timer->invalidate();
}

TEST_F(Hosted, InvalidRectanglesUniteAndAreClippedToTheView)
{
  view->setNeedsDisplayInRect(NSMakeRect(10, 10, 5, 5));
  view->setNeedsDisplayInRect(NSMakeRect(20, 30, 5, 5));
  view->setNeedsDisplayInRect(NSMakeRect(800, 250, 50, 50));
  EXPECT_TRUE(NSEqualRects(view->invalidRect(), NSMakeRect(10, 10, 792, 243)));
  view->setNeedsDisplay(NO);
  view->setNeedsDisplayInRect(NSMakeRect(-5, -5, 10, 10));
  EXPECT_TRUE(NSEqualRects(view->invalidRect(), NSMakeRect(0, 0, 5, 5)));
}

TEST_F(Hosted, TransparentViewIsDrawnOverItsRepaintedSuperview)
{
  RecordingView* overlay = new RecordingView;
  overlay->initWithFrame(NSMakeRect(100, 100, 50, 50));
  overlay->opaque = false;
  overlay->red = 0;
  view->addSubview(overlay);
  overlay->release();
  window->displayIfNeeded();
  view->drawn.clear();
  overlay->drawn.clear();
  overlay->setNeedsDisplayInRect(NSMakeRect(0, 0, 10, 10));
  EXPECT_TRUE(window->displayIfNeeded());
  ASSERT_EQ(view->drawn.size(), 1u);
  EXPECT_TRUE(NSEqualRects(view->drawn[0], NSMakeRect(100, 100, 10, 10)));
  ASSERT_EQ(overlay->drawn.size(), 1u);
  EXPECT_TRUE(NSEqualRects(overlay->drawn[0], NSMakeRect(0, 0, 10, 10)));
  EXPECT_EQ(pixel(105, 105), 0xFF0000FFu);
  EXPECT_FALSE(window->displayIfNeeded());
}

TEST_F(Hosted, FlippedViewMeasuresFromItsTop)
{
  RecordingView* flipped = new RecordingView;
  flipped->flipped = true;
  flipped->initWithFrame(NSMakeRect(200, 100, 100, 50));
  view->addSubview(flipped);
  flipped->release();
  window->displayIfNeeded();
  flipped->drawn.clear();
  flipped->seen.clear();
  window->makeFirstResponder(flipped);
  window->handleHostMouseButton(0, true, NSMakePoint(210, 145), 0, 1.0);
  ASSERT_EQ(flipped->seen.size(), 1u);
  EXPECT_DOUBLE_EQ(flipped->seen[0].inView.x, 10);
  EXPECT_DOUBLE_EQ(flipped->seen[0].inView.y, 5);
  flipped->red = 0;
  flipped->setNeedsDisplayInRect(NSMakeRect(0, 0, 4, 2));
  window->displayIfNeeded();
  ASSERT_EQ(flipped->drawn.size(), 1u);
  // the top-left 4 x 2 pixels of the flipped view: window rows 148 and 149
  EXPECT_EQ(pixel(200, 149), 0xFF0000FFu);
  EXPECT_EQ(pixel(203, 148), 0xFF0000FFu);
  EXPECT_EQ(pixel(200, 147), 0xFFFF0000u);
}

TEST_F(Hosted, RemoveFromSuperviewDetachesAndReleasesTheView)
{
  view->retain();
  view->removeFromSuperview();
  EXPECT_EQ(view->window(), nullptr);
  EXPECT_EQ(view->superview(), nullptr);
  EXPECT_EQ(view->movedToWindow, 2);
  EXPECT_EQ(window->firstResponder(), nullptr);
  EXPECT_EQ(view->retainCount(), 1u);
  EXPECT_TRUE(window->contentView()->subviews().empty());
  // events no longer reach it
  window->handleHostMouseButton(0, true, NSMakePoint(10, 10), 0, 1.0);
  EXPECT_TRUE(view->seen.empty());
  view->release();
}

TEST_F(Hosted, ResizedViewInvalidatesOldAndNewArea)
{
  window->displayIfNeeded();
  view->drawn.clear();
  view->setFrameSize(NSMakeSize(400, 100));
  EXPECT_TRUE(NSEqualRects(view->invalidRect(), NSMakeRect(0, 0, 400, 100)));
  EXPECT_TRUE(window->contentView()->needsDisplay());
  window->displayIfNeeded();
  EXPECT_EQ(pixel(500, 200), 0xFFEDEDEDu);
  EXPECT_EQ(pixel(399, 99), 0xFFFF0000u);
}

TEST(OffScreenWindow, EmbeddedInAForeignWindowWithoutDisplayIsAMemorySurface)
{
  NSAutoreleasePool pool;
  NSWindow* w = new NSWindow;
  w->initWithForeignWindow(0x1234, NSMakeRect(0, 0, 64, 32));
  EXPECT_TRUE(w->isEmbedded());
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->nativeWindow(), 0u);
  EXPECT_EQ(CGBitmapContextGetWidth(w->backingContext()), 64u);
  EXPECT_EQ(CGBitmapContextGetHeight(w->backingContext()), 32u);
  EXPECT_EQ(NSWindow::windowWithWindowNumber(w->windowNumber()), w);
  const NSInteger number = w->windowNumber();
  w->release();
  EXPECT_EQ(NSWindow::windowWithWindowNumber(number), nullptr);
}

namespace {

bool gEditorViewGone = false;

// The shape of an editor's view: a repeating timer targeting the view itself (which
// retains the view), stopped when the host removes the view.
class EditorView : public NSView
{
public:
  EditorView* initWithFps(int fps)
  {
    initWithFrame(NSMakeRect(0, 0, 802, 253));
    timer = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(1.0 / fps, this, &EditorView::onTimer,
                                                                           nil, YES);
    NSRunLoop::currentRunLoop()->addTimer_forMode(timer, kCFRunLoopCommonModes);
    return this;
  }
  ~EditorView() override { gEditorViewGone = true; }
  BOOL isOpaque() override { return YES; }
  void onTimer(NSTimer* t)
  {
    if (t != timer || !attached) return;
    ++ticks;
    setNeedsDisplayInRect(NSMakeRect(10, 213, 20, 20));
  }
  void drawRect(NSRect) override { ++draws; }
  void killTimer()
  {
    if (timer) timer->invalidate();
    timer = nullptr;
  }
  void removeFromSuperview() override
  {
    attached = false;
    killTimer();
    NSView::removeFromSuperview();
  }

  NSTimer* timer = nullptr;
  bool attached = true;
  int ticks = 0;
  int draws = 0;
};

}  // namespace

TEST(EditorViewLifecycle, RemovalStopsTheTimerAndFreesTheViewOnceThePoolDrains)
{
  NSRunLoop::useManualClock(0);
  NSWindow* window = new NSWindow;
  {
    NSAutoreleasePool pool;
    window->initWithContentRect_styleMask_backing_defer(NSMakeRect(0, 0, 802, 253), NSTitledWindowMask,
                                                        NSBackingStoreBuffered, NO);
    EditorView* view = (new EditorView)->initWithFps(24);
    window->contentView()->addSubview(view);
    view->release();
    // the host's count and the timer's
    EXPECT_EQ(view->retainCount(), 2u);
    NSRunLoop::currentRunLoop()->advanceTime(1.0);
    EXPECT_EQ(view->ticks, 24);
    // one full draw when added, then one per tick
    EXPECT_EQ(view->draws, 25);
    view->removeFromSuperview();
    EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
    EXPECT_FALSE(gEditorViewGone);
  }
  EXPECT_TRUE(gEditorViewGone);
  NSRunLoop::currentRunLoop()->advanceTime(1.0);
  window->release();
  NSRunLoop::useSystemClock();
}
