#include "IGraphicsRaster.h"

#include "BASE_Assert.h"
#include "BitmapStorage.h"
#include "raster.h"
#include "raster_arc.h"
#include "raster_line.h"

namespace
{
// raster mode words
const int kModeCopy = 0;
const int kModeSourceAlpha = 0x10000;
const int kModeAdd = 1;
const int kModeDodge = 2;
const int kModeBilinear = 0x100;

const double kPi = 3.14159265358979323846;

RAS_IBitmap* RasterOf(IBitmap* pBitmap)
{
  return pBitmap ? static_cast<RAS_IBitmap*>(pBitmap->mData) : nullptr;
}

int ClampInt(int v, int lo, int hi)
{
  return v < lo ? lo : v > hi ? hi : v;
}
} // namespace

unsigned int IGraphicsRaster::PackColor(const IColor* pColor)
{
  return RAS_RGBA(pColor->R, pColor->G, pColor->B, pColor->A);
}

IColor IGraphicsRaster::UnpackColor(unsigned int pixel)
{
  return IColor(RAS_GETA(pixel), RAS_GETR(pixel), RAS_GETG(pixel), RAS_GETB(pixel));
}

void IGraphicsRaster::BlendToMode(const IChannelBlend* pBlend, int* pMode, float* pWeight)
{
  if (!pBlend) {
    *pMode = kModeSourceAlpha;
    *pWeight = 1.0f;
    return;
  }
  switch (pBlend->mMethod) {
  case kBlendReplace:
    *pMode = kModeCopy;
    break;
  case kBlendAdd:
    *pMode = kModeSourceAlpha | kModeAdd;
    break;
  case kBlendDodge:
    *pMode = kModeSourceAlpha | kModeDodge;
    break;
  default:
    *pMode = kModeSourceAlpha;
    break;
  }
  *pWeight = pBlend->mWeight;
}

IGraphicsRaster::IGraphicsRaster(IEffectBase* plug, int w, int h, int fps) : IGraphics(plug, w, h, fps)
{
  // The cache must outlive every editor: making sure it exists before this editor is
  // complete orders its destruction after the editor's.
  BitmapStorage::Instance();
}

IGraphicsRaster::~IGraphicsRaster()
{
  delete mDrawBitmap;
  delete mTmpBitmap;
}

void IGraphicsRaster::PrepDraw()
{
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new RAS_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new RAS_MemBitmap(0, 0, 4);
}

void IGraphicsRaster::Resize(int w, int h)
{
  IGraphics::Resize(w, h);
  if (mDrawBitmap) {
    mDrawBitmap->resize(w, h);
  }
}

bool IGraphicsRaster::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend)
{
  IRECT c = pDest->Intersect(&mDrawRECT);
  if (c.Empty()) {
    return true;
  }
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  RAS_Blit(mDrawBitmap, RasterOf(pBitmap), c.L, c.T, srcX + c.L - pDest->L, srcY + c.T - pDest->T, c.W(), c.H(),
           weight, mode);
  return true;
}

bool IGraphicsRaster::DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle,
                                        int yOffsetZeroDeg, const IChannelBlend* pBlend)
{
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  int w = pBitmap->W;
  int h = pBitmap->H;
  RAS_RotatedBlit(mDrawBitmap, RasterOf(pBitmap), destCtrX - w / 2, destCtrY - h / 2, w, h, 0.0f, 0.0f,
                  static_cast<float>(w), static_cast<float>(h), static_cast<float>(angle), false, weight,
                  mode | kModeBilinear, 0.0f, static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphicsRaster::DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                                      const IChannelBlend* pBlend)
{
  float a = static_cast<float>(kPi * angle / 180.0);
  int w = pBase->W;
  int h = pBase->H;
  // the rotation centre of an odd width lies on a pixel's centre
  float xOffset = (w % 2 != 0) ? -0.5f : 0.0f;

  if (!mTmpBitmap) {
    mTmpBitmap = new RAS_MemBitmap(0, 0, 4);
  }
  RAS_Copy(mTmpBitmap, RasterOf(pBase));
  RAS_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF00u, 0u);
  RAS_RotatedBlit(mTmpBitmap, RasterOf(pMask), 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h),
                  a, true, 1.0f, kModeSourceAlpha | kModeBilinear | kModeAdd, xOffset, 0.0f);
  RAS_RotatedBlit(mTmpBitmap, RasterOf(pTop), 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h),
                  a, true, 1.0f, kModeSourceAlpha | kModeBilinear, xOffset, 0.0f);

  IRECT dest(x, y, x + w, y + h);
  IRECT c = dest.Intersect(&mDrawRECT);
  if (c.Empty()) {
    return true;
  }
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  RAS_Blit(mDrawBitmap, mTmpBitmap, c.L, c.T, c.L - x, c.T - y, c.W(), c.H(), weight, mode);
  return true;
}

bool IGraphicsRaster::DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend, bool antiAlias)
{
  (void)antiAlias;
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  RAS_PutPixel(mDrawBitmap, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f), PackColor(pColor), weight, mode);
  return true;
}

bool IGraphicsRaster::ForcePixel(const IColor* pColor, int x, int y)
{
  RAS_pixel* bits = mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
  if (bits && x >= 0 && y >= 0 && x < mDrawBitmap->getWidth() && y < mDrawBitmap->getHeight()) {
    bits[y * mDrawBitmap->getRowSpan() + x] = PackColor(pColor);
  }
  return true;
}

