#pragma once

#include "IGraphics.h"

class RAS_IBitmap;
class RAS_MemBitmap;
class RAS_SysBitmap;

// The editor's drawing layer: every drawing primitive on the raster library, into one
// off-screen 32-bit surface the size of the editor that the platform copies to the window.
// Images are loaded through the platform and kept in the process-wide BitmapStorage, so
// every editor in the process shares one copy of each.
//
// Still abstract: the platform layer supplies the screen copy, text, windows and
// OSLoadBitmap. Threads: user-interface thread only (drawing, loading); the cache it uses
// is locked on its own.
class IGraphicsRaster : public IGraphics
{
public:
  IGraphicsRaster(IEffectBase* plug, int w, int h, int fps = 0);
  ~IGraphicsRaster() override;

  // Creates the draw surface at the editor's size and an empty scratch surface.
  void PrepDraw() override;

  using IGraphics::DrawBitmap;
  using IGraphics::DrawHorizontalLine;
  using IGraphics::DrawVerticalLine;

  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend = nullptr) override;
  bool DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg,
                         const IChannelBlend* pBlend = nullptr) override;
  bool DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                       const IChannelBlend* pBlend = nullptr) override;
  bool DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend = nullptr,
                 bool antiAlias = false) override;
  // Points outside the surface are ignored.
  bool ForcePixel(const IColor* pColor, int x, int y) override;
  bool DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend = nullptr,
                bool antiAlias = false) override;
  bool DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* pBlend = nullptr, bool antiAlias = false) override;
  bool DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false) override;
  bool FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend = nullptr) override;
  // The surface's pixel; transparent black outside it.
  IColor GetPoint(int x, int y) override;
  void* GetData() override;

  // Also resizes the draw surface.
  void Resize(int w, int h) override;

  // A missing image is a defect of the bundle: the process stops with a failed assertion.
  IBitmap LoadIBitmap(int ID, const char* name, int nStates = 1) override;
  IBitmap ScaleBitmap(IBitmap* pSrc, int destW, int destH) override;
  IBitmap CropBitmap(IBitmap* pSrc, IRECT* pR) override;
  void RetainBitmap(IBitmap* pBitmap) override;
  void ReleaseBitmap(IBitmap* pBitmap) override;

  // Direct stores without blending or clipping to the draw rectangle; coordinates are
  // clamped to the surface, and nothing is drawn when the first end is beyond the second.
  bool DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi) override;
  bool DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi) override;

  // A newly created bitmap holding the image, or null when there is none.
  virtual RAS_IBitmap* OSLoadBitmap(int ID, const char* name) = 0;

  // The draw surface (null before PrepDraw); the platform copies it and draws text into it.
  RAS_SysBitmap* GetDrawBitmap() { return mDrawBitmap; }

  // The raster pixel of a colour: A in bits 0 to 7, R 8 to 15, G 16 to 23, B 24 to 31.
  static unsigned int PackColor(const IColor* pColor);
  static IColor UnpackColor(unsigned int pixel);
  // The raster mode word and weight of a blend (null: copy honouring alpha, weight 1).
  static void BlendToMode(const IChannelBlend* pBlend, int* pMode, float* pWeight);

protected:
  RAS_SysBitmap* mDrawBitmap = nullptr;
  RAS_MemBitmap* mTmpBitmap = nullptr;
};
