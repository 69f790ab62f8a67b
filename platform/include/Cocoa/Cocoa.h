#pragma once

// The Cocoa stand-in: Foundation and AppKit as C++ classes that keep the SDK's names.
//
// Reading Objective-C as C++:
// - [[NSView alloc] initWithFrame:r]       new NSView, then ->initWithFrame(r)
//   (subclasses: class MyView : public NSView, overriding the virtual methods;
//   call NSView::method where the original sends the message to super)
// - [view convertPoint:p fromView:nil]     view->convertPoint_fromView(p, nil)
// - [obj release], [obj autorelease]       obj->release(), obj->autorelease()
// - @"text"                                NSSTR("text")
// - @selector(onTimer:) on target t        a member function pointer &T::onTimer taking
//   (NSTimer*), or any callable: NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(
//   1.0 / 24, view, &MyView::onTimer, nil, YES)
// - NSClassFromString(name)                the class registry (NSClassRegistration)
//
// Off-screen use and tests: without DISPLAY, windows are memory surfaces; the run loop
// runs step by step (NSRunLoop::runOnce) and, with the manual clock
// (NSRunLoop::useManualClock, advanceTime), fires timers at exact times; window input can
// be injected with NSWindow::handleHostMouseButton / handleHostMouseMotion /
// handleHostScroll or sendEvent, and the pixels read from NSWindow::backingContext.

#include <Foundation/Foundation.h>
#include <AppKit/AppKit.h>
