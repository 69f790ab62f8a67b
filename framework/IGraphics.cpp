#include "IGraphics.h"

#include "IControl.h"
#include "IEffectBase.h"
#include "IParam.h"

#include <cmath>

IGraphics::IGraphics(IEffectBase* plug, int w, int h, int fps)
  : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps < 1 ? 24 : fps)
{
}

IGraphics::~IGraphics()
{
  mControls.Empty(true);
}

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  // the mouse-over index would name a control of the new set
  mMouseOver = -1;
  mControls.Empty(true);
  if (mPlug) {
    mPlug->ResizeGraphics(w, h);
  }
}

void IGraphics::AttachBackground(int ID, const char* name)
{
  IBitmap bg = LoadIBitmap(ID, name, 1);
  IControl* pBG = new IBitmapControl(mPlug, 0, 0, -1, &bg, kBlendReplace);
  if (!mControls.Insert(0, pBG)) {
    delete pBG;
  }
}

int IGraphics::AttachControl(IControl* pControl)
{
  if (!mControls.Add(pControl)) {
    // out of memory: the editor owns the control all the same
    delete pControl;
    return -1;
  }
  return mControls.GetSize() - 1;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi)
{
  IChannelBlend blend(kBlendReplace, 1.0f);
  return DrawLine(pColor, static_cast<float>(xi), static_cast<float>(yLo), static_cast<float>(xi),
                  static_cast<float>(yHi), &blend, false);
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi)
{
  IChannelBlend blend(kBlendReplace, 1.0f);
  return DrawLine(pColor, static_cast<float>(xLo), static_cast<float>(yi), static_cast<float>(xHi),
                  static_cast<float>(yi), &blend, false);
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) {
      pControl->Hide(hide);
    }
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) {
      pControl->GrayOut(gray);
    }
  }
}

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0; i < mControls.GetSize(); ++i) {
    mControls.Get(i)->SetDirty(false);
  }
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized) {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) {
      return;
    }
    value = pParam->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) {
      pControl->SetValueFromPlug(value);
    }
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  IControl* pControl = mControls.Get(controlIdx);
  if (pControl) {
    pControl->SetValueFromPlug(normalizedValue);
  }
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) {
      pControl->SetValueFromUserInput(normalizedValue);
    }
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized) {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) {
      return;
    }
    lo = pParam->GetNormalized(lo);
    hi = pParam->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) {
      pControl->Clamp(lo, hi);
    }
  }
}

