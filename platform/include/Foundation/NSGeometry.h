#pragma once

// Points, sizes and rectangles in Cocoa's bottom-left coordinates (y upwards), the same
// records as CoreGraphics'.

#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>

typedef CGPoint NSPoint;
typedef CGSize NSSize;
typedef CGRect NSRect;

inline NSPoint NSMakePoint(CGFloat x, CGFloat y) { return CGPointMake(x, y); }
inline NSSize NSMakeSize(CGFloat w, CGFloat h) { return CGSizeMake(w, h); }
inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return CGRectMake(x, y, w, h); }
inline CGFloat NSMinX(NSRect r) { return CGRectGetMinX(r); }
inline CGFloat NSMinY(NSRect r) { return CGRectGetMinY(r); }
inline CGFloat NSMaxX(NSRect r) { return CGRectGetMaxX(r); }
inline CGFloat NSMaxY(NSRect r) { return CGRectGetMaxY(r); }
inline CGFloat NSWidth(NSRect r) { return r.size.width; }
inline CGFloat NSHeight(NSRect r) { return r.size.height; }
inline BOOL NSIsEmptyRect(NSRect r) { return CGRectIsEmpty(r) ? YES : NO; }
inline BOOL NSPointInRect(NSPoint p, NSRect r)
{
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y >= NSMinY(r) && p.y < NSMaxY(r) ? YES : NO;
}
inline NSRect NSIntersectionRect(NSRect a, NSRect b) { return CGRectIntersection(a, b); }
inline NSRect NSUnionRect(NSRect a, NSRect b) { return CGRectUnion(a, b); }
inline BOOL NSEqualRects(NSRect a, NSRect b) { return CGRectEqualToRect(a, b) ? YES : NO; }
static const NSRect NSZeroRect = {{0, 0}, {0, 0}};
