#include "Pixels.h"

#include <AppKit/AppKit.h>

#include <gtest/gtest.h>

#include <tuple>
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
  // as an editor's view does: its repeating timer (which retains the view) stops on removal
  void removeFromSuperview() override
  {
    if (timer) timer->invalidate();
    timer = nullptr;
    NSView::removeFromSuperview();
  }
  ~RecordingView() override
  {
    if (gone) *gone = true;
  }
  // type, x and y in the view of the i-th event seen
  std::tuple<NSUInteger, CGFloat, CGFloat> at(size_t i) const
  {
    return {seen.at(i).type, seen.at(i).inView.x, seen.at(i).inView.y};
  }

  bool opaque = true;
  bool flipped = false;
  double red = 1;
  int movedToWindow = 0;
  int ticks = 0;
  NSTimer* timer = nullptr;
  bool* gone = nullptr;
  std::vector<NSRect> drawn;
  std::vector<Seen> seen;
};

std::tuple<NSUInteger, CGFloat, CGFloat> Event(NSUInteger type, CGFloat x, CGFloat y) { return {type, x, y}; }

class Hosted : public ::testing::Test
{
protected:
  void SetUp() override
  {
    NSRunLoop::useManualClock(0);
    window = new NSWindow;
    window->initWithContentRect_styleMask_backing_defer(NSMakeRect(100, 100, 900, 300), NSTitledWindowMask,
                                                        NSBackingStoreBuffered, NO);
    view = add(NSMakeRect(0, 0, 802, 253), window->contentView());
    window->makeKeyAndOrderFront(nil);
    window->displayIfNeeded();
  }
  void TearDown() override
  {
    window->release();
    NSRunLoop::useSystemClock();
  }
  // A new view in `parent`, owned by it only, as a host keeps it.
  RecordingView* add(NSRect frame, NSView* parent, bool flipped = false)
  {
    RecordingView* v = new RecordingView;
    v->flipped = flipped;
    v->initWithFrame(frame);
    parent->addSubview(v);
    v->release();
    return v;
  }
  // Checks the backing store at window points (x, y), from the bottom left.
  void expectPixels(std::initializer_list<PixelIs> table)
  {
    CGContextRef c = window->backingContext();
    ExpectPixels([c](int x, int y) { return PixelAt(c, x, int(CGBitmapContextGetHeight(c)) - 1 - y); }, table);
  }

  NSAutoreleasePool pool;
  NSWindow* window = nullptr;
  RecordingView* view = nullptr;
};

}  // namespace

