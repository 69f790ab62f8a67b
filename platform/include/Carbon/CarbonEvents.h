#pragma once

// Carbon events: typed events (class, kind, named parameters) sent to event targets
// (windows and controls) whose installed handlers see them most recent first; a
// handler answers eventNotHandledErr to let the next one (and finally the target's
// standard behaviour) have the event, or passes it on explicitly with
// CallNextEventHandler. Event-loop timers run on the main run loop (common modes),
// the same loop as Cocoa's timers and windows.
//
// Threads: the main (user-interface) thread only.

#include <CoreGraphics/CGGeometry.h>
#include <MacTypes.h>

typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventLoopRef* EventLoopRef;
typedef struct OpaqueEventLoopTimerRef* EventLoopTimerRef;
typedef OSType EventParamName;
typedef OSType EventParamType;
typedef UInt32 EventKind;
typedef UInt32 EventClass;
typedef unsigned long ItemCount;
typedef unsigned long ByteCount;
typedef double EventTime;
typedef EventTime EventTimerInterval;
typedef UInt32 EventAttributes;
typedef UInt16 EventMouseWheelAxis;
typedef UInt16 EventMouseButton;
typedef CGPoint HIPoint;
typedef CGRect HIRect;
typedef CGSize HISize;

struct EventTypeSpec
{
  UInt32 eventClass;
  UInt32 eventKind;
};
typedef struct EventTypeSpec EventTypeSpec;

static const EventTime kEventDurationSecond = 1.0;
static const EventTime kEventDurationMillisecond = 0.001;
static const EventTime kEventDurationNoWait = 0.0;

enum {
  kEventClassMouse = 0x6D6F7573,    // 'mous'
  kEventClassKeyboard = 0x6B657962, // 'keyb'
  kEventClassWindow = 0x77696E64,   // 'wind'
  kEventClassControl = 0x636E746C   // 'cntl'
};

enum {
  kEventMouseDown = 1,
  kEventMouseUp = 2,
  kEventMouseMoved = 5,
  kEventMouseDragged = 6,
  kEventMouseWheelMoved = 10
};

enum {
  kEventControlDraw = 4,
  kEventControlClick = 13,
  kEventControlBoundsChanged = 154,
  kEventControlInitialize = 1000,
  kEventControlDispose = 1001
};

enum {
  kEventParamDirectObject = 0x2D2D2D2D,       // '----'
  kEventParamCGContextRef = 0x636E7478,       // 'cntx'
  kEventParamRgnHandle = 0x72676E68,          // 'rgnh'
  kEventParamGrafPort = 0x67726166,           // 'graf'
  kEventParamMouseLocation = 0x6D6C6F63,      // 'mloc'
  kEventParamWindowMouseLocation = 0x776D6F75, // 'wmou'
  kEventParamKeyModifiers = 0x6B6D6F64,       // 'kmod'
  kEventParamMouseButton = 0x6D62746E,        // 'mbtn'
  kEventParamClickCount = 0x63636E74,         // 'ccnt'
  kEventParamMouseWheelAxis = 0x6D776178,     // 'mwax'
  kEventParamMouseWheelDelta = 0x6D77646C,    // 'mwdl'
  kEventParamOriginalBounds = 0x6F626E64,     // 'obnd'
  kEventParamCurrentBounds = 0x63626E64       // 'cbnd'
};

enum {
  typeWildCard = 0x2A2A2A2A,       // '****'
  typeControlRef = 0x6374726C,     // 'ctrl'
  typeWindowRef = 0x77696E64,      // 'wind'
  typeCGContextRef = 0x636E7478,   // 'cntx'
  typeQDRgnHandle = 0x72676E68,    // 'rgnh'
  typeGrafPtr = 0x67726674,        // 'grft'
  typeHIPoint = 0x68697074,        // 'hipt'
  typeHIRect = 0x68697263,         // 'hirc'
  typeQDPoint = 0x51447074,        // 'QDpt'
  typeQDRectangle = 0x71647274,    // 'qdrt'
  typeUInt32 = 0x6D61676E,         // 'magn'
  typeSInt32 = 0x6C6F6E67,         // 'long'
  typeMouseButton = 0x6D62746E,    // 'mbtn'
  typeMouseWheelAxis = 0x6D776178  // 'mwax'
};

enum { kEventMouseWheelAxisX = 0, kEventMouseWheelAxisY = 1 };
enum { kEventMouseButtonPrimary = 1, kEventMouseButtonSecondary = 2, kEventMouseButtonTertiary = 3 };

// Modifier keys of kEventParamKeyModifiers.
enum {
  cmdKey = 0x0100,
  shiftKey = 0x0200,
  alphaLock = 0x0400,
  optionKey = 0x0800,
  controlKey = 0x1000
};

enum {
  eventNotHandledErr = -9874,
  eventParameterNotFoundErr = -9870,
  eventInternalErr = -9868,
  eventLoopTimedOutErr = -9875
};

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;
typedef void (*EventLoopTimerProcPtr)(EventLoopTimerRef inTimer, void* inUserData);
typedef EventLoopTimerProcPtr EventLoopTimerUPP;

inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc) { return proc; }
inline void DisposeEventHandlerUPP(EventHandlerUPP) {}
inline EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc) { return proc; }
inline void DisposeEventLoopTimerUPP(EventLoopTimerUPP) {}

// Events. CreateEvent gives a count of one; parameters are copied in.
OSStatus CreateEvent(void* allocator, EventClass inClassID, EventKind kind, EventTime when, EventAttributes flags,
                     EventRef* outEvent);
EventRef RetainEvent(EventRef inEvent);
void ReleaseEvent(EventRef inEvent);
EventClass GetEventClass(EventRef inEvent);
EventKind GetEventKind(EventRef inEvent);
EventTime GetEventTime(EventRef inEvent);
OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType, ByteCount inSize,
                           const void* inDataPtr);
// Copies the parameter into outData, converting between typeHIPoint and typeQDPoint
// and between the 32-bit integer types; typeWildCard takes it as stored.
// eventParameterNotFoundErr when absent, paramErr when the buffer is too small or the
// type cannot be converted.
OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType* outActualType, ByteCount inBufferSize, ByteCount* outActualSize,
                           void* outData);

// Handlers.
OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler, ItemCount inNumTypes,
                             const EventTypeSpec* inList, void* inUserData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef);
// Offers the event to the handlers after the calling one (then the standard
// behaviour); eventNotHandledErr when nobody takes it.
OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent);
OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget);

// The event loop and its timers. A fire delay of 0 fires at the next pass; an interval
// of 0 fires once.
EventLoopRef GetMainEventLoop();
EventLoopRef GetCurrentEventLoop();
OSStatus InstallEventLoopTimer(EventLoopRef inEventLoop, EventTimerInterval inFireDelay,
                               EventTimerInterval inInterval, EventLoopTimerUPP inTimerProc, void* inTimerData,
                               EventLoopTimerRef* outTimer);
OSStatus RemoveEventLoopTimer(EventLoopTimerRef inTimer);
OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef inTimer, EventTimerInterval inNextFire);
// Runs the current run loop for up to inTimeout seconds.
OSStatus RunCurrentEventLoop(EventTimerInterval inTimeout);
void QuitApplicationEventLoop();
void RunApplicationEventLoop();
