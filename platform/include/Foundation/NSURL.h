#pragma once

// Links: web addresses and file locations.

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <string>

class NSURL : public NSObject
{
public:
  // Autoreleased. Null for null or empty text, or text with spaces, control
  // characters or any of < > " { } | \ ^ ` (which a link cannot hold unescaped).
  static NSURL* URLWithString(NSString* text);
  // A file link for a path (made absolute against the working folder); null for null
  // or empty paths.
  static NSURL* fileURLWithPath(NSString* path);

  NSString* absoluteString() const;
  // The scheme ("http", "file", ...) or empty; the path of a file link.
  NSString* scheme() const;
  NSString* path() const;
  BOOL isFileURL() const;

private:
  NSURL() = default;
  std::string mText;
};
