#include "Pixels.h"

#include <AppKit/AppKit.h>
#include <Carbon/Carbon.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

template <typename T>
OSStatus Param(EventRef e, EventParamName name, EventParamType type, T* out)
{
  return GetEventParameter(e, name, type, nullptr, sizeof *out, nullptr, out);
}

// top, left, bottom, right
std::array<int, 4> Box(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }

struct Received
{
  UInt32 eventClass;
  UInt32 kind;
  HIPoint global = {0, 0};
  HIPoint local = {0, 0};
  UInt32 modifiers = 0;
  UInt32 clicks = 0;
  EventMouseWheelAxis axis = 99;
  SInt32 delta = 0;
  Rect region = {0, 0, 0, 0};
  CGContextRef context = nullptr;
  CGrafPtr port = nullptr;
};

// A host of an editor in a Carbon window, as the editor's Carbon host sets it up.
struct Host
{
  WindowRef window = nullptr;
  ControlRef pane = nullptr;
  EventHandlerRef controlHandler = nullptr;
  EventHandlerRef windowHandler = nullptr;
  EventLoopTimerRef timer = nullptr;
  std::vector<Received> got;
  int ticks = 0;
  bool compositing = false;
  Rect dirty = {20, 10, 40, 30};

  static OSStatus OnControl(EventHandlerCallRef, EventRef e, void* data)
  {
    Host* h = static_cast<Host*>(data);
    Received r{GetEventClass(e), GetEventKind(e)};
    ControlRef direct = nullptr;
    EXPECT_EQ(Param(e, kEventParamDirectObject, typeControlRef, &direct), noErr);
    EXPECT_EQ(direct, h->pane);
    Param(e, kEventParamClickCount, typeUInt32, &r.clicks);
    if (r.kind == kEventControlDraw) {
      RgnHandle rgn = nullptr;
      EXPECT_EQ(Param(e, kEventParamRgnHandle, typeQDRgnHandle, &rgn), noErr);
      GetRegionBounds(rgn, &r.region);
      Param(e, kEventParamCGContextRef, typeCGContextRef, &r.context);
      Param(e, kEventParamGrafPort, typeGrafPtr, &r.port);
      if (CGContextRef c = r.context) {
        // the editor flips the control's context back to y upwards: its top-left 10 x 20 pixels
        CGContextSaveGState(c);
        CGContextTranslateCTM(c, 0, 253);
        CGContextScaleCTM(c, 1, -1);
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 233, 10, 20));
        CGContextRestoreGState(c);
      } else if (r.port) {
        EXPECT_EQ(QDBeginCGContext(r.port, &c), noErr);
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 50, 50));
        CGContextFlush(c);
        QDEndCGContext(r.port, &c);
      }
    }
    h->got.push_back(r);
    return r.kind == kEventControlClick ? OSStatus(eventNotHandledErr) : OSStatus(noErr);
  }

  static OSStatus OnWindow(EventHandlerCallRef call, EventRef e, void* data)
  {
    Received r{GetEventClass(e), GetEventKind(e)};
    if (r.kind == kEventMouseDown) CallNextEventHandler(call, e);
    Param(e, kEventParamMouseLocation, typeHIPoint, &r.global);
    Param(e, kEventParamWindowMouseLocation, typeHIPoint, &r.local);
    Param(e, kEventParamKeyModifiers, typeUInt32, &r.modifiers);
    Param(e, kEventParamClickCount, typeUInt32, &r.clicks);
    Param(e, kEventParamMouseWheelAxis, typeMouseWheelAxis, &r.axis);
    Param(e, kEventParamMouseWheelDelta, typeSInt32, &r.delta);
    static_cast<Host*>(data)->got.push_back(r);
    return noErr;
  }

  static void OnTimer(EventLoopTimerRef, void* data)
  {
    Host* h = static_cast<Host*>(data);
    ++h->ticks;
    if (h->compositing) {
      HIRect r = CGRectMake(h->dirty.left, h->dirty.top, h->dirty.right - h->dirty.left, h->dirty.bottom - h->dirty.top);
      HIViewSetNeedsDisplayInRect(h->pane, &r, true);
    } else {
      RgnHandle rgn = NewRgn();
      RectRgn(rgn, &h->dirty);
      UpdateControls(h->window, rgn);
      DisposeRgn(rgn);
    }
  }

  void open(WindowAttributes attributes)
  {
    Rect bounds = {50, 100, 350, 1000};
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, attributes, &bounds, &window), noErr);
    compositing = (attributes & kWindowCompositingAttribute) != 0;
    Rect paneBounds = {0, 0, 253, 802};
    ASSERT_EQ(CreateUserPaneControl(window, &paneBounds, compositing ? 0x12000026 : 38, &pane), noErr);
    const EventTypeSpec controlEvents[] = {{kEventClassControl, kEventControlClick},
        {kEventClassControl, kEventControlDraw}, {kEventClassControl, kEventControlDispose},
        {kEventClassControl, kEventControlBoundsChanged}};
    const EventTypeSpec mouseEvents[] = {{kEventClassMouse, kEventMouseDown}, {kEventClassMouse, kEventMouseUp},
        {kEventClassMouse, kEventMouseMoved}, {kEventClassMouse, kEventMouseDragged},
        {kEventClassMouse, kEventMouseWheelMoved}};
    ASSERT_EQ(InstallEventHandler(GetControlEventTarget(pane), NewEventHandlerUPP(&OnControl), 4, controlEvents, this,
                                  &controlHandler),
              noErr);
    ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), NewEventHandlerUPP(&OnWindow), 5, mouseEvents, this,
                                  &windowHandler),
              noErr);
    ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0, 2.0 / 24, NewEventLoopTimerUPP(&OnTimer), this, &timer),
              noErr);
    ControlRef parent = nullptr;
    if (compositing) {
      ASSERT_EQ(HIViewFindByID(HIViewGetRoot(window), kHIViewWindowContentID, &parent), noErr);
    } else if (GetRootControl(window, &parent) != noErr) {
      ASSERT_EQ(CreateRootControl(window, &parent), noErr);
    }
    ASSERT_EQ(EmbedControl(pane, parent), noErr);
    SetControlBounds(pane, &paneBounds);
    ShowWindow(window);
  }

  void close()
  {
    RemoveEventLoopTimer(timer);
    RemoveEventHandler(controlHandler);
    RemoveEventHandler(windowHandler);
    DisposeWindow(window);
  }

  // The backing pixel at content point (x, y) from the top left.
  uint32_t pixel(int x, int y) { return PixelAt(HIWindowGetCocoaWindow(window)->backingContext(), x, y); }
  std::vector<Received> of(UInt32 eventClass, UInt32 kind) const
  {
    std::vector<Received> out;
    for (const Received& r : got)
      if (r.eventClass == eventClass && r.kind == kind) out.push_back(r);
    return out;
  }
};

