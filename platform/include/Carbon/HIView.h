#pragma once

// Carbon windows, controls (views) and regions on the Cocoa window machinery: a Carbon
// window is an NSWindow whose views are controls. Control coordinates have their
// origin at the top left and y downwards, relative to the parent control; window
// bounds are global (screen) coordinates, also top-left.
//
// Drawing. In a compositing window (kWindowCompositingAttribute) a control draws when
// the run loop's draw pass reaches it: its kEventControlDraw carries the control, the
// region to draw (kEventParamRgnHandle, control coordinates) and a CGContext
// (kEventParamCGContextRef) whose user space is the control's, top-left and y
// downwards. In a non-compositing window the event carries the window's port
// (kEventParamGrafPort) instead; QDBeginCGContext gives the port's context (window
// coordinates, bottom-left, y upwards) and UpdateControls draws at once.
//
// Mouse. Window-system input reaches the window's event target as kEventClassMouse
// events (location in global coordinates as typeHIPoint, window content location,
// modifiers as cmdKey.., button, click count; wheel axis and delta); when no handler
// takes a press, the control under it gets kEventControlClick.
//
// Regions are rectangles here (their bounding box).
//
// Threads: the main (user-interface) thread only.

#include <Carbon/CarbonEvents.h>
#include <CoreGraphics/CGContext.h>

class NSWindow;

typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;
typedef ControlRef HIViewRef;
typedef struct OpaqueGrafPtr* CGrafPtr;
typedef CGrafPtr GrafPtr;
typedef struct OpaqueRgnHandle* RgnHandle;
typedef UInt32 WindowClass;
typedef UInt32 WindowAttributes;
typedef UInt16 WindowRegionCode;

struct Rect
{
  short top;
  short left;
  short bottom;
  short right;
};
typedef struct Rect Rect;

struct Point
{
  short v;
  short h;
};
typedef struct Point Point;

struct HIViewID
{
  OSType signature;
  SInt32 id;
};
typedef struct HIViewID HIViewID;
extern const HIViewID kHIViewWindowContentID;

enum { kDocumentWindowClass = 6, kPlainWindowClass = 13 };
enum {
  kWindowNoAttributes = 0,
  kWindowCloseBoxAttribute = 1 << 0,
  kWindowCompositingAttribute = 1 << 19,
  kWindowStandardHandlerAttribute = 1 << 25
};
enum { kWindowStructureRgn = 32, kWindowContentRgn = 33 };

// User-pane features.
enum {
  kControlSupportsEmbedding = 1 << 1,
  kControlSupportsFocus = 1 << 2,
  kControlWantsIdle = 1 << 3,
  kControlWantsActivate = 1 << 4,
  kControlHandlesTracking = 1 << 5,
  kControlSupportsDataAccess = 1 << 13,
  kControlSupportsGetRegion = 1 << 17,
  kControlSupportsFlattening = 1 << 19,
  kControlSupportsSetCursor = 1 << 20,
  kControlSupportsContextualMenus = 1 << 21,
  kControlSupportsClickActivation = 1 << 22,
  kControlIdlesWithTimer = 1 << 23,
  kControlInvertsUpDownValueMeaning = 1 << 24,
  kControlSupportsCalcBestRect = 1 << 28
};

enum { errNoRootControl = -30599, errRootAlreadyExists = -30600, errUnknownControl = -30584, errInvalidWindowRef = -5600 };

// Windows.
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* contentBounds,
                         WindowRef* outWindow);
void DisposeWindow(WindowRef window);
void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect* globalBounds);
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect* globalBounds);
EventTargetRef GetWindowEventTarget(WindowRef window);
CGrafPtr GetWindowPort(WindowRef window);
// The Cocoa window behind a Carbon window.
NSWindow* HIWindowGetCocoaWindow(WindowRef window);

// Controls and views.
OSStatus CreateRootControl(WindowRef window, ControlRef* outControl);
OSStatus GetRootControl(WindowRef window, ControlRef* outControl);
HIViewRef HIViewGetRoot(WindowRef window);
OSStatus HIViewFindByID(HIViewRef inStartView, HIViewID inID, HIViewRef* outControl);
OSStatus CreateUserPaneControl(WindowRef window, const Rect* boundsRect, UInt32 features, ControlRef* outControl);
OSStatus EmbedControl(ControlRef inControl, ControlRef inContainer);
OSStatus HIViewAddSubview(HIViewRef inParent, HIViewRef inNewChild);
// Sends kEventControlDispose, takes the control (and its children) out and frees it.
void DisposeControl(ControlRef control);
WindowRef GetControlOwner(ControlRef control);
HIViewRef HIViewGetSuperview(HIViewRef view);
EventTargetRef GetControlEventTarget(ControlRef control);
UInt32 GetControlFeatures(ControlRef control);
// Frame in the parent's coordinates; changing it sends kEventControlBoundsChanged.
Rect* GetControlBounds(ControlRef control, Rect* bounds);
void SetControlBounds(ControlRef control, const Rect* bounds);
OSStatus HIViewGetFrame(HIViewRef view, HIRect* outRect);
OSStatus HIViewSetFrame(HIViewRef view, const HIRect* inRect);
OSStatus HIViewGetBounds(HIViewRef view, HIRect* outRect);
// Converts a point between two views of one window (null: the window's content).
OSStatus HIViewConvertPoint(HIPoint* ioPoint, HIViewRef inSourceView, HIViewRef inDestView);
OSStatus HIViewSetNeedsDisplay(HIViewRef view, Boolean inNeedsDisplay);
OSStatus HIViewSetNeedsDisplayInRect(HIViewRef view, const HIRect* inRect, Boolean inNeedsDisplay);
// Draws the controls that meet the region (all when null) now.
void UpdateControls(WindowRef window, RgnHandle updateRegion);
void Draw1Control(ControlRef control);

// QuickDraw ports and regions.
OSStatus QDBeginCGContext(CGrafPtr inPort, CGContextRef* outContext);
OSStatus QDEndCGContext(CGrafPtr inPort, CGContextRef* inoutContext);
RgnHandle NewRgn();
void DisposeRgn(RgnHandle rgn);
void RectRgn(RgnHandle rgn, const Rect* r);
void SetRectRgn(RgnHandle rgn, short left, short top, short right, short bottom);
Rect* GetRegionBounds(RgnHandle rgn, Rect* bounds);
Boolean EmptyRgn(RgnHandle rgn);
void SetRect(Rect* r, short left, short top, short right, short bottom);
