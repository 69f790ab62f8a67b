#pragma once

// Run loops and timers. Every thread has one run loop (created at first use); timers
// added to it fire on that thread while it runs. A pass of the loop fires the timers
// that are due, delivers window-system events, redraws the windows that need display
// and drains the fallback autorelease pool; then it waits (for the next timer, an event
// or the time limit).
//
// Clock. Every loop reads one process-wide clock, in seconds since the reference date.
// Tests switch to a manual clock (NSRunLoop::useManualClock): it moves only when a run
// loop waits (it then jumps to the next timer's fire date or the time limit, without
// sleeping) or when advanceTime moves it, so timers fire at exact, repeatable times
// without a display or real waiting.

#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

class NSTimer;

// Mode names. A timer added for NSRunLoopCommonModes fires in each of the common modes
// (default, event tracking, modal panel).
extern NSString* const NSDefaultRunLoopMode;
extern NSString* const NSRunLoopCommonModes;
extern NSString* const NSEventTrackingRunLoopMode;
extern NSString* const NSModalPanelRunLoopMode;

class NSRunLoop : public NSObject
{
public:
  // The calling thread's run loop (not retained for the caller).
  static NSRunLoop* currentRunLoop();
  // The run loop of the thread that first asked for a run loop or made a window.
  static NSRunLoop* mainRunLoop();

  // Retains the timer until it is invalidated; a timer already in this loop gains the
  // mode. An invalid timer or null argument is ignored.
  void addTimer_forMode(NSTimer* timer, NSString* mode);
  void addTimer_forMode(NSTimer* timer, CFStringRef mode);

  // Runs passes in the default mode until stop() (or NSApplication stop).
  void run();
  // Runs passes until the date has passed or stop() is called.
  void runUntilDate(NSDate* limitDate);
  // Runs one pass in the mode, waiting at most until the date for something to do.
  // Returns NO when the mode has no timers and no window system connection.
  BOOL runMode_beforeDate(NSString* mode, NSDate* limitDate);
  // One pass in the default mode waiting at most `timeout` seconds; returns whether
  // a timer fired, an event was delivered or a window was redrawn.
  BOOL runOnce(NSTimeInterval timeout);
  // Ends run() / runUntilDate() after the current pass.
  void stop();

  // The fire date of the earliest valid timer of the mode, or a huge value when none.
  NSTimeInterval nextFireTime(NSString* mode = nullptr) const;
  NSUInteger timerCount() const { return mTimers.size(); }

  // The clock. now(): the current time in seconds since the reference date.
  static NSTimeInterval now();
  // Switches to the manual clock, set to `start`.
  static void useManualClock(NSTimeInterval start);
  // Switches back to the system's real-time clock.
  static void useSystemClock();
  static BOOL usesManualClock();
  // Manual clock only: moves the clock forward by `seconds`, stepping through every
  // timer fire date of this loop on the way and running a pass at each (so a 1/24 s
  // timer fires 12 times in advanceTime(0.5)), then a final pass at the end time.
  void advanceTime(NSTimeInterval seconds);

  ~NSRunLoop() override;

private:
  friend class NSTimer;
  NSRunLoop() = default;
  void removeTimer(NSTimer* timer);
  NSTimeInterval nextFireTimeIn(const std::string& mode) const;
  // Fires the due timers of the mode; returns how many fired.
  int fireDueTimers(const std::string& mode);
  BOOL pass(const std::string& mode, NSTimeInterval limit, bool mayWait);

  std::vector<NSTimer*> mTimers;
  bool mStopped = false;
  int mDepth = 0;
};

class NSTimer : public NSObject
{
public:
  // What a timer sends when it fires: the timer itself as the argument, as a selector
  // of the form -onTimer:(NSTimer*) receives it.
  typedef std::function<void(NSTimer*)> Action;

  // A timer (autoreleased, not yet in a run loop) that calls `action` every `seconds`
  // (repeating) or once. The target is retained until the timer is invalidated, as
  // Cocoa does; it may be null. Intervals of 0 or less become 0.1 ms.
  static NSTimer* timerWithTimeInterval_target_selector_userInfo_repeats(NSTimeInterval seconds, NSObject* target,
                                                                         Action action, NSObject* userInfo,
                                                                         BOOL repeats);
  // The same with a member function of the target as the selector:
  // timerWith...(1.0 / 24, view, &MyView::onTimer, nil, YES).
  template <class T>
  static NSTimer* timerWithTimeInterval_target_selector_userInfo_repeats(NSTimeInterval seconds, T* target,
                                                                         void (T::*selector)(NSTimer*),
                                                                         NSObject* userInfo, BOOL repeats)
  {
    return timerWithTimeInterval_target_selector_userInfo_repeats(
        seconds, static_cast<NSObject*>(target), Action([target, selector](NSTimer* t) { (target->*selector)(t); }),
        userInfo, repeats);
  }
  // As above, and added to the current run loop in the default mode.
  static NSTimer* scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(NSTimeInterval seconds,
                                                                                  NSObject* target, Action action,
                                                                                  NSObject* userInfo, BOOL repeats);
  template <class T>
  static NSTimer* scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(NSTimeInterval seconds, T* target,
                                                                                  void (T::*selector)(NSTimer*),
                                                                                  NSObject* userInfo, BOOL repeats)
  {
    NSTimer* t = timerWithTimeInterval_target_selector_userInfo_repeats(seconds, target, selector, userInfo, repeats);
    if (t) NSRunLoop::currentRunLoop()->addTimer_forMode(t, NSDefaultRunLoopMode);
    return t;
  }

  // Stops the timer for good: removes it from its run loop and releases the target and
  // user info. Safe to call from the timer's own action.
  void invalidate();
  BOOL isValid() const { return mValid ? YES : NO; }
  // Sends the action now without changing the schedule (a non-repeating timer is
  // invalidated afterwards).
  void fire();
  NSTimeInterval timeInterval() const { return mInterval; }
  NSObject* userInfo() const { return mUserInfo; }
  NSTimeInterval fireTime() const { return mFireTime; }
  // Autoreleased.
  NSDate* fireDate() const;
  void setFireDate(NSDate* date);

  ~NSTimer() override;

private:
  friend class NSRunLoop;
  NSTimer() = default;

  NSTimeInterval mInterval = 0;
  NSTimeInterval mFireTime = 0;
  bool mRepeats = false;
  bool mValid = true;
  Action mAction;
  NSObject* mTarget = nullptr;
  NSObject* mUserInfo = nullptr;
  NSRunLoop* mLoop = nullptr;
  std::set<std::string> mModes;
};
