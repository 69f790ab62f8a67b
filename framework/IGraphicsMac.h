#pragma once

#include "BASE_String.h"
#include "IGraphicsRaster.h"

class IGraphicsCarbon;
class IGraphicsCocoa_v1003_kelvo;
class NSMutableDictionary;

// The editor on the Mac: a Cocoa view (or, for a host that asks for a Carbon view, a
// Carbon user-pane control) shows the off-screen surface, a repaint timer invalidates what
// changed, mouse and wheel events reach the editor in its own top-left coordinates, text is
// drawn into the surface with the platform's fonts, and images are read from the plug-in
// bundle's resources.
//
// Threads: the main (user-interface) thread for everything here, as the platform delivers
// timers, view messages and Carbon events there. The header includes no platform header, so
// the product may create the editor without seeing the platform.
class IGraphicsMac : public IGraphicsRaster
{
public:
  // fps below 1 becomes 24. Makes Cocoa usable even inside a Carbon host.
  IGraphicsMac(IEffectBase* plug, int w, int h, int fps = 0);
  ~IGraphicsMac() override;

  // The identifier of the bundle whose resources hold the images; every bundle look-up uses it.
  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  const char* GetBundleID() const { return mBundleID.Get(); }

  // Copies the whole surface into the view's (or Carbon control's) current drawing
  // context; false when there is none (outside a paint).
  bool DrawScreen(IRECT* pR) override;
  // Draws one line of text into the surface at the style's point size (size x 0.75).
  bool DrawIText(IText* pTxt, const char* str, IRECT* pR) override;

  // Closes any open view, then makes a new Cocoa view of the editor's size, added to the
  // parent view when one is given. Returns the view (an NSView*); its superview (or the
  // host that embeds it) owns it.
  void* OpenWindow(void* pParentView) override;
  // Closes any open view, then builds a Carbon user pane in the window (a WindowRef) under
  // the parent control (a ControlRef, or null). Returns the user-pane control.
  void* OpenWindow(void* pWindow, void* pParentControl) override;
  // Stops the view's timer and breaks the link between editor and view both ways, taking
  // the view out of its superview; or disposes of the Carbon host.
  void CloseWindow() override;
  // The Cocoa view, or null.
  void* GetWindow() override;
  bool WindowIsOpen() override;

  // Also resizes the surface, then the Carbon window and control or the Cocoa view.
  void Resize(int w, int h) override;

  // Web links when the text contains "http", otherwise file paths; whether the desktop could
  // open it (false when no link can be made of the text). The other texts are unused.
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsg = nullptr) override;
  // The folder holding the plug-in bundle, with a trailing "/"; unchanged when the bundle
  // is not found.
  void PluginPath(BASE_String* pPath) override;
  // The executable of the bundle; unchanged when the bundle is not found.
  void HostPath(BASE_String* pPath) override;
  void PromptUserInput(IControl* pControl, IParam* pParam) override;
  void PromptForFile(BASE_String* pFilename, EFileAction action = kFileOpen, const char* dir = nullptr,
                     const char* extensions = nullptr) override;
  bool PromptForColor(IColor* pColor, const char* prompt = nullptr) override;

  // The image resource "name" of the bundle (a "png" or "jpg" name in any case; the
  // folder part of the name is ignored); null when it is missing. The ID is not used.
  RAS_IBitmap* OSLoadBitmap(int ID, const char* name) override;
  // The same look-up for any bundle identifier.
  static RAS_IBitmap* LoadImageResource(const char* bundleID, const char* name);

  // The system version as BCD (0x1068 for 10.6.8), also written to the trace log.
  static int GetUserOSVersion();

  // The view tells the editor that it is being destroyed while still linked.
  void ViewDestroyed(IGraphicsCocoa_v1003_kelvo* pView);

  // The open Carbon host, or null.
  IGraphicsCarbon* GetCarbon() { return mGraphicsCarbon; }

  // The text style whose colour and alignment the text attributes hold now.
  const IText* GetCachedTextStyle() const { return &mTxtStyle; }

private:
  IGraphicsCarbon* mGraphicsCarbon = nullptr;
  IGraphicsCocoa_v1003_kelvo* mGraphicsCocoa = nullptr;
  BASE_String mBundleID;
  NSMutableDictionary* mTxtAttrs = nullptr;
  IText mTxtStyle;
};
