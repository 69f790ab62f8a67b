#include "IControl.h"

#include "IEffectBase.h"
#include "IParam.h"

#include <cmath>
#include <cstring>

IControl::IControl(IEffectBase* pPlug, const IRECT& r, int paramIdx, EBlendMethod blendMethod)
  : mPlug(pPlug), mRECT(r), mTargetRECT(r), mParamIdx(paramIdx), mBlend(blendMethod, 1.0f)
{
}

IGraphics* IControl::GetGUI()
{
  return mPlug ? mPlug->GetGUI() : nullptr;
}

void IControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  if (pMod && pMod->R) {
    PromptUserInput();
  }
}

void IControl::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  (void)pMod;
  double defaultValue = mDefaultValue.load();
  if (defaultValue >= 0.0) {
    SetValue(defaultValue);
    SetDirty(true);
  }
}

void IControl::OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
{
  (void)x;
  (void)y;
  bool fine = pMod && (pMod->C || pMod->S);
  AddToValue(d * (fine ? 0.001 : 0.01));
  SetDirty(true);
}

void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue.load() < 0.0) {
    mDefaultValue.store(value);
  } else if (value == mValue.load()) {
    return;
  }
  mValue.store(value);
  // The redraw request goes first: a paint pass that finishes in between then keeps the
  // control dirty, so the value stored here is painted in any case.
  RequestRedraw();
  SetDirty(false);
}

void IControl::Hide(bool hide)
{
  RequestRedraw();
  mHidden.store(hide);
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed.store(gray);
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::SetDirty(bool pushParamToPlug)
{
  // Clamp without overwriting a value that another thread stored meanwhile.
  double lo = mClampLo.load();
  double hi = mClampHi.load();
  double value = mValue.load();
  for (;;) {
    double clamped = value < lo ? lo : (value < hi ? value : hi);
    if (clamped == value || mValue.compare_exchange_weak(value, clamped)) {
      value = clamped;
      break;
    }
  }
  mFlags.fetch_or(kDirtyFlag);
  if (pushParamToPlug && mPlug && mParamIdx >= 0) {
    mPlug->SetParameterFromGUI(mParamIdx, value);
  }
}

void IControl::SetClean()
{
  int flags = mFlags.load();
  while (!mFlags.compare_exchange_weak(flags, (flags & kRedrawFlag) ? kDirtyFlag : 0)) {
  }
}

void IControl::SetValueFromUserInput(double value)
{
  if (value != mValue.load()) {
    SetValue(value);
    SetDirty(true);
    RequestRedraw();
  }
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) {
    return;
  }
  IGraphics* pGraphics = GetGUI();
  IParam* pParam = mPlug->GetParam(mParamIdx);
  if (pGraphics && pParam) {
    pGraphics->PromptUserInput(this, pParam);
    RequestRedraw();
  }
}

int IControl::FrameForValue(int nFrames) const
{
  if (nFrames <= 1) {
    return 1;
  }
  int state = static_cast<int>(static_cast<double>(nFrames - 1) * mValue.load() + 0.5) + 1;
  return state < 1 ? 1 : state > nFrames ? nFrames : state;
}

// ---------------------------------------------------------------------------------------

static IRECT FrameRECT(int x, int y, const IBitmap* pBitmap)
{
  return IRECT(x, y, x + pBitmap->W, y + pBitmap->FrameHeight());
}

IBitmapControl::IBitmapControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                               EBlendMethod blendMethod)
  : IControl(pPlug, FrameRECT(x, y, pBitmap), paramIdx, blendMethod), mBitmap(*pBitmap)
{
}

IBitmapControl::IBitmapControl(IEffectBase* pPlug, int x, int y, IBitmap* pBitmap, EBlendMethod blendMethod)
  : IBitmapControl(pPlug, x, y, -1, pBitmap, blendMethod)
{
}

bool IBitmapControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mBitmap.N), &mBlend);
}

ISwitchControl::ISwitchControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                               EBlendMethod blendMethod)
  : IBitmapControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
{
}

void ISwitchControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  if (pMod && pMod->R) {
    PromptUserInput();
  } else if (mBitmap.N > 1) {
    AddToValue(1.0 / static_cast<double>(mBitmap.N - 1));
  } else {
    AddToValue(1.0);
  }
  // a switch cycles through its states
  if (GetValue() > 1.001) {
    SetValue(0.0);
  }
  SetDirty(true);
}

IContactControl::IContactControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                 EBlendMethod blendMethod)
  : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
{
}

void IContactControl::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  (void)pMod;
  SetValue(0.0);
  SetDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IEffectBase* pPlug, int x, int y, IBitmap* pBitmap, IRECT* pTargetArea)
  : ISwitchControl(pPlug, x, y, -1, pBitmap, kBlendNormal), mTargetArea(*pTargetArea)
{
  // hidden at first: only the target area is hit until the overlay is shown
  mTargetRECT = mTargetArea;
}

bool IBitmapOverlayControl::Draw(IGraphics* pGraphics)
{
  if (GetValue() < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(pGraphics);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IEffectBase* pPlug, IRECT* pR, int paramIdx)
  : IControl(pPlug, pR, paramIdx, kBlendReplace)
{
  mDisablePrompt = true;
}

void IInvisibleSwitchControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  (void)pMod;
  SetValue(GetValue() < 0.5 ? 1.0 : 0.0);
  SetDirty(true);
}

// ---------------------------------------------------------------------------------------

IRadioButtonsControl::IRadioButtonsControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, int nButtons,
                                           IBitmap* pBitmap, EDirection direction)
  : IControl(pPlug, pR, paramIdx, kBlendNormal), mBitmap(*pBitmap)
{
  if (nButtons < 1) {
    nButtons = 1;
  }
  mRECTs.Resize(nButtons);
  IRECT* pButtons = mRECTs.Get();
  if (!pButtons) {
    return;
  }
  int h = mBitmap.FrameHeight();
  int w = mBitmap.W;
  int gaps = nButtons > 1 ? nButtons - 1 : 1;
  if (direction == kHorizontal) {
    int gap = (pR->W() - nButtons * w) / gaps;
    for (int i = 0; i < nButtons; ++i) {
      int l = pR->L + i * (gap + w);
      pButtons[i] = IRECT(l, pR->T, l + w, pR->T + h);
    }
  } else {
    int step = (pR->H() - nButtons * h) / gaps + h;
    for (int i = 0; i < nButtons; ++i) {
      int t = pR->T + i * step;
      pButtons[i] = IRECT(pR->L, t, pR->L + w, t + h);
    }
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R) {
    PromptUserInput();
    return;
  }
  int n = NButtons();
  for (int i = 0; i < n; ++i) {
    if (mRECTs.Get()[i].Contains(x, y)) {
      SetValue(n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0);
      break;
    }
  }
  // a click between buttons sends the unchanged value all the same
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* pGraphics)
{
  int n = NButtons();
  int active = static_cast<int>(static_cast<double>(n - 1) * GetValue() + 0.5);
  active = active < 0 ? 0 : active > n - 1 ? n - 1 : active;
  for (int i = 0; i < n; ++i) {
    pGraphics->DrawBitmap(&mBitmap, mRECTs.Get() + i, i == active ? 2 : 1, &mBlend);
  }
  return true;
}

// ---------------------------------------------------------------------------------------

static IRECT FaderRECT(int x, int y, int len, const IBitmap* pBitmap, EDirection direction)
{
  if (direction == kHorizontal) {
    return IRECT(x, y, x + len, y + pBitmap->H);
  }
  return IRECT(x, y, x + pBitmap->W, y + len);
}

IFaderControl::IFaderControl(IEffectBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pBitmap,
                             EDirection direction)
  : IControl(pPlug, FaderRECT(x, y, len, pBitmap, direction), paramIdx, kBlendNormal),
    mLen(len), mHandleHeadroom(direction == kHorizontal ? pBitmap->W : pBitmap->H), mBitmap(*pBitmap),
    mDirection(direction)
{
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (value < 0.0) {
    value = GetValue();
  }
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.W, mRECT.T + mBitmap.H);
  int travel = mLen - mHandleHeadroom;
  if (mDirection == kHorizontal) {
    int offset = static_cast<int>(value * travel);
    r.L += offset;
    r.R += offset;
  } else {
    int offset = static_cast<int>((1.0 - value) * travel);
    r.T += offset;
    r.B += offset;
  }
  return r;
}