TEST_F(Hosted, ViewBecomesFirstResponderInTheWindowAndRemovalDetachesAndReleasesIt)
{
  EXPECT_EQ(view->window(), window);
  EXPECT_EQ(view->movedToWindow, 1);
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_TRUE(window->acceptsMouseMovedEvents());
  EXPECT_EQ(view->retainCount(), 1u);
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

TEST_F(Hosted, ButtonsReachTheViewAtItsPointAndDragAndReleaseFollowThePress)
{
  window->handleHostMouseButton(0, true, NSMakePoint(10.7, 250.2), 0, 1.0);
  window->handleHostMouseButton(0, false, NSMakePoint(10.7, 250.2), 0, 1.05);
  // dragged outside the view: the drag and release still go to the pressed view
  window->handleHostMouseButton(0, true, NSMakePoint(700, 200), 0, 5.0);
  window->handleHostMouseMotion(NSMakePoint(850, 280), 0, 5.1);
  window->handleHostMouseButton(0, false, NSMakePoint(860, 290), 0, 5.2);
  window->handleHostMouseMotion(NSMakePoint(100, 100), 0, 5.3);
  ASSERT_EQ(view->seen.size(), 6u);
  EXPECT_EQ(view->at(0), Event(NSLeftMouseDown, 10.7, 250.2));
  EXPECT_EQ(view->seen[0].clicks, 1);
  EXPECT_EQ(view->at(3), Event(NSLeftMouseDragged, 850, 280));
  EXPECT_EQ(view->at(4), Event(NSLeftMouseUp, 860, 290));
  EXPECT_EQ(view->at(5), Event(NSMouseMoved, 100, 100));

  // the right button reaches mouseDown with its flag; modifiers pass through
  view->seen.clear();
  window->handleHostMouseButton(1, true, NSMakePoint(20, 20), NSShiftKeyMask | NSCommandKeyMask, 6.0);
  window->handleHostMouseMotion(NSMakePoint(25, 20), 0, 6.1);
  window->handleHostMouseButton(1, false, NSMakePoint(25, 20), 0, 6.2);
  ASSERT_EQ(view->seen.size(), 3u);
  EXPECT_EQ(view->seen[0].type, NSUInteger(NSRightMouseDown));
  EXPECT_EQ(view->seen[0].flags, NSUInteger(NSShiftKeyMask | NSCommandKeyMask | NSRightMouseButtonFlag));
  EXPECT_EQ(view->seen[1].type, NSUInteger(NSRightMouseDragged));
  EXPECT_EQ(view->seen[2].type, NSUInteger(NSRightMouseUp));
  for (size_t i : {1, 2}) EXPECT_TRUE(view->seen[i].flags & NSRightMouseButtonFlag) << i;

  // events are converted into an offset view
  view->seen.clear();
  view->setFrameOrigin(NSMakePoint(40, 30));
  window->handleHostMouseButton(0, true, NSMakePoint(50, 40), 0, 7.0);
  window->handleHostMouseButton(0, false, NSMakePoint(50, 40), 0, 7.1);
  ASSERT_EQ(view->seen.size(), 2u);
  EXPECT_EQ(view->at(0), Event(NSLeftMouseDown, 10, 10));
  const NSPoint out = view->convertPoint_toView(NSMakePoint(1, 2), nil);
  EXPECT_EQ(std::make_pair(out.x, out.y), std::make_pair(41.0, 32.0));
  // outside the view: the content view gets the press, not ours
  window->handleHostMouseButton(0, true, NSMakePoint(5, 5), 0, 9.0);
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
  EXPECT_EQ(view->seen.back().type, NSUInteger(NSRightMouseUp));
}

TEST_F(Hosted, MouseMovedNeedsAcceptanceAndGoesToFirstResponderAndWheelsToTheViewUnderThePointer)
{
  window->setAcceptsMouseMovedEvents(NO);
  window->handleHostMouseMotion(NSMakePoint(10, 10), 0, 1.0);
  EXPECT_TRUE(view->seen.empty());
  window->setAcceptsMouseMovedEvents(YES);
  // outside the view: still the first responder's
  window->handleHostMouseMotion(NSMakePoint(850, 290), 0, 1.1);
  ASSERT_EQ(view->seen.size(), 1u);
  EXPECT_EQ(view->at(0), Event(NSMouseMoved, 850, 290));

  window->handleHostScroll(NSMakePoint(30, 30), 0, 1, 0, 2.0);
  window->handleHostScroll(NSMakePoint(30, 30), 0, -1, NSAlternateKeyMask, 2.1);
  window->sendEvent(NSEvent::scrollWheelEventWithLocation_modifierFlags_timestamp_windowNumber_deltaX_deltaY(
      NSMakePoint(30, 30), 0, 2.2, window->windowNumber(), 0, 0.9));
  // not over the view: not ours
  window->handleHostScroll(NSMakePoint(850, 30), 0, 1, 0, 2.3);
  ASSERT_EQ(view->seen.size(), 4u);
  EXPECT_EQ(std::make_pair(view->seen[1].deltaY, view->seen[2].deltaY), std::make_pair(1.0, -1.0));
  EXPECT_EQ(view->seen[2].flags, NSUInteger(NSAlternateKeyMask));
  EXPECT_EQ(static_cast<int>(view->seen[3].deltaY), 0);
}

TEST_F(Hosted, TimerInvalidationDrawsThatRectangleUntilRemovalStopsTheTimerAndFreesTheView)
{
  bool gone = false;
  view->gone = &gone;
  view->timer = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(1.0 / 24, view,
                                                                                &RecordingView::onTimer, nil, YES);
  NSRunLoop::currentRunLoop()->addTimer_forMode(view->timer, NSRunLoopCommonModes);
  // the host's count and the timer's
  EXPECT_EQ(view->retainCount(), 2u);
  view->drawn.clear();
  view->red = 0;
  NSRunLoop::currentRunLoop()->advanceTime(1.0 / 24);
  EXPECT_EQ(view->ticks, 1);
  // the run loop's draw pass drew exactly the invalidated rectangle
  ASSERT_EQ(view->drawn.size(), 1u);
  EXPECT_TRUE(NSEqualRects(view->drawn[0], NSMakeRect(10, 213, 20, 20)));
  EXPECT_FALSE(view->needsDisplay());
  // outside the view the window background shows
  expectPixels({{10, 213, 0xFF0000FFu}, {29, 232, 0xFF0000FFu}, {30, 232, 0xFFFF0000u}, {10, 233, 0xFFFF0000u},
                {850, 10, 0xFFEDEDEDu}});
  NSRunLoop::currentRunLoop()->advanceTime(23.0 / 24);
  EXPECT_EQ(view->ticks, 24);
  EXPECT_EQ(view->drawn.size(), 24u);
  {
    NSAutoreleasePool inner;
    view->removeFromSuperview();
    EXPECT_EQ(NSRunLoop::currentRunLoop()->timerCount(), 0u);
    EXPECT_FALSE(gone);
  }
  EXPECT_TRUE(gone);
  NSRunLoop::currentRunLoop()->advanceTime(1.0);
}

TEST_F(Hosted, InvalidRectanglesUniteAndAreClippedToTheViewAndResizingInvalidatesBothAreas)
{
  view->setNeedsDisplayInRect(NSMakeRect(10, 10, 5, 5));
  view->setNeedsDisplayInRect(NSMakeRect(20, 30, 5, 5));
  view->setNeedsDisplayInRect(NSMakeRect(800, 250, 50, 50));
  EXPECT_TRUE(NSEqualRects(view->invalidRect(), NSMakeRect(10, 10, 792, 243)));
  view->setNeedsDisplay(NO);
  view->setNeedsDisplayInRect(NSMakeRect(-5, -5, 10, 10));
  EXPECT_TRUE(NSEqualRects(view->invalidRect(), NSMakeRect(0, 0, 5, 5)));
  window->displayIfNeeded();
  view->setFrameSize(NSMakeSize(400, 100));
  EXPECT_TRUE(NSEqualRects(view->invalidRect(), NSMakeRect(0, 0, 400, 100)));
  EXPECT_TRUE(window->contentView()->needsDisplay());
  window->displayIfNeeded();
  expectPixels({{500, 200, 0xFFEDEDEDu}, {399, 99, 0xFFFF0000u}});
}

TEST_F(Hosted, TransparentViewIsDrawnOverItsRepaintedSuperviewAndFlippedViewMeasuresFromItsTop)
{
  RecordingView* overlay = add(NSMakeRect(100, 100, 50, 50), view);
  overlay->opaque = false;
  overlay->red = 0;
  window->displayIfNeeded();
  view->drawn.clear();
  overlay->drawn.clear();
  overlay->setNeedsDisplayInRect(NSMakeRect(0, 0, 10, 10));
  EXPECT_TRUE(window->displayIfNeeded());
  ASSERT_EQ(view->drawn.size(), 1u);
  EXPECT_TRUE(NSEqualRects(view->drawn[0], NSMakeRect(100, 100, 10, 10)));
  ASSERT_EQ(overlay->drawn.size(), 1u);
  EXPECT_TRUE(NSEqualRects(overlay->drawn[0], NSMakeRect(0, 0, 10, 10)));
  expectPixels({{105, 105, 0xFF0000FFu}});
  EXPECT_FALSE(window->displayIfNeeded());

  // a flipped view measures from its top
  RecordingView* flipped = add(NSMakeRect(200, 100, 100, 50), view, true);
  window->displayIfNeeded();
  flipped->drawn.clear();
  window->makeFirstResponder(flipped);
  window->handleHostMouseButton(0, true, NSMakePoint(210, 145), 0, 1.0);
  ASSERT_EQ(flipped->seen.size(), 1u);
  EXPECT_EQ(flipped->at(0), Event(NSLeftMouseDown, 10, 5));
  flipped->red = 0;
  flipped->setNeedsDisplayInRect(NSMakeRect(0, 0, 4, 2));
  window->displayIfNeeded();
  ASSERT_EQ(flipped->drawn.size(), 1u);
  // the top-left 4 x 2 pixels of the flipped view: window rows 148 and 149
  expectPixels({{200, 149, 0xFF0000FFu}, {203, 148, 0xFF0000FFu}, {200, 147, 0xFFFF0000u}});
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
