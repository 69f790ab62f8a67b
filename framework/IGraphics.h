#pragma once

#include "BASE_PtrList.h"
#include "IGraphicsStructs.h"

class BASE_String;
class IControl;
class IEffectBase;
class IParam;

// The editor of one plug-in instance. It owns the controls in paint order (the background
// first), repaints the ones that changed into an off-screen surface, routes the platform
// view's mouse events to the control under the pointer and carries parameter values
// between the controls and the plug-in in both directions.
//
// Threads: everything runs on the user-interface thread except SetParameterFromPlug and
// SetControlFromPlug, which the host's and the audio thread call; those only store values
// and flags in the controls and never allocate, block or paint. The editor takes no lock.
//
// Abstract: the drawing layer supplies the drawing primitives and bitmap loading, the
// platform layer the window, screen copy and text.
class IGraphics
{
public:
  // The purpose of a file prompt.
  enum EFileAction
  {
    kFileOpen = 0,
    kFileSave = 1
  };

  // fps below 1 becomes 24. Draws and opens nothing; PrepDraw comes at attach.
  IGraphics(IEffectBase* plug, int w, int h, int fps = 0);

  // Creates the drawing surfaces; called once when the editor is attached to the plug-in.
  virtual void PrepDraw() = 0;
  // Copies the rectangle of the surface to the screen.
  virtual bool DrawScreen(IRECT* pR) = 0;