class Carbon : public ::testing::Test
{
protected:
  void SetUp() override { NSRunLoop::useManualClock(0); }
  void TearDown() override
  {
    if (h.window) h.close();
    NSRunLoop::useSystemClock();
  }
  NSAutoreleasePool pool;
  Host h;
};

}  // namespace

TEST_F(Carbon, CompositingWindowTimerInvalidatesAndControlDrawsFlippedContext)
{
  h.open(kWindowCompositingAttribute | kWindowStandardHandlerAttribute);
  EXPECT_EQ(GetControlOwner(h.pane), h.window);
  NSRunLoop::currentRunLoop()->advanceTime(0);
  // no initial delay: the first pass fires the timer
  EXPECT_EQ(h.ticks, 1);
  h.got.clear();
  // the whole window was drawn once on showing; cleared, only the timer's rectangle is drawn
  std::fill_n(static_cast<unsigned char*>(CGBitmapContextGetData(HIWindowGetCocoaWindow(h.window)->backingContext())),
              4 * 900 * 300, 0);
  h.dirty = {0, 5, 15, 100};
  NSRunLoop::currentRunLoop()->advanceTime(2.0 / 24);
  EXPECT_EQ(h.ticks, 2);
  const std::vector<Received> draws = h.of(kEventClassControl, kEventControlDraw);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(Box(draws[0].region), (std::array<int, 4>{0, 5, 15, 100}));
  EXPECT_NE(draws[0].context, nullptr);
  EXPECT_EQ(draws[0].port, nullptr);
  // the fill lands at the control's top left, clipped to the invalidated region; the rest
  // of the region shows the window background under the transparent pane
  ExpectPixels([&](int x, int y) { return h.pixel(x, y); },
               {{5, 0, 0xFFFF0000u}, {9, 14, 0xFFFF0000u}, {4, 0, 0}, {9, 15, 0}, {10, 0, 0xFFEDEDEDu}});
  NSRunLoop::currentRunLoop()->advanceTime(0.5);
  EXPECT_EQ(h.ticks, 8);
}