void IFaderControl::SnapToMouse(int x, int y)
{
  int travel = mLen - mHandleHeadroom;
  // a fader without travel has no position to snap to
  if (travel != 0) {
    if (mDirection == kHorizontal) {
      SetValue(static_cast<double>(x - mRECT.L - mHandleHeadroom / 2) / static_cast<double>(travel));
    } else {
      SetValue(1.0 - static_cast<double>(y - mRECT.T - mHandleHeadroom / 2) / static_cast<double>(travel));
    }
  }
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R) {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
{
  (void)dX;
  (void)dY;
  (void)pMod;
  SnapToMouse(x, y);
}

bool IFaderControl::Draw(IGraphics* pGraphics)
{
  IRECT r = GetHandleRECT();
  return pGraphics->DrawBitmap(&mBitmap, &r, 1, &mBlend);
}

// ---------------------------------------------------------------------------------------

IKnobControl::IKnobControl(IEffectBase* pPlug, const IRECT& r, int paramIdx, EDirection direction, double gearing,
                           EBlendMethod blendMethod)
  : IControl(pPlug, r, paramIdx, blendMethod), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  double gearing = mGearing;
  if (pMod && (pMod->C || pMod->S)) {
    gearing *= 10.0;
  }
  // a knob without extent along its axis does not move
  if (mDirection == kHorizontal) {
    if (mRECT.R != mRECT.L) {
      AddToValue(static_cast<double>(dX) / static_cast<double>(mRECT.R - mRECT.L) / gearing);
    }
  } else if (mRECT.T != mRECT.B) {
    AddToValue(static_cast<double>(dY) / static_cast<double>(mRECT.T - mRECT.B) / gearing);
  }
  SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, const IColor* pColor,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   EDirection direction, double gearing)
  : IKnobControl(pPlug, pR, paramIdx, direction, gearing, kBlendReplace), mColor(pColor ? *pColor : COLOR_BLACK),
    mMinAngle(static_cast<float>(minAngle)), mMaxAngle(static_cast<float>(maxAngle)),
    mInnerRadius(static_cast<float>(innerRadius)), mOuterRadius(static_cast<float>(outerRadius))
{
  if (mOuterRadius == 0.0f) {
    mOuterRadius = 0.5f * static_cast<float>(pR->W());
  }
}

bool IKnobLineControl::Draw(IGraphics* pGraphics)
{
  double angle = mMinAngle + (mMaxAngle - mMinAngle) * GetValue();
  double cx = (mRECT.L + mRECT.R) * 0.5;
  double cy = (mRECT.T + mRECT.B) * 0.5;
  double sinV = std::sin(angle);
  double cosV = std::cos(angle);
  return pGraphics->DrawLine(&mColor, static_cast<float>(cx + sinV * mInnerRadius),
                             static_cast<float>(cy - cosV * mInnerRadius), static_cast<float>(cx + sinV * mOuterRadius),
                             static_cast<float>(cy - cosV * mOuterRadius), &mBlend, true);
}

IKnobMultiControl::IKnobMultiControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                     EDirection direction, double gearing)
  : IKnobControl(pPlug, FrameRECT(x, y, pBitmap), paramIdx, direction, gearing), mBitmap(*pBitmap)
{
}

bool IKnobMultiControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mBitmap.N), &mBlend);
}

IKnobRotaterControl::IKnobRotaterControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                         double minAngle, double maxAngle, int yOffset, EDirection direction,
                                         double gearing)
  : IKnobControl(pPlug, IRECT(x, y, x + pBitmap->W, y + pBitmap->H), paramIdx, direction, gearing),
    mBitmap(*pBitmap), mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffset)
{
}

