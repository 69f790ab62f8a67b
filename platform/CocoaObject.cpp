#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

NSObject::NSObject() : mRefs(1) {}

NSObject::~NSObject() = default;

NSObject* NSObject::retain()
{
  mRefs.fetch_add(1, std::memory_order_relaxed);
  return this;
}

void NSObject::release()
{
  if (mRefs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

NSObject* NSObject::autorelease()
{
  NSAutoreleasePool::addObject(this);
  return this;
}

NSUInteger NSObject::retainCount() const
{
  return static_cast<NSUInteger>(mRefs.load(std::memory_order_relaxed));
}

BOOL NSObject::conformsToProtocol(const char*) const
{
  return NO;
}

NSString* NSObject::description()
{
  return NSString::stringWithUTF8String("NSObject");
}

// The thread's pools, innermost last, and the fallback pool for objects autoreleased
// outside any pool (drained by the run loop, or at thread exit).
struct NSAutoreleasePoolStack
{
  NSAutoreleasePool* innermost = nullptr;
  std::vector<NSObject*> fallback;
  ~NSAutoreleasePoolStack() { DrainFallback(); }
  void DrainFallback()
  {
    while (!fallback.empty()) {
      std::vector<NSObject*> objects;
      objects.swap(fallback);
      for (NSObject* o : objects) o->release();
    }
  }
  static NSAutoreleasePoolStack& Get()
  {
    static thread_local NSAutoreleasePoolStack stack;
    return stack;
  }
};

void NSAutoreleasePoolDrainFallback()
{
  NSAutoreleasePoolStack::Get().DrainFallback();
}

NSAutoreleasePool::NSAutoreleasePool() : mObjects(new std::vector<NSObject*>), mOuter(nullptr)
{
  NSAutoreleasePoolStack& stack = NSAutoreleasePoolStack::Get();
  mOuter = stack.innermost;
  stack.innermost = this;
}

NSAutoreleasePool::~NSAutoreleasePool()
{
  drain();
  NSAutoreleasePoolStack& stack = NSAutoreleasePoolStack::Get();
  if (stack.innermost == this) stack.innermost = mOuter;
  delete static_cast<std::vector<NSObject*>*>(mObjects);
}

void NSAutoreleasePool::drain()
{
  auto* objects = static_cast<std::vector<NSObject*>*>(mObjects);
  // releasing may autorelease more objects into this pool
  while (!objects->empty()) {
    std::vector<NSObject*> batch;
    batch.swap(*objects);
    for (NSObject* o : batch) o->release();
  }
}

void NSAutoreleasePool::addObject(NSObject* object)
{
  if (!object) return;
  NSAutoreleasePoolStack& stack = NSAutoreleasePoolStack::Get();
  if (stack.innermost)
    static_cast<std::vector<NSObject*>*>(stack.innermost->mObjects)->push_back(object);
  else
    stack.fallback.push_back(object);
}

namespace {

struct ClassRegistry
{
  std::mutex lock;
  std::map<std::string, const objc_class*> classes;
  static ClassRegistry& Get()
  {
    static ClassRegistry registry;
    return registry;
  }
};

}  // namespace

Class NSClassFromCString(const char* name)
{
  if (!name) return nullptr;
  ClassRegistry& r = ClassRegistry::Get();
  std::lock_guard<std::mutex> hold(r.lock);
  auto it = r.classes.find(name);
  return it == r.classes.end() ? nullptr : it->second;
}

Class NSClassFromString(NSString* name)
{
  return name ? NSClassFromCString(name->UTF8String()) : nullptr;
}

BOOL NSRegisterClass(const objc_class* cls)
{
  if (!cls || !cls->name || !cls->alloc || !*cls->name) return NO;
  ClassRegistry& r = ClassRegistry::Get();
  std::lock_guard<std::mutex> hold(r.lock);
  r.classes[cls->name] = cls;
  return YES;
}

void NSUnregisterClass(const objc_class* cls)
{
  if (!cls || !cls->name) return;
  ClassRegistry& r = ClassRegistry::Get();
  std::lock_guard<std::mutex> hold(r.lock);
  auto it = r.classes.find(cls->name);
  if (it != r.classes.end() && it->second == cls) r.classes.erase(it);
}
