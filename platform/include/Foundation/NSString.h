#pragma once

// Immutable UTF-8 text. Drawing methods (drawWithRect_options_attributes, ...) are
// declared in <AppKit/NSStringDrawing.h> and defined by the AppKit half.

#include <Foundation/NSObject.h>
#include <Foundation/NSGeometry.h>
#include <CoreFoundation/CFString.h>

#include <string>

class NSDictionary;

typedef NSUInteger NSStringDrawingOptions;
enum {
  NSStringDrawingTruncatesLastVisibleLine = 1 << 5,
  NSStringDrawingUsesLineFragmentOrigin = 1 << 0,
  NSStringDrawingUsesFontLeading = 1 << 1,
  NSStringDrawingDisableScreenFontSubstitution = 1 << 2,
  NSStringDrawingUsesDeviceMetrics = 1 << 3,
  NSStringDrawingOneShot = 1 << 4
};

class NSString : public NSObject
{
public:
  NSString() = default;
  explicit NSString(const char* utf8) : mText(utf8 ? utf8 : "") {}

  // Autoreleased; null for a null argument.
  static NSString* stringWithUTF8String(const char* utf8);
  NSString* initWithUTF8String(const char* utf8);
  // Bridging with CoreFoundation strings (the platform's toll-free casts): an
  // autoreleased copy of a CFString (null for null), and a new CFString the caller
  // releases.
  static NSString* stringWithCFString(CFStringRef string);
  CFStringRef copyCFString() const;

  const char* UTF8String() const { return mText.c_str(); }
  NSUInteger length() const { return mText.size(); }
  BOOL isEqualToString(const NSString* other) const;
  // The last path component and the path without it ("a/b/c.png" gives "c.png", "a/b").
  NSString* lastPathComponent() const;
  NSString* stringByDeletingLastPathComponent() const;
  NSString* stringByDeletingPathExtension() const;
  NSString* pathExtension() const;

  NSString* description() override { return this; }

  // Draws one line of text into the current graphics context (AppKit).
  void drawWithRect_options_attributes(NSRect rect, NSStringDrawingOptions options, NSDictionary* attributes);
  void drawAtPoint_withAttributes(NSPoint point, NSDictionary* attributes);
  NSSize sizeWithAttributes(NSDictionary* attributes);

private:
  std::string mText;
};

// A constant string for code that writes @"..." on the platform: NSSTR("Kelvo View").
// The returned object lives as long as the process and ignores release.
NSString* NSStringConstant(const char* utf8);

// The class registered under a CoreFoundation string, as a host reads the class name
// from an audio unit's Cocoa view info.
Class NSClassFromString(CFStringRef name);
#define NSSTR(text) NSStringConstant(text)
