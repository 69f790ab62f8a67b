#pragma once

// The root object of the Cocoa stand-in. Objects are C++ classes named as the SDK names
// them; methods are named after their selectors, with the colons of a multi-part
// selector written as underscores (`initWithFrame`, `addTimer_forMode`).
//
// Memory: reference counted as in Cocoa. `new` gives a count of one (the "alloc"), an
// `init...` method returns `this`; `retain` adds one, `release` removes one and deletes
// at zero, `autorelease` hands one count to the innermost NSAutoreleasePool of the
// thread. Convenience constructors (`stringWithUTF8String`, `fontWithName_size`, ...)
// return autoreleased objects. A thread without a pool of its own uses a fallback pool
// that the run loop drains after every pass.
//
// Threads: an object is used by one thread at a time; retain and release are atomic.

#include <atomic>
#include <cstddef>

typedef signed char BOOL;
#ifndef YES
#define YES ((BOOL)1)
#endif
#ifndef NO
#define NO ((BOOL)0)
#endif

typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef double NSTimeInterval;

class NSObject;
class NSString;
typedef NSObject* id;
#ifndef nil
#define nil nullptr
#endif

// A registered class: its name and a factory that makes a new instance (count one).
struct objc_class
{
  const char* name;
  NSObject* (*alloc)();
};
typedef const objc_class* Class;

class NSObject
{
public:
  NSObject();
  virtual ~NSObject();
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  NSObject* init() { return this; }
  NSObject* retain();
  void release();
  NSObject* autorelease();
  NSUInteger retainCount() const;

  // Protocol conformance by name ("AUCocoaUIBase"); subclasses that adopt a protocol
  // answer YES for it.
  virtual BOOL conformsToProtocol(const char* protocolName) const;
  virtual NSString* description();

private:
  std::atomic<long> mRefs;
};

// Pools nest per thread; the innermost collects `autorelease`d objects and releases
// them when drained or deleted. Create and delete on the same thread, innermost first.
class NSAutoreleasePool
{
public:
  NSAutoreleasePool();
  ~NSAutoreleasePool();
  NSAutoreleasePool(const NSAutoreleasePool&) = delete;
  NSAutoreleasePool& operator=(const NSAutoreleasePool&) = delete;

  void drain();
  static void addObject(NSObject* object);

private:
  friend struct NSAutoreleasePoolStack;
  void* mObjects;
  NSAutoreleasePool* mOuter;
};

// The class registry: a component registers its classes from a static initialiser
// (NSClassRegistration) so that a host finds them by name, as it finds the Cocoa view
// factory named in an audio unit's view info. Null when no class has that name.
Class NSClassFromString(NSString* name);
Class NSClassFromCString(const char* name);
// Registers (or replaces) a class by name; returns NO for a null name or factory.
BOOL NSRegisterClass(const objc_class* cls);
// Removes the class if `cls` is the one registered under its name.
void NSUnregisterClass(const objc_class* cls);

// Registers T under `name` for the lifetime of the holder (a static object of the
// component, so that unloading the component unregisters the class).
template <class T>
class NSClassRegistration
{
public:
  explicit NSClassRegistration(const char* name) : mClass{name, &Make} { NSRegisterClass(&mClass); }
  ~NSClassRegistration() { NSUnregisterClass(&mClass); }
  NSClassRegistration(const NSClassRegistration&) = delete;
  NSClassRegistration& operator=(const NSClassRegistration&) = delete;

private:
  static NSObject* Make() { return new T(); }
  objc_class mClass;
};
