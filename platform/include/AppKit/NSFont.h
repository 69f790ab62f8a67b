#pragma once

// Fonts by name and point size, found through fontconfig (a name the system lacks is
// matched to its closest installed family: "Arial" gives Liberation Sans) and rendered
// with FreeType. One point is one pixel, as on a 72 dpi screen. A PostScript-style
// suffix selects the style: "Arial-Bold", "Arial-Italic", "Arial-BoldItalic".
//
// Threads: a font object is used by one thread at a time.

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <string>

class NSFont : public NSObject
{
public:
  ~NSFont() override;

  // Autoreleased; null for a null name, a negative size or no usable font file. A
  // size of 0 gives the default size, 12 points.
  static NSFont* fontWithName_size(NSString* fontName, CGFloat fontSize);
  static NSFont* systemFontOfSize(CGFloat fontSize);

  // The name asked for, the family found, the font file.
  NSString* fontName() const;
  NSString* familyName() const;
  const char* filePath() const { return mPath.c_str(); }
  CGFloat pointSize() const { return mSize; }
  // Distances from the baseline in points: up (positive) and down (negative).
  CGFloat ascender() const;
  CGFloat descender() const;

  // The FreeType face (FT_Face) at this size.
  void* face() const { return mFace; }

private:
  NSFont() = default;
  std::string mName;
  std::string mFamily;
  std::string mPath;
  CGFloat mSize = 12;
  void* mFace = nullptr;
};