  // Draws the bitmap area starting at (srcX, srcY) at dest, clipped to the draw rectangle.
  virtual bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend = nullptr) = 0;
  // Whole single-frame bitmap rotated by angle (radians) about its centre, the centre
  // shifted down by yOffsetZeroDeg, placed centred on (destCtrX, destCtrY).
  virtual bool DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg,
                                 const IChannelBlend* pBlend = nullptr) = 0;
  // Base keeps its colours, takes its coverage from the mask rotated by angle (degrees),
  // the top layer rotated the same way is drawn over it; top left at (x, y).
  virtual bool DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                               const IChannelBlend* pBlend = nullptr) = 0;
  virtual bool DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend = nullptr,
                         bool antiAlias = false) = 0;
  // Stores the colour at (x, y) without blending; the caller passes a point inside.
  virtual bool ForcePixel(const IColor* pColor, int x, int y) = 0;
  virtual bool DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2,
                        const IChannelBlend* pBlend = nullptr, bool antiAlias = false) = 0;
  // Angles in radians, 0 pointing up, growing clockwise.
  virtual bool DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
                       const IChannelBlend* pBlend = nullptr, bool antiAlias = false) = 0;
  virtual bool DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend = nullptr,
                          bool antiAlias = false) = 0;
  virtual bool FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend = nullptr) = 0;
  virtual bool DrawIText(IText* pTxt, const char* str, IRECT* pR) = 0;
  virtual IColor GetPoint(int x, int y) = 0;
  // The drawing surface's pixel memory.
  virtual void* GetData() = 0;

  // Stores the new size, drops the mouse capture, deletes every control and asks the
  // plug-in to resize its window. The caller attaches a new set of controls afterwards.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }

  // Platform prompts and paths; the platform layer may do nothing for the prompts.
  virtual void PromptUserInput(IControl* pControl, IParam* pParam) = 0;
  virtual void HostPath(BASE_String* pPath) = 0;
  virtual void PluginPath(BASE_String* pPath) = 0;
  virtual void PromptForFile(BASE_String* pFilename, EFileAction action = kFileOpen, const char* dir = nullptr,
                             const char* extensions = nullptr) = 0;
  virtual bool PromptForColor(IColor* pColor, const char* prompt = nullptr) = 0;
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
                       const char* errMsg = nullptr) = 0;

  virtual void* OpenWindow(void* pParentView) = 0;
  // The Carbon form; no platform of this system opens one through it.
  virtual void* OpenWindow(void* pWindow, void* pControl)
  {
    (void)pWindow;
    (void)pControl;
    return nullptr;
  }
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;

  // Deletes every control.
  virtual ~IGraphics();

  // Loads (or finds in the process-wide cache) the image with this resource ID.
  virtual IBitmap LoadIBitmap(int ID, const char* name, int nStates = 1) = 0;
  // New cached bitmaps, owned by the cache; the handles keep the source's frame count.
  virtual IBitmap ScaleBitmap(IBitmap* pSrc, int destW, int destH) = 0;
  virtual IBitmap CropBitmap(IBitmap* pSrc, IRECT* pR) = 0;

  // Loads the image and inserts an unbound bitmap control showing it at (0, 0) at index 0,
  // moving every control attached before it up by one. While the editor is built.
  virtual void AttachBackground(int ID, const char* name);

  // Lines from (xi, yLo) to (xi, yHi) and from (xLo, yi) to (xHi, yi), both ends included.
  virtual bool DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi);
  virtual bool DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi);

  // Hands the bitmap to the cache, which owns it from then on.
  virtual void RetainBitmap(IBitmap* pBitmap) = 0;
  // Removes the bitmap from the cache and deletes it.
  virtual void ReleaseBitmap(IBitmap* pBitmap) = 0;

  // Host or audio thread as well as the user-interface thread: pushes a value into every
  // control bound to the parameter. A plain (not normalized) value is converted with the
  // parameter's mapping, which then must exist. Stores values and flags only: no
  // allocation, no blocking. Virtual (after every other operation) so that a plug-in's
  // tests can observe what the plug-in object sends its editor.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized);

  // Appends the control, takes ownership and returns its index (-1 when memory ran out;
  // the control is then deleted). User-interface thread, while the editor is built: other
  // threads read the list without a lock once the editor is attached to its plug-in.
  int AttachControl(IControl* pControl);
  IControl* GetControl(int idx) { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }

  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  bool GetStrictDrawing() const { return mStrict; }

  // Audio thread as well: pushes a value into the control with this list index; any other
  // index does nothing.
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  // Sets every control bound to the parameter as a user gesture would, so the plug-in is told.
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Limits the values of every control bound to the parameter from their next SetDirty on.
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);

  // Grows *pR by the rectangle of every dirty control; true when any was dirty.
  bool IsDirty(IRECT* pR);
  // Repaints what needs it, then copies pR to the screen; DrawScreen's result.
  bool Draw(IRECT* pR);
  void OnGUIIdle();

  void OnMouseDown(int x, int y, IMouseMod* pMod);
  void OnMouseUp(int x, int y, IMouseMod* pMod);
  void OnMouseDrag(int x, int y, IMouseMod* pMod);
  // True when the control took the double click as a second press.
  bool OnMouseDblClick(int x, int y, IMouseMod* pMod);
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* pMod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  // The control that would take a mouse event at (x, y): the capturing one if any,
  // otherwise the topmost visible, enabled control hit there; -1 when none.
  int GetMouseControlIdx(int x, int y);
  void ReleaseMouseCapture();
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  bool HandlesMouseOver() const { return mHandleMouseOver; }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }

  // A hook for showing a control's value while it is moved; does nothing here.
  void DisplayControlValue(IControl* pControl) { (void)pControl; }

  // Draws frame bmpState (from 1) of the bitmap's strip at pDest.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int bmpState = 1, const IChannelBlend* pBlend = nullptr);
  bool DrawRect(const IColor* pColor, IRECT* pR);
  // x from 0 (left edge) to 1 (right edge), clamped.
  bool DrawVerticalLine(const IColor* pColor, IRECT* pR, float x);
  // y from 0 (bottom edge) to 1 (top edge), clamped.
  bool DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y);
  // Angle in radians, 0 pointing up, growing clockwise; from radius rMin to rMax.
  bool DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* pBlend = nullptr, bool antiAlias = false);

  IEffectBase* GetPlug() { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  // The area of the current repaint pass; drawing is clipped to it.
  const IRECT* GetDrawRECT() const { return &mDrawRECT; }

protected:
  void SetDrawRECT(const IRECT& r) { mDrawRECT = r; }

  BASE_PtrList<IControl> mControls;
  IEffectBase* mPlug;
  IRECT mDrawRECT;
  int mWidth, mHeight;
  int mFPS;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = -1, mMouseY = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;

private:
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // The control's parameter index, -1 for a missing control.
  int ParamIdxOf(int controlIdx);
};
