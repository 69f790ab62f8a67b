// The connection to the X11 server behind the windows: opened at first use when
// DISPLAY is set; without it windows are memory surfaces only.

#include "CocoaPrivate.h"
#include "CoreGraphicsPrivate.h"

#include <AppKit/NSApplication.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSRunLoop.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

namespace {

struct Connection
{
  Display* display = nullptr;
  Atom deleteWindow = 0;
  Atom protocols = 0;
  // our X11 windows and the numbers of the NSWindows they show
  std::map<Window, NSInteger> windows;
};

int IgnoreErrors(Display*, XErrorEvent*)
{
  // a host may destroy its window before ours; such errors are not fatal
  return 0;
}

Connection* Get()
{
  static Connection* connection = [] {
    Connection* c = new Connection;
    const char* name = std::getenv("DISPLAY");
    if (name && *name) c->display = XOpenDisplay(name);
    if (c->display) {
      XSetErrorHandler(&IgnoreErrors);
      c->deleteWindow = XInternAtom(c->display, "WM_DELETE_WINDOW", False);
      c->protocols = XInternAtom(c->display, "WM_PROTOCOLS", False);
    }
    return c;
  }();
  return connection;
}

NSUInteger Modifiers(unsigned int state)
{
  NSUInteger flags = 0;
  if (state & ShiftMask) flags |= NSShiftKeyMask;
  if (state & ControlMask) flags |= NSControlKeyMask;
  if (state & Mod1Mask) flags |= NSAlternateKeyMask;
  if (state & Mod4Mask) flags |= NSCommandKeyMask;
  if (state & LockMask) flags |= NSAlphaShiftKeyMask;
  return flags;
}

// Channel placement of a TrueColor visual: shift of the lowest bit and bit count.
void MaskShift(unsigned long mask, int& shift, int& bits)
{
  shift = 0;
  bits = 0;
  if (!mask) return;
  while (!(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  while (mask & 1) {
    mask >>= 1;
    ++bits;
  }
}

unsigned long Channel(int value, int shift, int bits)
{
  if (bits <= 0) return 0;
  const unsigned long v = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8)
                                    : static_cast<unsigned long>(value) >> (8 - bits);
  return v << shift;
}

bool Dispatch(Connection* c, XEvent& e)
{
  auto it = c->windows.find(e.xany.window);
  if (it == c->windows.end()) return false;
  NSWindow* window = NSWindow::windowWithWindowNumber(it->second);
  if (!window) return false;
  const CGFloat h = window->contentSize().height;
  switch (e.type) {
    case Expose:
      window->flushWindowRect(NSMakeRect(e.xexpose.x, h - e.xexpose.y - e.xexpose.height, e.xexpose.width,
                                         e.xexpose.height));
      return true;
    case ButtonPress:
    case ButtonRelease: {
      const NSPoint p = NSMakePoint(e.xbutton.x, h - e.xbutton.y);
      const NSUInteger flags = Modifiers(e.xbutton.state);
      const NSTimeInterval t = e.xbutton.time / 1000.0;
      const bool down = e.type == ButtonPress;
      switch (e.xbutton.button) {
        case Button1: window->handleHostMouseButton(0, down, p, flags, t); break;
        case Button2: window->handleHostMouseButton(2, down, p, flags, t); break;
        case Button3: window->handleHostMouseButton(1, down, p, flags, t); break;
        // wheel steps arrive as presses of buttons 4 (away) and 5 (towards), 6/7 sideways
        case Button4: if (down) window->handleHostScroll(p, 0, 1, flags, t); break;
        case Button5: if (down) window->handleHostScroll(p, 0, -1, flags, t); break;
        case 6: if (down) window->handleHostScroll(p, 1, 0, flags, t); break;
        case 7: if (down) window->handleHostScroll(p, -1, 0, flags, t); break;
        default: break;
      }
      return true;
    }
    case MotionNotify:
      window->handleHostMouseMotion(NSMakePoint(e.xmotion.x, h - e.xmotion.y), Modifiers(e.xmotion.state),
                                    e.xmotion.time / 1000.0);
      return true;
    case ClientMessage:
      if (static_cast<Atom>(e.xclient.data.l[0]) == c->deleteWindow) {
        window->orderOut(nullptr);
        if (NSApp->isRunning()) NSApp->stop(nullptr);
        return true;
      }
      return false;
    default: return false;
  }
}

}  // namespace

namespace cocoapriv {

bool WindowSystemConnected()
{
  return Get()->display != nullptr;
}

bool PumpWindowSystem(double timeout)
{
  Connection* c = Get();
  if (!c->display) {
    if (timeout > 0 && !NSRunLoop::usesManualClock())
      std::this_thread::sleep_for(std::chrono::duration<double>(timeout));
    return false;
  }
  if (XPending(c->display) == 0 && timeout > 0) {
    pollfd fd = {ConnectionNumber(c->display), POLLIN, 0};
    const double ms = timeout * 1000.0;
    poll(&fd, 1, ms > 2147483647.0 ? -1 : static_cast<int>(ms + 0.999));
  }
  bool handled = false;
  while (XPending(c->display) > 0) {
    XEvent e;
    XNextEvent(c->display, &e);
    // deliver only the newest of consecutive motion events
    if (e.type == MotionNotify)
      while (XCheckTypedWindowEvent(c->display, e.xmotion.window, MotionNotify, &e)) {
      }
    handled = Dispatch(c, e) || handled;
  }
  return handled;
}

unsigned long X11CreateWindow(NSWindow* owner, int w, int h, unsigned long parent)
{
  Connection* c = Get();
  if (!c->display || !owner || w <= 0 || h <= 0) return 0;
  const int screen = DefaultScreen(c->display);
  const Window p = parent ? static_cast<Window>(parent) : RootWindow(c->display, screen);
  const Window win = XCreateSimpleWindow(c->display, p, 0, 0, w, h, 0, BlackPixel(c->display, screen),
                                         BlackPixel(c->display, screen));
  if (!win) return 0;
  XSelectInput(c->display, win,
               ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask);
  if (!parent) {
    XSetWMProtocols(c->display, win, &c->deleteWindow, 1);
    // a fixed-size window: minimum and maximum size are the content size
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
      hints->flags = PMinSize | PMaxSize;
      hints->min_width = hints->max_width = w;
      hints->min_height = hints->max_height = h;
      XSetWMNormalHints(c->display, win, hints);
      XFree(hints);
    }
  }
  c->windows[win] = owner->windowNumber();
  XFlush(c->display);
  return win;
}

void X11DestroyWindow(unsigned long window)
{
  Connection* c = Get();
  if (!c->display || !window) return;
  c->windows.erase(window);
  XDestroyWindow(c->display, window);
  XFlush(c->display);
}

void X11ShowWindow(unsigned long window, bool show)
{
  Connection* c = Get();
  if (!c->display || !window) return;
  if (show) XMapRaised(c->display, window);
  else XUnmapWindow(c->display, window);
  XFlush(c->display);
}

void X11ResizeWindow(unsigned long window, int w, int h)
{
  Connection* c = Get();
  if (!c->display || !window || w <= 0 || h <= 0) return;
  XResizeWindow(c->display, window, w, h);
  XFlush(c->display);
}

void X11SetTitle(unsigned long window, const char* title)
{
  Connection* c = Get();
  if (!c->display || !window || !title) return;
  XStoreName(c->display, window, title);
  XFlush(c->display);
}

bool X11QuerySize(unsigned long window, int& w, int& h)
{
  Connection* c = Get();
  if (!c->display || !window) return false;
  XWindowAttributes a;
  if (!XGetWindowAttributes(c->display, window, &a)) return false;
  w = a.width;
  h = a.height;
  return true;
}

void X11PutImage(unsigned long window, CGContext* backing, int x, int row, int w, int h)
{
  Connection* c = Get();
  if (!c->display || !window || !backing || w <= 0 || h <= 0) return;
  if (x < 0 || row < 0 || x + w > backing->width || row + h > backing->height) return;
  const int screen = DefaultScreen(c->display);
  Visual* visual = DefaultVisual(c->display, screen);
  const int depth = DefaultDepth(c->display, screen);
  if (visual->c_class != TrueColor && visual->c_class != DirectColor) return;
  int rs, rb, gs, gb, bs, bb;
  MaskShift(visual->red_mask, rs, rb);
  MaskShift(visual->green_mask, gs, gb);
  MaskShift(visual->blue_mask, bs, bb);
  char* data = static_cast<char*>(std::malloc(static_cast<size_t>(w) * h * 4));
  if (!data) return;
  XImage* image = XCreateImage(c->display, visual, depth, ZPixmap, 0, data, w, h, 32, 0);
  if (!image) {
    std::free(data);
    return;
  }
  for (int y = 0; y < h; ++y) {
    const unsigned char* src = backing->data + static_cast<size_t>(row + y) * backing->bytesPerRow + x * 4;
    for (int i = 0; i < w; ++i, src += 4)
      XPutPixel(image, i, y, Channel(src[1], rs, rb) | Channel(src[2], gs, gb) | Channel(src[3], bs, bb));
  }
  XPutImage(c->display, window, DefaultGC(c->display, screen), image, 0, 0, x, row, w, h);
  XDestroyImage(image);
  XFlush(c->display);
}

}  // namespace cocoapriv
