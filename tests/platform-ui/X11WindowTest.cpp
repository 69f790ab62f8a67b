// On screen: a window on a virtual X server of the test's own (Xvfb, when installed).

#include "Pixels.h"

#include <AppKit/AppKit.h>

#include <gtest/gtest.h>

#include "VirtualServer.h"

// after the test framework: Xlib defines macros (None, Bool) that clash with it
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {


class Painter : public NSView
{
public:
  BOOL isOpaque() override { return YES; }
  void drawRect(NSRect) override
  {
    CGContextRef c = NSGraphicsContext::currentContext()->CGContext();
    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
    CGContextFillRect(c, bounds());
    // a red band along the bottom 8 rows
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, bounds().size.width, 8));
  }
  void mouseDown(NSEvent* e) override { downs.push_back(e->locationInWindow()); }
  void scrollWheel(NSEvent* e) override { wheel += e->deltaY(); }
  std::vector<NSPoint> downs;
  CGFloat wheel = 0;
};

void Pump(double seconds)
{
  NSAutoreleasePool pool;
  NSRunLoop::currentRunLoop()->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(seconds));
}

void SendButton(Display* d, Window w, unsigned button, int x, int y)
{
  XEvent e = {};
  for (int type : {ButtonPress, ButtonRelease}) {
    e.xbutton = {type, 0, False, d, w, 0, 0, 0, x, y, 0, 0, 0, button, True};
    XSendEvent(d, w, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
  }
  XFlush(d);
}

}  // namespace

TEST(X11Window, ShowsTheViewPixelsAndDeliversButtonsAsEvents)
{
  VirtualServer server("320x240x24");
  if (server.display().empty()) GTEST_SKIP() << "no Xvfb";
  setenv("DISPLAY", server.display().c_str(), 1);
  NSAutoreleasePool pool;
  NSWindow* window = new NSWindow;
  window->initWithContentRect_styleMask_backing_defer(NSMakeRect(0, 0, 64, 32), NSTitledWindowMask,
                                                      NSBackingStoreBuffered, NO);
  ASSERT_NE(window->nativeWindow(), 0u);
  Painter* view = new Painter;
  view->initWithFrame(NSMakeRect(0, 0, 64, 32));
  window->contentView()->addSubview(view);
  view->release();
  window->makeKeyAndOrderFront(nil);
  Pump(0.3);

  Display* d = XOpenDisplay(server.display().c_str());
  ASSERT_NE(d, nullptr);
  const Window xw = window->nativeWindow();
  XImage* image = XGetImage(d, xw, 0, 0, 64, 32, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  ExpectPixels([image](int x, int y) { return uint32_t(XGetPixel(image, x, y) & 0xFFFFFF); },
               {{5, 0, 0x0000FFu}, {5, 23, 0x0000FFu}, {5, 24, 0xFF0000u}, {63, 31, 0xFF0000u}});
  XDestroyImage(image);

  // a press 3 pixels from the top is 29 up from the bottom in the window
  for (unsigned button : {Button1, Button4, Button5, Button4}) SendButton(d, xw, button, 10, 3);
  Pump(0.3);
  ASSERT_EQ(view->downs.size(), 1u);
  EXPECT_EQ(std::make_pair(view->downs[0].x, view->downs[0].y), std::make_pair(10.0, 29.0));
  EXPECT_EQ(view->wheel, 1);
  XCloseDisplay(d);
  window->release();
}
