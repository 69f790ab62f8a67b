#include "CarbonPrivate.h"

#include <AppKit/NSApplication.h>
#include <Foundation/NSRunLoop.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <set>

struct OpaqueEventHandlerCallRef
{
  std::vector<OpaqueEventHandlerRef*> chain;
  size_t next = 0;
  std::function<OSStatus(EventRef)> standard;
  bool standardDone = false;
};

struct OpaqueEventLoopTimerRef
{
  NSTimer* timer = nullptr;
  EventLoopTimerUPP proc = nullptr;
  void* data = nullptr;
};

namespace {

// Handler records stay valid while installed; removed ones are freed once no dispatch
// is running (a handler may remove itself or others while events are delivered).
std::set<OpaqueEventHandlerRef*>& LiveHandlers()
{
  static auto* live = new std::set<OpaqueEventHandlerRef*>;
  return *live;
}
std::vector<OpaqueEventHandlerRef*>& Graveyard()
{
  static auto* graveyard = new std::vector<OpaqueEventHandlerRef*>;
  return *graveyard;
}
int gDispatchDepth = 0;

void Bury(OpaqueEventHandlerRef* h)
{
  LiveHandlers().erase(h);
  h->removed = true;
  h->target = nullptr;
  if (gDispatchDepth > 0) Graveyard().push_back(h);
  else delete h;
}

bool Matches(const OpaqueEventHandlerRef* h, EventRef e)
{
  for (const EventTypeSpec& t : h->types)
    if (t.eventClass == e->eventClass && t.eventKind == e->kind) return true;
  return false;
}

OSStatus Continue(OpaqueEventHandlerCallRef& call, EventRef e)
{
  while (call.next < call.chain.size()) {
    OpaqueEventHandlerRef* h = call.chain[call.next++];
    if (h->removed) continue;
    const OSStatus status = h->proc(&call, e, h->userData);
    if (status != eventNotHandledErr) return status;
  }
  if (!call.standardDone) {
    call.standardDone = true;
    if (call.standard) return call.standard(e);
  }
  return eventNotHandledErr;
}

}  // namespace

OpaqueEventTargetRef::~OpaqueEventTargetRef()
{
  carbonpriv::RemoveAllHandlers(this);
}

namespace carbonpriv {

void RemoveAllHandlers(OpaqueEventTargetRef* target)
{
  std::vector<OpaqueEventHandlerRef*> handlers;
  handlers.swap(target->handlers);
  for (OpaqueEventHandlerRef* h : handlers) Bury(h);
}

}  // namespace carbonpriv

OSStatus CreateEvent(void*, EventClass inClassID, EventKind kind, EventTime when, EventAttributes, EventRef* outEvent)
{
  if (!outEvent) return paramErr;
  EventRef e = new (std::nothrow) OpaqueEventRef;
  if (!e) return memFullErr;
  e->eventClass = inClassID;
  e->kind = kind;
  e->when = when;
  *outEvent = e;
  return noErr;
}

EventRef RetainEvent(EventRef inEvent)
{
  if (inEvent) ++inEvent->refs;
  return inEvent;
}

void ReleaseEvent(EventRef inEvent)
{
  if (inEvent && --inEvent->refs == 0) delete inEvent;
}

EventClass GetEventClass(EventRef inEvent) { return inEvent ? inEvent->eventClass : 0; }
EventKind GetEventKind(EventRef inEvent) { return inEvent ? inEvent->kind : 0; }
EventTime GetEventTime(EventRef inEvent) { return inEvent ? inEvent->when : 0; }

OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType, ByteCount inSize,
                           const void* inDataPtr)
{
  if (!inEvent || (inSize && !inDataPtr)) return paramErr;
  const unsigned char* p = static_cast<const unsigned char*>(inDataPtr);
  inEvent->params[inName] = std::make_pair(inType, std::vector<unsigned char>(p, p + inSize));
  return noErr;
}

OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType* outActualType, ByteCount inBufferSize, ByteCount* outActualSize,
                           void* outData)
{
  if (!inEvent) return paramErr;
  auto it = inEvent->params.find(inName);
  if (it == inEvent->params.end()) return eventParameterNotFoundErr;
  const EventParamType stored = it->second.first;
  const std::vector<unsigned char>& bytes = it->second.second;
  std::vector<unsigned char> converted;
  const std::vector<unsigned char>* out = &bytes;
  EventParamType actual = stored;
  if (inDesiredType != typeWildCard && inDesiredType != stored) {
    if (stored == typeHIPoint && inDesiredType == typeQDPoint && bytes.size() == sizeof(HIPoint)) {
      HIPoint hp;
      std::memcpy(&hp, bytes.data(), sizeof hp);
      const Point qp = {static_cast<short>(hp.y), static_cast<short>(hp.x)};
      converted.assign(reinterpret_cast<const unsigned char*>(&qp), reinterpret_cast<const unsigned char*>(&qp) + sizeof qp);
    } else if (stored == typeQDPoint && inDesiredType == typeHIPoint && bytes.size() == sizeof(Point)) {
      Point qp;
      std::memcpy(&qp, bytes.data(), sizeof qp);
      const HIPoint hp = {static_cast<CGFloat>(qp.h), static_cast<CGFloat>(qp.v)};
      converted.assign(reinterpret_cast<const unsigned char*>(&hp), reinterpret_cast<const unsigned char*>(&hp) + sizeof hp);
    } else if ((stored == typeUInt32 || stored == typeSInt32) &&
               (inDesiredType == typeUInt32 || inDesiredType == typeSInt32) && bytes.size() == 4) {
      converted = bytes;
    } else {
      return paramErr;
    }
    out = &converted;
    actual = inDesiredType;
  }
  if (outActualType) *outActualType = actual;
  if (outActualSize) *outActualSize = out->size();
  if (outData) {
    if (inBufferSize < out->size()) return paramErr;
    if (!out->empty()) std::memcpy(outData, out->data(), out->size());
  }
  return noErr;
}

OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler, ItemCount inNumTypes,
                             const EventTypeSpec* inList, void* inUserData, EventHandlerRef* outRef)
{
  if (!inTarget || !inHandler || (inNumTypes && !inList)) return paramErr;
  OpaqueEventHandlerRef* h = new (std::nothrow) OpaqueEventHandlerRef;
  if (!h) return memFullErr;
  h->target = inTarget;
  h->proc = inHandler;
  h->types.assign(inList, inList + inNumTypes);
  h->userData = inUserData;
  inTarget->handlers.insert(inTarget->handlers.begin(), h);
  LiveHandlers().insert(h);
  if (outRef) *outRef = h;
  return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef)
{
  if (!inHandlerRef || !LiveHandlers().count(inHandlerRef)) return paramErr;
  if (OpaqueEventTargetRef* t = inHandlerRef->target) {
    auto it = std::find(t->handlers.begin(), t->handlers.end(), inHandlerRef);
    if (it != t->handlers.end()) t->handlers.erase(it);
  }
  Bury(inHandlerRef);
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent)
{
  if (!inCallRef || !inEvent) return paramErr;
  return Continue(*inCallRef, inEvent);
}

OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget)
{
  if (!inEvent || !inTarget) return paramErr;
  OpaqueEventHandlerCallRef call;
  for (OpaqueEventHandlerRef* h : inTarget->handlers)
    if (Matches(h, inEvent)) call.chain.push_back(h);
  call.standard = inTarget->standard;
  RetainEvent(inEvent);
  ++gDispatchDepth;
  const OSStatus status = Continue(call, inEvent);
  if (--gDispatchDepth == 0) {
    std::vector<OpaqueEventHandlerRef*> dead;
    dead.swap(Graveyard());
    for (OpaqueEventHandlerRef* h : dead) delete h;
  }
  ReleaseEvent(inEvent);
  return status;
}

EventLoopRef GetMainEventLoop()
{
  return reinterpret_cast<EventLoopRef>(NSRunLoop::mainRunLoop());
}

EventLoopRef GetCurrentEventLoop()
{
  return reinterpret_cast<EventLoopRef>(NSRunLoop::currentRunLoop());
}

OSStatus InstallEventLoopTimer(EventLoopRef inEventLoop, EventTimerInterval inFireDelay,
                               EventTimerInterval inInterval, EventLoopTimerUPP inTimerProc, void* inTimerData,
                               EventLoopTimerRef* outTimer)
{
  if (!inEventLoop || !inTimerProc || !outTimer || inFireDelay < 0 || inInterval < 0) return paramErr;
  OpaqueEventLoopTimerRef* ref = new (std::nothrow) OpaqueEventLoopTimerRef;
  if (!ref) return memFullErr;
  ref->proc = inTimerProc;
  ref->data = inTimerData;
  NSAutoreleasePool pool;
  NSTimer* t = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(
      inInterval > 0 ? inInterval : 1.0, nil, [ref](NSTimer*) { ref->proc(ref, ref->data); }, nil,
      inInterval > 0 ? YES : NO);
  if (!t) {
    delete ref;
    return memFullErr;
  }
  t->setFireDate(NSDate::dateWithTimeIntervalSinceNow(inFireDelay));
  ref->timer = static_cast<NSTimer*>(t->retain());
  reinterpret_cast<NSRunLoop*>(inEventLoop)->addTimer_forMode(t, NSRunLoopCommonModes);
  *outTimer = ref;
  return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef inTimer)
{
  if (!inTimer) return paramErr;
  inTimer->timer->invalidate();
  inTimer->timer->release();
  delete inTimer;
  return noErr;
}

OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef inTimer, EventTimerInterval inNextFire)
{
  if (!inTimer || inNextFire < 0) return paramErr;
  NSAutoreleasePool pool;
  inTimer->timer->setFireDate(NSDate::dateWithTimeIntervalSinceNow(inNextFire));
  return noErr;
}

OSStatus RunCurrentEventLoop(EventTimerInterval inTimeout)
{
  NSAutoreleasePool pool;
  NSRunLoop::currentRunLoop()->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(inTimeout));
  return noErr;
}

void RunApplicationEventLoop()
{
  NSApp->run();
}

void QuitApplicationEventLoop()
{
  NSApp->stop(nullptr);
}
