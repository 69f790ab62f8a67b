#pragma once

#include "BASE_String.h"
#include "BASE_TypedBuf.h"
#include "IGraphics.h"
#include "IGraphicsStructs.h"

#include <atomic>

class IEffectBase;

// One element of the editor: a rectangle that paints itself through the editor's drawing
// operations, reacts to the mouse events the editor routes to it and usually mirrors one
// plug-in parameter as a normalized value (0 to 1).
//
// Threads: SetValueFromPlug may run on the host's or the audio thread while the
// user-interface thread paints; the value, the default value, the clamp range and the
// flags are atomics for that reason, and the dirty and redraw flags live in one word so
// that a value pushed while a paint pass finishes is never lost. Everything else runs on
// the user-interface thread.
class IControl
{
public:
  IControl(IEffectBase* pPlug, IRECT* pR, int paramIdx = -1, EBlendMethod blendMethod = kBlendNormal)
    : IControl(pPlug, *pR, paramIdx, blendMethod)
  {
  }
  IControl(IEffectBase* pPlug, const IRECT& r, int paramIdx = -1, EBlendMethod blendMethod = kBlendNormal);
  virtual ~IControl() {}

  // User-interface thread: the mouse and key events the editor routes here.
  virtual void OnMouseDown(int x, int y, IMouseMod* pMod);
  virtual void OnMouseUp(int x, int y, IMouseMod* pMod)
  {
    (void)x;
    (void)y;
    (void)pMod;
  }
  // dX, dY: movement since the previous mouse event.
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
  {
    (void)x;
    (void)y;
    (void)dX;
    (void)dY;
    (void)pMod;
  }
  // Back to the default value once the plug-in has pushed one.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* pMod);
  // 0.01 per step, 0.001 with control or shift.
  virtual void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  virtual bool OnKeyDown(int x, int y, int key)
  {
    (void)x;
    (void)y;
    (void)key;
    return false;
  }
  virtual void OnMouseOver(int x, int y, IMouseMod* pMod)
  {
    (void)x;
    (void)y;
    (void)pMod;
  }
  virtual void OnMouseOut() {}

  // User-interface thread: paints the control into the editor's surface.
  virtual bool Draw(IGraphics* pGraphics) = 0;

  // Any thread: takes a value from the plug-in. The first one also becomes the default
  // value; an equal value changes nothing. Stores and sets flags only: no allocation,
  // no lock, no call into the plug-in.
  virtual void SetValueFromPlug(double value);

  virtual void Hide(bool hide);
  // A grayed-out control paints at a quarter weight and cannot be hit.
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }

  // Clamps the value to the clamp range and marks the control for the next paint; with
  // pushParamToPlug also sends the value to the plug-in's parameter (the only road from a
  // user gesture to the plug-in).
  virtual void SetDirty(bool pushParamToPlug = true);
  // After painting: clears dirty unless a redraw was requested, which keeps the control
  // dirty for exactly one more pass.
  virtual void SetClean();
  virtual bool IsDirty() { return (mFlags.load() & kDirtyFlag) != 0; }
  virtual void OnGUIIdle() {}

  // Sets the value as a user gesture would (the plug-in is told) when it differs.
  void SetValueFromUserInput(double value);
  // Asks the editor to prompt for the parameter's value (right click).
  void PromptUserInput();

  int ParamIdx() const { return mParamIdx; }
  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  void SetTargetArea(const IRECT& r) { mTargetRECT = r; }
  double GetValue() const { return mValue.load(); }
  double GetDefaultValue() const { return mDefaultValue.load(); }
  void Clamp(double lo, double hi)
  {
    mClampLo.store(lo);
    mClampHi.store(hi);
  }
  bool IsHidden() const { return mHidden.load(); }
  bool IsGrayed() const { return mGrayed.load(); }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  void SetMouseDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  IEffectBase* GetPlug() { return mPlug; }

protected:
  enum
  {
    kDirtyFlag = 1,
    kRedrawFlag = 2
  };

  void SetValue(double v) { mValue.store(v); }
  void AddToValue(double d) { mValue.store(mValue.load() + d); }
  void RequestRedraw() { mFlags.fetch_or(kRedrawFlag); }
  // The editor the plug-in holds, or null.
  IGraphics* GetGUI();
  // The state (1 to N) of an N-frame strip that shows the current value.
  int FrameForValue(int nFrames) const;

  IEffectBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};
  std::atomic<double> mClampLo{0.0};
  std::atomic<double> mClampHi{1.0};
  std::atomic<int> mFlags{kDirtyFlag};
  std::atomic<bool> mHidden{false};
  std::atomic<bool> mGrayed{false};
  bool mDisablePrompt = false;
  bool mDblAsSingleClick = false;
  IChannelBlend mBlend;

private:
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;
};

// Shows the frame of a vertical strip that matches the value: 0 the first, 1 the last.
class IBitmapControl : public IControl
{
public:
  IBitmapControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 EBlendMethod blendMethod = kBlendNormal);
  IBitmapControl(IEffectBase* pPlug, int x, int y, IBitmap* pBitmap, EBlendMethod blendMethod = kBlendNormal);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
};

// Steps through its frames on each press and wraps after the last.
class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 EBlendMethod blendMethod = kBlendNormal);

  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};

