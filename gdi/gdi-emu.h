#pragma once

// Drawing contexts. A memory context owns a block of 32-bit pixels, top row first,
// row span equal to its width, bytes alpha, red, green, blue in memory. System bitmaps
// of the raster library take their pixels from such a context; the platform layer
// attaches a native graphics context to it (to draw text into the pixels and to copy
// them to a window) and the context releases that native context with itself.

struct GDI_Context;
typedef GDI_Context* GDI_HDC;

// Creates a memory context of w x h pixels, cleared to zero. The reference context is
// accepted for symmetry with screen-compatible contexts and may be null. Returns null
// when w or h is not positive or memory is exhausted.
GDI_HDC GDI_CreateMemContext(GDI_HDC reference, int w, int h);

// Deletes the context, its pixels and any native context attached to it. Null is ignored.
void GDI_DeleteGfxContext(GDI_HDC ctx);

// The first pixel (64-byte aligned), or null for a null context.
void* GDI_GetCtxFrameBuffer(GDI_HDC ctx);

int GDI_GetCtxWidth(GDI_HDC ctx);
int GDI_GetCtxHeight(GDI_HDC ctx);
// Row span in pixels.
int GDI_GetCtxRowSpan(GDI_HDC ctx);

// The native graphics context the platform attached, or null.
void* GDI_GetCtxNativeContext(GDI_HDC ctx);
// Attaches a native context; `release` is called on it when the context is deleted or
// another native context is attached. Passing null detaches (and releases) the old one.
void GDI_SetCtxNativeContext(GDI_HDC ctx, void* native, void (*release)(void* native));
