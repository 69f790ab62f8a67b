#pragma once

#include <Carbon/Carbon.h>

class IGraphicsMac;

// Shows an editor in a Carbon window, for hosts that use the Carbon view component: a
// user-pane control of the editor's size, embedded in the host's parent control (or the
// window's content), a repeating event-loop timer that invalidates what changed (period
// 2 / frames per second), the control's draw events that have the editor repaint and copy
// its surface, and the window's mouse events routed to the editor in control coordinates.
//
// Works in compositing windows (the control draws into the context its draw event gives)
// and in non-compositing ones (the control draws through the window's port at once).
//
// The host owns the window and, once created, the control; this object owns the timer,
// the two handlers and the clip region. When the host disposes of the control first, the
// timer stops and nothing touches the control or window again.
//
// Threads: the main (user-interface) thread only.
class IGraphicsCarbon
{
public:
  // Builds the control in pWindow under pParentControl (null: the window's content view
  // in a compositing window, else its root control, created if missing). GetView() is
  // null when the window refused the control.
  IGraphicsCarbon(IGraphicsMac* pGraphicsMac, WindowRef pWindow, ControlRef pParentControl);
  // Removes the timer and both handlers and disposes of the clip region; the control
  // stays with the host.
  ~IGraphicsCarbon();

  ControlRef GetView() const { return mView; }
  WindowRef GetWindow() const { return mWindow; }
  bool IsCompositing() const { return mIsComposited; }
  // The drawing context of the draw event being handled, null outside one.
  CGContextRef GetCGContext() const { return mCGC; }
  // Where the editor's top-left corner lies in that context's coordinates, for the copy
  // of the surface: (0, 0) in a compositing window (the context is the control's, flipped
  // to y up); in a non-compositing one the control's place in the window's port (y up).
  int GetContentXOffset() const { return mContentXOffset; }
  int GetContentYOffset() const { return mContentYOffset; }
  // The last region the timer asked to redraw (window coordinates), non-compositing only.
  RgnHandle GetClipRegion() const { return mRgn; }

  // The window's content grows to w x h from its top-left corner and the control's frame
  // becomes (0, 0, w, h); nothing without a window and control.
  void Resize(int w, int h);

private:
  IGraphicsCarbon(const IGraphicsCarbon&) = delete;
  IGraphicsCarbon& operator=(const IGraphicsCarbon&) = delete;

  static OSStatus ControlHandler(EventHandlerCallRef pCall, EventRef pEvent, void* pData);
  static OSStatus WindowHandler(EventHandlerCallRef pCall, EventRef pEvent, void* pData);
  static void TimerHandler(EventLoopTimerRef pTimer, void* pData);

  OSStatus OnDraw(EventRef pEvent);
  OSStatus OnMouse(EventHandlerCallRef pCall, EventRef pEvent);
  void OnTimer();
  // The host disposed of the control (or its window): forget both, stop the timer.
  void OnDispose();
  void StopTimer();

  IGraphicsMac* mGraphicsMac;
  bool mIsComposited = false;
  int mContentXOffset = 0, mContentYOffset = 0;
  RgnHandle mRgn = nullptr;
  WindowRef mWindow = nullptr;
  ControlRef mView = nullptr;
  EventLoopTimerRef mTimer = nullptr;
  EventHandlerRef mControlHandler = nullptr;
  EventHandlerRef mWindowHandler = nullptr;
  CGContextRef mCGC = nullptr;
};