bool IGraphicsRaster::DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2,
                               const IChannelBlend* pBlend, bool antiAlias)
{
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  RAS_Line(mDrawBitmap, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2),
           PackColor(pColor), weight, mode, antiAlias);
  return true;
}

bool IGraphicsRaster::DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
                              const IChannelBlend* pBlend, bool antiAlias)
{
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  RAS_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, PackColor(pColor), weight, mode, antiAlias);
  return true;
}

bool IGraphicsRaster::DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend,
                                 bool antiAlias)
{
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  RAS_Circle(mDrawBitmap, cx, cy, r, PackColor(pColor), weight, mode, antiAlias);
  return true;
}

bool IGraphicsRaster::FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend)
{
  int mode;
  float weight;
  BlendToMode(pBlend, &mode, &weight);
  RAS_FillRect(mDrawBitmap, pR->L, pR->T, pR->W(), pR->H(), PackColor(pColor), weight, mode);
  return true;
}

IColor IGraphicsRaster::GetPoint(int x, int y)
{
  return UnpackColor(RAS_GetPixel(mDrawBitmap, x, y));
}

void* IGraphicsRaster::GetData()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

bool IGraphicsRaster::DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi)
{
  RAS_pixel* bits = mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
  int w = mDrawBitmap ? mDrawBitmap->getWidth() : 0;
  int h = mDrawBitmap ? mDrawBitmap->getHeight() : 0;
  if (!bits || w <= 0 || h <= 0) {
    return true;
  }
  int span = mDrawBitmap->getRowSpan();
  RAS_pixel color = PackColor(pColor);
  xi = ClampInt(xi, 0, w - 1);
  yLo = ClampInt(yLo, 0, h - 1);
  yHi = ClampInt(yHi, 0, h - 1);
  for (int y = yLo; y <= yHi; ++y) {
    bits[y * span + xi] = color;
  }
  return true;
}

bool IGraphicsRaster::DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi)
{
  RAS_pixel* bits = mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
  int w = mDrawBitmap ? mDrawBitmap->getWidth() : 0;
  int h = mDrawBitmap ? mDrawBitmap->getHeight() : 0;
  if (!bits || w <= 0 || h <= 0) {
    return true;
  }
  RAS_pixel* row = bits + ClampInt(yi, 0, h - 1) * mDrawBitmap->getRowSpan();
  RAS_pixel color = PackColor(pColor);
  xLo = ClampInt(xLo, 0, w - 1);
  xHi = ClampInt(xHi, 0, w - 1);
  for (int x = xLo; x <= xHi; ++x) {
    row[x] = color;
  }
  return true;
}

IBitmap IGraphicsRaster::LoadIBitmap(int ID, const char* name, int nStates)
{
  BitmapStorage& storage = BitmapStorage::Instance();
  RAS_IBitmap* bitmap = storage.Find(ID);
  if (!bitmap) {
    bitmap = OSLoadBitmap(ID, name);
    bool imgResourceFound = bitmap != nullptr;
    BASE_ASSERT("framework/IGraphicsRaster", imgResourceFound);
    storage.Add(bitmap, ID);
  }
  return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), nStates);
}

void IGraphicsRaster::RetainBitmap(IBitmap* pBitmap)
{
  BitmapStorage::Instance().Add(RasterOf(pBitmap), -1);
}

void IGraphicsRaster::ReleaseBitmap(IBitmap* pBitmap)
{
  RAS_IBitmap* bitmap = RasterOf(pBitmap);
  if (bitmap) {
    BitmapStorage::Instance().Remove(bitmap);
  }
}

IBitmap IGraphicsRaster::ScaleBitmap(IBitmap* pSrc, int destW, int destH)
{
  RAS_MemBitmap* dest = new RAS_MemBitmap(destW > 0 ? destW : 0, destH > 0 ? destH : 0, 4);
  // pixels the filter leaves alone stay transparent rather than undefined
  RAS_Clear(dest, 0);
  RAS_ScaledBlit(dest, RasterOf(pSrc), 0, 0, dest->getWidth(), dest->getHeight(), 0.0f, 0.0f,
                 static_cast<float>(pSrc->W), static_cast<float>(pSrc->H), 1.0f, kModeBilinear);
  IBitmap scaled(dest, dest->getWidth(), dest->getHeight(), pSrc->N);
  RetainBitmap(&scaled);
  return scaled;
}

IBitmap IGraphicsRaster::CropBitmap(IBitmap* pSrc, IRECT* pR)
{
  int w = pR->W() > 0 ? pR->W() : 0;
  int h = pR->H() > 0 ? pR->H() : 0;
  RAS_MemBitmap* dest = new RAS_MemBitmap(w, h, 4);
  // the part of the area outside the source stays transparent rather than undefined
  RAS_Clear(dest, 0);
  RAS_Blit(dest, RasterOf(pSrc), 0, 0, pR->L, pR->T, w, h, 1.0f, kModeCopy);
  IBitmap cropped(dest, dest->getWidth(), dest->getHeight(), pSrc->N);
  RetainBitmap(&cropped);
  return cropped;
}
