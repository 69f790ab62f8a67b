#pragma once

// Inside the platform library: the hooks between the run loop, the windows and the
// window-system connection.

namespace cocoapriv {

// Delivers pending window-system events; waits up to `timeout` seconds for the first
// one (0: no waiting). Returns whether any was delivered. Without a connection it
// sleeps for the timeout (real clock only) and returns false.
bool PumpWindowSystem(double timeout);
// Whether a window-system connection is open (DISPLAY set and reachable).
bool WindowSystemConnected();
// Redraws every window of the calling thread that needs display; returns whether any
// view was drawn.
bool DisplayWindowsIfNeeded();
// Releases the objects autoreleased outside any pool on this thread.
void DrainFallbackPool();

}  // namespace cocoapriv

class NSWindow;
struct CGContext;

namespace cocoapriv {

// X11 windows (all return 0 / false without a connection). `parent` 0 makes a
// top-level window.
unsigned long X11CreateWindow(NSWindow* owner, int w, int h, unsigned long parent);
void X11DestroyWindow(unsigned long window);
void X11ShowWindow(unsigned long window, bool show);
void X11ResizeWindow(unsigned long window, int w, int h);
void X11SetTitle(unsigned long window, const char* title);
bool X11QuerySize(unsigned long window, int& w, int& h);
// Copies the backing store's pixels [x, x + w) x [row, row + h) (rows from the top) to
// the window at the same place.
void X11PutImage(unsigned long window, CGContext* backing, int x, int row, int w, int h);

}  // namespace cocoapriv
