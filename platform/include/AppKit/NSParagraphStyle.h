#pragma once

// Paragraph attributes of drawn text: the horizontal alignment of lines in their
// rectangle.

#include <Foundation/NSObject.h>

typedef NSUInteger NSTextAlignment;
enum {
  NSLeftTextAlignment = 0,
  NSRightTextAlignment = 1,
  NSCenterTextAlignment = 2,
  NSJustifiedTextAlignment = 3,
  NSNaturalTextAlignment = 4
};

class NSParagraphStyle : public NSObject
{
public:
  // The shared default style (natural alignment: left); not retained for the caller.
  static NSParagraphStyle* defaultParagraphStyle();
  NSTextAlignment alignment() const { return mAlignment; }

protected:
  NSTextAlignment mAlignment = NSNaturalTextAlignment;
};

class NSMutableParagraphStyle : public NSParagraphStyle
{
public:
  NSMutableParagraphStyle* init() { return this; }
  void setAlignment(NSTextAlignment alignment) { mAlignment = alignment; }
};
