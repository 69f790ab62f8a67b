#pragma once

// The native context of a drawing context of the GDI layer: a bitmap context over the
// memory context's pixels (alpha byte ignored, so the surface copies to a window as
// opaque), its transform flipped so that user space has its origin at the top left
// and y downwards, as GDI coordinates have. Made at the first request, attached to the
// drawing context and released with it.

#include <CoreGraphics/CGContext.h>

struct GDI_Context;

// The drawing context's bitmap context (not retained for the caller); null for a null
// or pixel-less drawing context.
CGContextRef CGContextGetForGDIContext(GDI_Context* hdc);
