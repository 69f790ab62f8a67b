#include "CoreGraphicsPrivate.h"

#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSWindow.h>

#include <new>
#include <vector>

namespace {

struct ContextState
{
  NSGraphicsContext* current = nullptr;
  std::vector<NSGraphicsContext*> saved;
  static ContextState& Get()
  {
    static thread_local ContextState state;
    return state;
  }
};

}  // namespace

NSGraphicsContext::~NSGraphicsContext()
{
  CGContextRelease(mPort);
}

NSGraphicsContext* NSGraphicsContext::currentContext()
{
  return ContextState::Get().current;
}

void NSGraphicsContext::setCurrentContext(NSGraphicsContext* context)
{
  ContextState& s = ContextState::Get();
  if (context) context->retain();
  if (s.current) s.current->release();
  s.current = context;
}

void NSGraphicsContext::saveGraphicsState()
{
  ContextState& s = ContextState::Get();
  if (s.current) {
    s.current->retain();
    CGContextSaveGState(s.current->mPort);
  }
  s.saved.push_back(s.current);
}

void NSGraphicsContext::restoreGraphicsState()
{
  ContextState& s = ContextState::Get();
  if (s.saved.empty()) return;
  NSGraphicsContext* previous = s.saved.back();
  s.saved.pop_back();
  setCurrentContext(previous);
  if (previous) {
    CGContextRestoreGState(previous->mPort);
    previous->release();
  }
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(void* graphicsPort,
                                                                              BOOL initialFlippedState)
{
  if (!graphicsPort) return nullptr;
  NSGraphicsContext* c = new (std::nothrow) NSGraphicsContext;
  if (!c) return nullptr;
  c->mPort = CGContextRetain(static_cast<CGContextRef>(graphicsPort));
  c->mFlipped = initialFlippedState != NO;
  return static_cast<NSGraphicsContext*>(c->autorelease());
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithWindow(NSWindow* window)
{
  return window ? graphicsContextWithGraphicsPort_flipped(window->backingContext(), NO) : nullptr;
}

void NSGraphicsContext::setShouldAntialias(BOOL flag)
{
  CGContextSetShouldAntialias(mPort, flag != NO);
}

BOOL NSGraphicsContext::shouldAntialias() const
{
  return mPort && mPort->state.antialias ? YES : NO;
}

void NSGraphicsContext::flushGraphics()
{
  CGContextFlush(mPort);
}
