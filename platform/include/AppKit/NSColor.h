#pragma once

// Colours: red, green, blue and alpha components from 0 to 1 (values outside are
// clamped).

#include <Foundation/NSObject.h>
#include <CoreGraphics/CGGeometry.h>

class NSColor : public NSObject
{
public:
  // Autoreleased.
  static NSColor* colorWithCalibratedRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* colorWithDeviceRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* blackColor();
  static NSColor* whiteColor();

  CGFloat redComponent() const { return mRGBA[0]; }
  CGFloat greenComponent() const { return mRGBA[1]; }
  CGFloat blueComponent() const { return mRGBA[2]; }
  CGFloat alphaComponent() const { return mRGBA[3]; }
  // Makes this the fill colour of the current graphics context.
  void set();
  void setFill();

private:
  NSColor() = default;
  CGFloat mRGBA[4] = {0, 0, 0, 1};
};