bool IGraphics::IsDirty(IRECT* pR)
{
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* pControl = mControls.Get(i);
    if (pControl->IsDirty()) {
      *pR = pR->Union(pControl->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* pR)
{
  int n = mControls.GetSize();
  if (!n) {
    return true;
  }

  if (mStrict) {
    // Everything the platform's rectangle touches, in paint order.
    mDrawRECT = *pR;
    for (int i = 0; i < n; ++i) {
      IControl* pControl = mControls.Get(i);
      if (!pControl->IsHidden() && pR->Intersects(pControl->GetRECT())) {
        pControl->Draw(this);
      }
      pControl->SetClean();
    }
  } else {
    IControl* pBG = mControls.Get(0);
    if (pBG->IsDirty()) {
      // The background covers everything: paint the whole list once.
      mDrawRECT = *pBG->GetRECT();
      for (int i = 0; i < n; ++i) {
        IControl* pControl = mControls.Get(i);
        if (i == 0 || !pControl->IsHidden()) {
          pControl->Draw(this);
          pControl->SetClean();
        }
      }
    } else {
      // One pass per dirty control, repainting whatever overlaps it.
      for (int i = 1; i < n; ++i) {
        IControl* pDirty = mControls.Get(i);
        if (!pDirty->IsDirty()) {
          continue;
        }
        mDrawRECT = *pDirty->GetRECT();
        for (int j = 0; j < n; ++j) {
          IControl* pControl = mControls.Get(j);
          if (j == i || (!pControl->IsHidden() && pControl->GetRECT()->Intersects(&mDrawRECT))) {
            pControl->Draw(this);
          }
        }
        pDirty->SetClean();
      }
    }
  }
  return DrawScreen(pR);
}

void IGraphics::OnGUIIdle()
{
  for (int i = 0; i < mControls.GetSize(); ++i) {
    mControls.Get(i)->OnGUIIdle();
  }
}

int IGraphics::GetMouseControlIdx(int x, int y)
{
  if (mMouseCapture >= 0) {
    return mMouseCapture;
  }
  for (int i = mControls.GetSize() - 1; i >= 0; --i) {
    IControl* pControl = mControls.Get(i);
    if (!pControl->IsHidden() && !pControl->IsGrayed() && pControl->IsHit(x, y)) {
      return i;
    }
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = -1;
  mMouseX = -1;
  mMouseY = -1;
}

int IGraphics::ParamIdxOf(int controlIdx)
{
  IControl* pControl = mControls.Get(controlIdx);
  return pControl ? pControl->ParamIdx() : -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  int c = GetMouseControlIdx(x, y);
  if (c < 0) {
    return;
  }
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  mControls.Get(c)->OnMouseDown(x, y, pMod);
  int paramIdx = ParamIdxOf(c);
  if (paramIdx >= 0 && mPlug) {
    mPlug->BeginInformHostOfParamChange(paramIdx);
  }
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  int c = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  if (c < 0) {
    return;
  }
  mControls.Get(c)->OnMouseUp(x, y, pMod);
  int paramIdx = ParamIdxOf(c);
  if (paramIdx >= 0 && mPlug) {
    mPlug->EndInformHostOfParamChange(paramIdx);
  }
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* pMod)
{
  int c = mMouseCapture;
  if (c < 0) {
    return;
  }
  int dX = x - mMouseX;
  int dY = y - mMouseY;
  if (dX == 0 && dY == 0) {
    return;
  }
  mMouseX = x;
  mMouseY = y;
  mControls.Get(c)->OnMouseDrag(x, y, dX, dY, pMod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  int c = GetMouseControlIdx(x, y);
  if (c < 0) {
    return false;
  }
  IControl* pControl = mControls.Get(c);
  if (pControl->MouseDblAsSingleClick()) {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    pControl->OnMouseDown(x, y, pMod);
    return true;
  }
  pControl->OnMouseDblClick(x, y, pMod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
{
  int c = GetMouseControlIdx(x, y);
  if (c >= 0) {
    mControls.Get(c)->OnMouseWheel(x, y, pMod, d);
  }
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* pMod)
{
  if (!mHandleMouseOver) {
    return false;
  }
  int c = GetMouseControlIdx(x, y);
  if (c >= 0) {
    mMouseX = x;
    mMouseY = y;
    mControls.Get(c)->OnMouseOver(x, y, pMod);
    if (mMouseOver >= 0 && mMouseOver != c) {
      IControl* pPrevious = mControls.Get(mMouseOver);
      if (pPrevious) {
        pPrevious->OnMouseOut();
      }
    }
    mMouseOver = c;
  }
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0; i < mControls.GetSize(); ++i) {
    mControls.Get(i)->OnMouseOut();
  }
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  int c = GetMouseControlIdx(x, y);
  if (c < 0) {
    return false;
  }
  return mControls.Get(c)->OnKeyDown(x, y, key);
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int bmpState, const IChannelBlend* pBlend)
{
  int srcY = 0;
  if (bmpState > 1 && pBitmap->N > 1) {
    // top row of frame bmpState, rounded
    srcY = static_cast<int>(static_cast<double>(pBitmap->H) * static_cast<double>(bmpState - 1) /
                              static_cast<double>(pBitmap->N) +
                            0.5);
  }
  return DrawBitmap(pBitmap, pDest, 0, srcY, pBlend);
}

bool IGraphics::DrawRect(const IColor* pColor, IRECT* pR)
{
  bool ok = DrawHorizontalLine(pColor, pR->T, pR->L, pR->R);
  ok = DrawHorizontalLine(pColor, pR->B, pR->L, pR->R) && ok;
  ok = DrawVerticalLine(pColor, pR->L, pR->T, pR->B) && ok;
  ok = DrawVerticalLine(pColor, pR->R, pR->T, pR->B) && ok;
  return ok;
}

static float Clamp01(float v)
{
  return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, IRECT* pR, float x)
{
  x = Clamp01(x);
  int xi = pR->L + static_cast<int>(static_cast<float>(pR->R - pR->L) * x);
  return DrawVerticalLine(pColor, xi, pR->T, pR->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y)
{
  y = Clamp01(y);
  int yi = pR->B - static_cast<int>(static_cast<float>(pR->B - pR->T) * y);
  return DrawHorizontalLine(pColor, yi, pR->L, pR->R);
}

bool IGraphics::DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* pBlend, bool antiAlias)
{
  float sinV = std::sin(angle);
  float cosV = std::cos(angle);
  return DrawLine(pColor, cx + rMin * sinV, cy - rMin * cosV, cx + rMax * sinV, cy - rMax * cosV, pBlend, antiAlias);
}