TEST_F(Carbon, NonCompositingWindowDrawsThroughThePortAtOnce)
{
  h.open(kWindowNoAttributes);
  ControlRef root = nullptr;
  EXPECT_EQ(GetRootControl(h.window, &root), noErr);
  EXPECT_EQ(HIViewGetSuperview(h.pane), root);
  NSRunLoop::currentRunLoop()->advanceTime(0);
  h.got.clear();
  NSRunLoop::currentRunLoop()->advanceTime(2.0 / 24);
  const std::vector<Received> draws = h.of(kEventClassControl, kEventControlDraw);
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back().context, nullptr);
  EXPECT_EQ(draws.back().port, GetWindowPort(h.window));
  EXPECT_EQ(draws.back().region.top, 20);
  // the port's context: window coordinates from the bottom left, clipped to the region
  EXPECT_EQ(h.pixel(0, 299), 0xFFEDEDEDu);
  h.dirty = {250, 0, 300, 100};
  HIViewSetNeedsDisplay(h.pane, false);
  UpdateControls(h.window, nullptr);
  EXPECT_EQ(h.pixel(0, 299), 0xFFEDEDEDu);
  Rect all = {0, 0, 300, 900};
  SetControlBounds(h.pane, &all);
  UpdateControls(h.window, nullptr);
  ExpectPixels([&](int x, int y) { return h.pixel(x, y); },
               {{0, 299, 0xFF0000FFu}, {49, 250, 0xFF0000FFu}, {50, 250, 0xFFEDEDEDu}});
}

