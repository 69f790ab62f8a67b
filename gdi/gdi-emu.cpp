#include "gdi-emu.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

struct GDI_Context
{
  int mWidth = 0;
  int mHeight = 0;
  void* mPixels = nullptr;
  void* mNative = nullptr;
  void (*mReleaseNative)(void*) = nullptr;
};

namespace {

constexpr size_t kPixelAlignment = 64;

void ReleaseNative(GDI_Context* ctx)
{
  if (ctx->mNative && ctx->mReleaseNative) ctx->mReleaseNative(ctx->mNative);
  ctx->mNative = nullptr;
  ctx->mReleaseNative = nullptr;
}

}  // namespace

GDI_HDC GDI_CreateMemContext(GDI_HDC, int w, int h)
{
  if (w <= 0 || h <= 0) return nullptr;
  const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
  // rounded up: aligned_alloc wants a multiple of the alignment
  const size_t allocated = (bytes + kPixelAlignment - 1) / kPixelAlignment * kPixelAlignment;
  void* pixels = std::aligned_alloc(kPixelAlignment, allocated);
  if (!pixels) return nullptr;
  std::memset(pixels, 0, allocated);
  GDI_Context* ctx = new (std::nothrow) GDI_Context;
  if (!ctx) {
    std::free(pixels);
    return nullptr;
  }
  ctx->mWidth = w;
  ctx->mHeight = h;
  ctx->mPixels = pixels;
  return ctx;
}

void GDI_DeleteGfxContext(GDI_HDC ctx)
{
  if (!ctx) return;
  ReleaseNative(ctx);
  std::free(ctx->mPixels);
  delete ctx;
}

void* GDI_GetCtxFrameBuffer(GDI_HDC ctx) { return ctx ? ctx->mPixels : nullptr; }
int GDI_GetCtxWidth(GDI_HDC ctx) { return ctx ? ctx->mWidth : 0; }
int GDI_GetCtxHeight(GDI_HDC ctx) { return ctx ? ctx->mHeight : 0; }
int GDI_GetCtxRowSpan(GDI_HDC ctx) { return ctx ? ctx->mWidth : 0; }
void* GDI_GetCtxNativeContext(GDI_HDC ctx) { return ctx ? ctx->mNative : nullptr; }

void GDI_SetCtxNativeContext(GDI_HDC ctx, void* native, void (*release)(void*))
{
  if (!ctx) return;
  if (ctx->mNative == native && ctx->mReleaseNative == release) return;
  ReleaseNative(ctx);
  ctx->mNative = native;
  ctx->mReleaseNative = native ? release : nullptr;
}
