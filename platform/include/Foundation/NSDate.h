#pragma once

// Points in time, in seconds since the reference date, read from the run loop clock
// (a clock that tests may replace; see NSRunLoop).

#include <Foundation/NSObject.h>

class NSDate : public NSObject
{
public:
  explicit NSDate(NSTimeInterval t = 0) : mTime(t) {}

  // Autoreleased.
  static NSDate* date();
  static NSDate* dateWithTimeIntervalSinceNow(NSTimeInterval seconds);
  static NSDate* distantFuture();
  NSTimeInterval timeIntervalSinceReferenceDate() const { return mTime; }
  NSTimeInterval timeIntervalSinceNow() const;

private:
  NSTimeInterval mTime;
};