// A switch that springs back to 0 on release.
class IContactControl : public ISwitchControl
{
public:
  IContactControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                  EBlendMethod blendMethod = kBlendNormal);

  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
};

// An image shown over the editor while its value is 1: hidden, it is hit only in its
// target area; shown, anywhere on the image, and a click hides it again.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IEffectBase* pPlug, int x, int y, IBitmap* pBitmap, IRECT* pTargetArea);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IRECT mTargetArea;
};

// Toggles between 0 and 1 on each press; paints nothing.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IEffectBase* pPlug, IRECT* pR, int paramIdx);

  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override
  {
    (void)pGraphics;
    return true;
  }
};

// nButtons buttons laid out in the rectangle from its top left; button i sets the value
// i / (nButtons - 1). The bitmap's frame 1 shows a button off, frame 2 on.
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, int nButtons, IBitmap* pBitmap,
                       EDirection direction = kVertical);

  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

  int NButtons() const { return mRECTs.GetSize(); }
  const IRECT* GetButtonRECT(int i) const { return i >= 0 && i < NButtons() ? mRECTs.Get() + i : nullptr; }

protected:
  BASE_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};

// A handle bitmap (one frame) that slides along len pixels; 1 is the top (vertical) or
// the right end (horizontal). The handle's centre follows the pointer.
class IFaderControl : public IControl
{
public:
  IFaderControl(IEffectBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pBitmap,
                EDirection direction = kVertical);

  // The handle's rectangle for value; a negative value means the current one.
  IRECT GetHandleRECT(double value = -1.0) const;
  void SnapToMouse(int x, int y);

  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;

  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }

protected:
  int mLen;
  int mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
};

// A knob moved by dragging: a drag over the full height (vertical) or width (horizontal)
// changes the value by 1 / gearing; control or shift make it ten times finer.
class IKnobControl : public IControl
{
public:
  IKnobControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0, EBlendMethod blendMethod = kBlendNormal)
    : IKnobControl(pPlug, *pR, paramIdx, direction, gearing, blendMethod)
  {
  }
  IKnobControl(IEffectBase* pPlug, const IRECT& r, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0, EBlendMethod blendMethod = kBlendNormal);

  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;

protected:
  EDirection mDirection;
  double mGearing;
};

// A line from the inner to the outer radius at an angle between minAngle and maxAngle
// (radians, 0 pointing up, clockwise). An outer radius of 0 becomes half the width.
class IKnobLineControl : public IKnobControl
{
public:
  IKnobLineControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, const IColor* pColor, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * 3.14159265358979323846,
                   double maxAngle = 0.75 * 3.14159265358979323846, EDirection direction = kVertical,
                   double gearing = 4.0);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A knob shown as the frame of a strip that matches its value.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                    EDirection direction = kVertical, double gearing = 4.0);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
};

// A knob shown as one image rotated between minAngle and maxAngle (radians) about its
// centre, shifted down by yOffset.
class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                      double minAngle = -0.75 * 3.14159265358979323846, double maxAngle = 0.75 * 3.14159265358979323846,
                      int yOffset = 0, EDirection direction = kVertical, double gearing = 4.0);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A knob whose base image takes its coverage from a mask rotated between minAngle and
// maxAngle (degrees), with a top image rotated over it.
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IEffectBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase, IBitmap* pMask,
                           IBitmap* pTop, double minAngle = -135.0, double maxAngle = 135.0,
                           EDirection direction = kVertical, double gearing = 4.0);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A text in the rectangle; no parameter.
class ITextControl : public IControl
{
public:
  ITextControl(IEffectBase* pPlug, IRECT* pR, IText* pText, const char* str = "");

  // User-interface thread: replaces the text when it differs.
  void SetTextFromPlug(const char* str);
  const char* GetText() const { return mStr.Get(); }

  bool Draw(IGraphics* pGraphics) override;

protected:
  IText mText;
  BASE_String mStr;
};

// The display text of a parameter's current value, with its unit label when asked.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, IText* pText, bool showParamLabel = true);

  bool Draw(IGraphics* pGraphics) override;

protected:
  bool mShowParamLabel;
};

// Opens a link when clicked, the backup link when the first cannot be opened; paints nothing.
class IURLControl : public IControl
{
public:
  enum
  {
    kMaxURLLen = 256,
    kMaxMsgLen = 1024
  };

  // Longer texts than the buffers (255, 255, 1023 characters) are cut.
  IURLControl(IEffectBase* pPlug, IRECT* pR, const char* url, const char* backupURL = nullptr,
              const char* message = nullptr);

  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override
  {
    (void)pGraphics;
    return true;
  }

protected:
  char mURL[kMaxURLLen];
  char mBackupURL[kMaxURLLen];
  char mMessage[kMaxMsgLen];
};

// Asks the platform for a file when clicked; its value steps each time a choice is made.
class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState
  {
    kFSNone = 0,
    kFSSelecting = 1,
    kFSDone = 2
  };

  IFileSelectorControl(IEffectBase* pPlug, IRECT* pR, int paramIdx, IBitmap* pBitmap,
                       IGraphics::EFileAction action, const char* dir = "", const char* extensions = "");

  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  bool Draw(IGraphics* pGraphics) override;
  // Also true once after a choice was made.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(BASE_String* pStr) { pStr->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  EFileSelectorState GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  BASE_String mDir, mFile, mExtensions;
  IGraphics::EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
