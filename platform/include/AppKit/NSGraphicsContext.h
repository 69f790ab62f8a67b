#pragma once

// The drawing destination of AppKit drawing (string drawing) and of views' drawRect:
// a CoreGraphics context and whether its user space is flipped (origin at the top
// left, y downwards: the context's transform is expected to be set up that way; the
// flag tells text drawing which way is down).
//
// Threads: the current context belongs to the calling thread.

#include <CoreGraphics/CGContext.h>
#include <Foundation/NSObject.h>

class NSWindow;

class NSGraphicsContext : public NSObject
{
public:
  ~NSGraphicsContext() override;

  static NSGraphicsContext* currentContext();
  // Retains the new context; null clears.
  static void setCurrentContext(NSGraphicsContext* context);
  // Pushes the current context and its graphics state; restoreGraphicsState pops both.
  static void saveGraphicsState();
  static void restoreGraphicsState();

  // A context (autoreleased) drawing into a CGContextRef given as the port; null for a
  // null port.
  static NSGraphicsContext* graphicsContextWithGraphicsPort_flipped(void* graphicsPort, BOOL initialFlippedState);
  static NSGraphicsContext* graphicsContextWithWindow(NSWindow* window);

  // The CGContextRef.
  void* graphicsPort() const { return mPort; }
  CGContextRef CGContext() const { return mPort; }
  BOOL isFlipped() const { return mFlipped ? YES : NO; }
  void setShouldAntialias(BOOL flag);
  BOOL shouldAntialias() const;
  void flushGraphics();

private:
  NSGraphicsContext() = default;
  CGContextRef mPort = nullptr;
  bool mFlipped = false;
};