TEST_F(Carbon, MouseBoundsAndDisposeEventsReachTheirHandlersWithTheirParameters)
{
  h.open(kWindowCompositingAttribute);
  NSWindow* ns = HIWindowGetCocoaWindow(h.window);
  // content point (15, 40) from the top left is Cocoa point (15, 260)
  ns->handleHostMouseButton(0, true, NSMakePoint(15, 260), NSCommandKeyMask | NSShiftKeyMask, 1.0);
  ns->handleHostMouseMotion(NSMakePoint(16, 259), 0, 1.1);
  ns->handleHostMouseButton(0, false, NSMakePoint(16, 259), 0, 1.2);
  ns->handleHostMouseButton(0, true, NSMakePoint(16, 259), NSAlternateKeyMask | NSControlKeyMask, 1.3);
  ns->handleHostMouseButton(0, false, NSMakePoint(16, 259), 0, 1.35);
  ns->handleHostMouseMotion(NSMakePoint(100, 100), 0, 1.4);
  ns->handleHostScroll(NSMakePoint(100, 100), 0, -1, 0, 1.5);
  ns->handleHostScroll(NSMakePoint(100, 100), 1, 0, 0, 1.6);

  const std::vector<Received> downs = h.of(kEventClassMouse, kEventMouseDown);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(std::make_tuple(downs[0].local.x, downs[0].local.y, downs[0].global.x, downs[0].global.y),
            std::make_tuple(15.0, 40.0, 115.0, 90.0));
  EXPECT_EQ(std::make_pair(downs[0].modifiers, downs[0].clicks), std::make_pair(UInt32(cmdKey | shiftKey), 1u));
  EXPECT_EQ(std::make_pair(downs[1].modifiers, downs[1].clicks), std::make_pair(UInt32(optionKey | controlKey), 2u));
  // the press was passed on first: the control under it got the click, unhandled
  const std::vector<Received> clicks = h.of(kEventClassControl, kEventControlClick);
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[1].clicks, 2u);
  EXPECT_EQ(std::make_tuple(h.of(kEventClassMouse, kEventMouseDragged).size(),
                            h.of(kEventClassMouse, kEventMouseUp).size(), h.of(kEventClassMouse, kEventMouseMoved).size()),
            std::make_tuple(1u, 2u, 1u));
  // in the control's coordinates, measured from its top as well
  HIPoint p = downs[0].local;
  ASSERT_EQ(HIViewConvertPoint(&p, nullptr, h.pane), noErr);
  EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(15.0, 40.0));
  const std::vector<Received> wheels = h.of(kEventClassMouse, kEventMouseWheelMoved);
  ASSERT_EQ(wheels.size(), 2u);
  const EventMouseWheelAxis x = kEventMouseWheelAxisX, y = kEventMouseWheelAxisY;
  EXPECT_EQ(std::make_pair(wheels[0].axis, wheels[0].delta), std::make_pair(y, -1));
  EXPECT_EQ(std::make_pair(wheels[1].axis, wheels[1].delta), std::make_pair(x, 1));

  // bounds changes and disposal reach the control; removed handlers hear nothing
  Rect moved = {10, 20, 263, 822}, back = {0, 0, 0, 0};
  SetControlBounds(h.pane, &moved);
  ASSERT_EQ(h.of(kEventClassControl, kEventControlBoundsChanged).size(), 1u);
  GetControlBounds(h.pane, &back);
  EXPECT_EQ(Box(back), Box(moved));
  // the same bounds again: no event
  SetControlBounds(h.pane, &moved);
  EXPECT_EQ(h.of(kEventClassControl, kEventControlBoundsChanged).size(), 1u);

  Rect resized = {50, 100, 303, 902}, got = {0, 0, 0, 0};
  EXPECT_EQ(SetWindowBounds(h.window, kWindowContentRgn, &resized), noErr);
  const NSSize content = ns->contentSize();
  EXPECT_EQ(std::make_pair(content.width, content.height), std::make_pair(802.0, 253.0));
  GetWindowBounds(h.window, kWindowContentRgn, &got);
  EXPECT_EQ(Box(got), Box(resized));

  EXPECT_EQ(RemoveEventHandler(h.windowHandler), noErr);
  EXPECT_EQ(RemoveEventHandler(h.windowHandler), paramErr);
  const size_t before = h.got.size();
  ns->handleHostMouseMotion(NSMakePoint(30, 30), 0, 2.0);
  EXPECT_EQ(h.got.size(), before);

  DisposeControl(h.pane);
  EXPECT_EQ(h.of(kEventClassControl, kEventControlDispose).size(), 1u);
  // the handler went with the control; removing it again is refused, not a crash
  EXPECT_EQ(RemoveEventHandler(h.controlHandler), paramErr);
}

