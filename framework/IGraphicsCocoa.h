#pragma once

#include "IGraphicsStructs.h"

#include <AppKit/AppKit.h>

class IGraphicsMac;

// The Cocoa view that shows an editor: a repeating timer asks the editor what changed and
// invalidates it, the window's draw pass has the editor repaint and copy its surface, and
// mouse and wheel events reach the editor in its coordinates (origin top left, y down;
// the view's run from the bottom left, y up).
//
// Ownership: the superview (or the host that embeds it) owns the view, the timer holds it
// while it runs; the editor keeps a plain reference. The link is broken from either side:
// the editor's CloseWindow or the host's removeFromSuperview stops the timer and detaches
// the view, so the editor never paints into a view that has gone.
//
// Threads: the main (user-interface) thread only; the timer and every message arrive there.
class IGraphicsCocoa_v1003_kelvo : public NSView
{
public:
  // Keeps the editor, takes its size as the frame and starts the repaint timer (period
  // 1 / frames per second, in the common run-loop modes so that it also fires while the
  // host tracks menus or drags). Returns this.
  IGraphicsCocoa_v1003_kelvo* initWithIGraphics(IGraphicsMac* pGraphics);
  ~IGraphicsCocoa_v1003_kelvo() override;

  BOOL isOpaque() override { return YES; }
  BOOL acceptsFirstResponder() override { return YES; }
  BOOL acceptsFirstMouse(NSEvent*) override { return YES; }
  // In a window: becomes its first responder and asks it for mouse-moved events.
  void viewDidMoveToWindow() override;

  // Only the view's own timer, and only while an editor is attached: invalidates the
  // editor's dirty rectangle.
  void onTimer(NSTimer* pTimer);
  // Has the editor repaint the rectangle and copy its surface into the view.
  void drawRect(NSRect rect) override;

  void mouseDown(NSEvent* pEvent) override;
  void mouseUp(NSEvent* pEvent) override;
  void mouseDragged(NSEvent* pEvent) override;
  void mouseMoved(NSEvent* pEvent) override;
  // The vertical delta truncated toward zero.
  void scrollWheel(NSEvent* pEvent) override;

  // Invalidates and forgets the timer.
  void killTimer();
  // While attached: detaches and has the editor close its window; then leaves the superview.
  void removeFromSuperview() override;

  // The editor shown, null once detached; the repaint timer, null once stopped.
  IGraphicsMac* graphics() const { return mGraphics; }
  NSTimer* timer() const { return mTimer; }
  // Breaks the view's side of the link (the editor's CloseWindow calls it).
  void detach() { mGraphics = nullptr; }

  // Conversions with H the editor height: view point to editor point (x = trunc(px),
  // y = H - trunc(py)); editor rectangle to view rectangle and back.
  static void ToEditorPoint(NSPoint p, int h, int* pX, int* pY);
  static NSRect ToViewRect(const IRECT* pR, int h);
  static IRECT ToEditorRect(NSRect r, int h);
  // Left button always; right for the right-button flag 0x8 or the command key; shift,
  // control and alt from their key masks.
  static IMouseMod ToMouseMod(NSUInteger flags);

private:
  // The event's location in editor coordinates and its modifiers.
  void GetMouse(NSEvent* pEvent, int* pX, int* pY, IMouseMod* pMod);

  IGraphicsMac* mGraphics = nullptr;
  NSTimer* mTimer = nullptr;
};
