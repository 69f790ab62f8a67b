#pragma once

// Drawing strings into the current graphics context (NSString's drawing methods):
// the text is laid out as one line (up to the first line break) in the font of the
// attributes (default 12-point Helvetica), its top at the top of the rectangle (the
// rectangle's origin in a flipped context, its maximum y otherwise) and aligned within
// the rectangle's width by the paragraph style. Glyphs are blended in the foreground
// colour (default black), anti-aliased unless the context's anti-aliasing is off (then
// FreeType's monochrome rendering). Text is not clipped to the rectangle, only to the
// context's clip.

#include <AppKit/NSColor.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSParagraphStyle.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>

// Attribute names of the attributes dictionary.
extern NSString* const NSFontAttributeName;
extern NSString* const NSForegroundColorAttributeName;
extern NSString* const NSParagraphStyleAttributeName;