bool IKnobRotaterControl::Draw(IGraphics* pGraphics)
{
  double angle = mMinAngle + (mMaxAngle - mMinAngle) * GetValue();
  return pGraphics->DrawRotatedBitmap(&mBitmap, (mRECT.L + mRECT.R) / 2, (mRECT.T + mRECT.B) / 2, angle, mYOffset,
                                      &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase,
                                                   IBitmap* pMask, IBitmap* pTop, double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
  : IKnobControl(pPlug, IRECT(x, y, x + pBase->W, y + pBase->H), paramIdx, direction, gearing),
    mBase(*pBase), mMask(*pMask), mTop(*pTop), mMinAngle(minAngle), mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* pGraphics)
{
  double angle = mMinAngle + (mMaxAngle - mMinAngle) * GetValue();
  return pGraphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}

// ---------------------------------------------------------------------------------------

ITextControl::ITextControl(IEffectBase* pPlug, IRECT* pR, IText* pText, const char* str)
  : IControl(pPlug, pR, -1, kBlendNormal), mText(*pText)
{
  mStr.Set(str);
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (strcmp(mStr.Get(), str ? str : "") != 0) {
    SetDirty(false);
    mStr.Set(str);
  }
}

bool ITextControl::Draw(IGraphics* pGraphics)
{
  if (mStr.Get()[0] == '\0') {
    return true;
  }
  return pGraphics->DrawIText(&mText, mStr.Get(), &mRECT);
}

ICaptionControl::ICaptionControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, IText* pText, bool showParamLabel)
  : ITextControl(pPlug, pR, pText), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
}

bool ICaptionControl::Draw(IGraphics* pGraphics)
{
  IParam* pParam = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (pParam) {
    char display[128];
    pParam->GetDisplayForHost(pParam->Value(), false, display);
    mStr.Set(display);
    if (mShowParamLabel) {
      mStr.Append(" ");
      mStr.Append(pParam->GetLabelForHost());
    }
  }
  return ITextControl::Draw(pGraphics);
}

// ---------------------------------------------------------------------------------------

static void CopyText(char* dest, const char* src, size_t size)
{
  strncpy(dest, src ? src : "", size - 1);
  dest[size - 1] = '\0';
}

IURLControl::IURLControl(IEffectBase* pPlug, IRECT* pR, const char* url, const char* backupURL, const char* message)
  : IControl(pPlug, pR, -1, kBlendNormal)
{
  CopyText(mURL, url, sizeof(mURL));
  CopyText(mBackupURL, backupURL, sizeof(mBackupURL));
  CopyText(mMessage, message, sizeof(mMessage));
}

void IURLControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  (void)pMod;
  IGraphics* pGraphics = GetGUI();
  if (!pGraphics) {
    return;
  }
  if (mURL[0] && pGraphics->OpenURL(mURL, mMessage, nullptr, nullptr)) {
    return;
  }
  if (mBackupURL[0]) {
    pGraphics->OpenURL(mBackupURL, mMessage, nullptr, nullptr);
  }
}

// ---------------------------------------------------------------------------------------

IFileSelectorControl::IFileSelectorControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, IBitmap* pBitmap,
                                           IGraphics::EFileAction action, const char* dir, const char* extensions)
  : IControl(pPlug, pR, paramIdx, kBlendNormal), mBitmap(*pBitmap), mFileAction(action)
{
  mDir.Set(dir);
  mExtensions.Set(extensions);
}

void IFileSelectorControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x;
  (void)y;
  (void)pMod;
  IGraphics* pGraphics = GetGUI();
  if (!pGraphics) {
    return;
  }
  mState = kFSSelecting;
  SetDirty(false);
  pGraphics->PromptForFile(&mFile, mFileAction, mDir.Get(), mExtensions.Get());
  mState = kFSDone;
  double next = GetValue() + 1.0;
  SetValue(next <= 1.0 ? next : 0.0);
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* pGraphics)
{
  if (mState != kFSSelecting) {
    return true;
  }
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, &mBlend);
}

bool IFileSelectorControl::IsDirty()
{
  if (IControl::IsDirty()) {
    return true;
  }
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return false;
}