TEST_F(Carbon, HandlersRunNewestFirstAndMayRemoveThemselvesWhileCalled)
{
  Rect bounds = {0, 0, 100, 100};
  WindowRef w = nullptr;
  ASSERT_EQ(CreateNewWindow(kPlainWindowClass, kWindowCompositingAttribute, &bounds, &w), noErr);
  const EventTypeSpec spec = {kEventClassMouse, kEventMouseMoved};
  // the remover is installed last, so runs first, removes itself and passes the event on
  struct
  {
    int counted = 0, removals = 0;
    EventHandlerRef counter = nullptr, remover = nullptr;
  } s;
  InstallEventHandler(
      GetWindowEventTarget(w),
      [](EventHandlerCallRef, EventRef, void* d) -> OSStatus { return ++static_cast<decltype(s)*>(d)->counted, noErr; },
      1, &spec, &s, &s.counter);
  InstallEventHandler(
      GetWindowEventTarget(w),
      [](EventHandlerCallRef call, EventRef e, void* d) -> OSStatus {
        ++static_cast<decltype(s)*>(d)->removals;
        RemoveEventHandler(static_cast<decltype(s)*>(d)->remover);
        return CallNextEventHandler(call, e);
      },
      1, &spec, &s, &s.remover);
  EventRef e = nullptr, other = nullptr;
  CreateEvent(nullptr, kEventClassMouse, kEventMouseMoved, 0, 0, &e);
  EXPECT_EQ(SendEventToEventTarget(e, GetWindowEventTarget(w)), noErr);
  EXPECT_EQ(SendEventToEventTarget(e, GetWindowEventTarget(w)), noErr);
  EXPECT_EQ(std::make_pair(s.removals, s.counted), std::make_pair(1, 2));
  // a kind nobody listens to is not handled
  CreateEvent(nullptr, kEventClassMouse, kEventMouseUp, 0, 0, &other);
  EXPECT_EQ(SendEventToEventTarget(other, GetWindowEventTarget(w)), eventNotHandledErr);
  ReleaseEvent(other);
  ReleaseEvent(e);
  RemoveEventHandler(s.counter);
  DisposeWindow(w);
}

TEST(CarbonEvent, ParametersConvertBetweenPointAndIntegerTypesAndRegionsKeepTheirBounds)
{
  EventRef e = nullptr;
  ASSERT_EQ(CreateEvent(nullptr, kEventClassMouse, kEventMouseDown, 0, 0, &e), noErr);
  const HIPoint p = {10.7, 250.2};
  SetEventParameter(e, kEventParamMouseLocation, typeHIPoint, sizeof p, &p);
  Point q = {0, 0};
  EventParamType actual = 0;
  ByteCount size = 0;
  EXPECT_EQ(GetEventParameter(e, kEventParamMouseLocation, typeQDPoint, &actual, sizeof q, &size, &q), noErr);
  EXPECT_EQ(std::make_pair(q.h, q.v), std::make_pair(SInt16(10), SInt16(250)));
  EXPECT_EQ(actual, OSType(typeQDPoint));
  EXPECT_EQ(size, sizeof(Point));
  const SInt32 delta = -3;
  SetEventParameter(e, kEventParamMouseWheelDelta, typeSInt32, sizeof delta, &delta);
  UInt32 asUnsigned = 0;
  SInt16 tooSmall = 0;
  EXPECT_EQ(Param(e, kEventParamMouseWheelDelta, typeUInt32, &asUnsigned), noErr);
  EXPECT_EQ(static_cast<SInt32>(asUnsigned), -3);
  EXPECT_EQ(Param(e, kEventParamMouseWheelDelta, typeSInt32, &tooSmall), paramErr);
  EXPECT_EQ(Param(e, kEventParamClickCount, typeUInt32, &asUnsigned), eventParameterNotFoundErr);
  EXPECT_EQ(GetEventParameter(e, kEventParamMouseLocation, typeCGContextRef, nullptr, 8, nullptr, &asUnsigned),
            paramErr);
  ReleaseEvent(e);

  // rectangle regions keep their bounds; empty ones are empty
  RgnHandle rgn = NewRgn();
  EXPECT_TRUE(EmptyRgn(rgn));
  Rect r = {20, 10, 40, 30}, b = {0, 0, 0, 0};
  RectRgn(rgn, &r);
  GetRegionBounds(rgn, &b);
  EXPECT_EQ(Box(b), Box(r));
  EXPECT_FALSE(EmptyRgn(rgn));
  SetRectRgn(rgn, 5, 5, 5, 10);
  EXPECT_TRUE(EmptyRgn(rgn));
  DisposeRgn(rgn);
  DisposeRgn(nullptr);
}
