#include "CocoaPrivate.h"

#include <Foundation/NSRunLoop.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <mutex>
#include <new>

void NSAutoreleasePoolDrainFallback();

NSString* const NSDefaultRunLoopMode = NSStringConstant("kCFRunLoopDefaultMode");
NSString* const NSRunLoopCommonModes = NSStringConstant("kCFRunLoopCommonModes");
NSString* const NSEventTrackingRunLoopMode = NSStringConstant("NSEventTrackingRunLoopMode");
NSString* const NSModalPanelRunLoopMode = NSStringConstant("NSModalPanelRunLoopMode");

const CFStringRef kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFStringRef kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");

namespace {

constexpr NSTimeInterval kNever = std::numeric_limits<double>::max();
// seconds from the Unix epoch to the reference date (1 January 2001)
constexpr NSTimeInterval kReferenceDateOffset = 978307200.0;
constexpr NSTimeInterval kMinimumInterval = 0.0001;

std::atomic<bool> gManualClock{false};
std::mutex gClockLock;
NSTimeInterval gManualNow = 0;

std::atomic<NSRunLoop*> gMainLoop{nullptr};

const char* ModeName(NSString* mode)
{
  return mode ? mode->UTF8String() : "kCFRunLoopDefaultMode";
}

bool IsCommonMode(const std::string& mode)
{
  return mode == "kCFRunLoopDefaultMode" || mode == "NSEventTrackingRunLoopMode" || mode == "NSModalPanelRunLoopMode";
}

bool TimerRunsIn(const std::set<std::string>& modes, const std::string& mode)
{
  if (modes.count(mode)) return true;
  return modes.count("kCFRunLoopCommonModes") && IsCommonMode(mode);
}

void SetManualNow(NSTimeInterval t)
{
  std::lock_guard<std::mutex> hold(gClockLock);
  gManualNow = std::max(gManualNow, t);
}

}  // namespace

namespace cocoapriv {

void DrainFallbackPool()
{
  NSAutoreleasePoolDrainFallback();
}

}  // namespace cocoapriv

NSTimeInterval NSRunLoop::now()
{
  if (gManualClock.load()) {
    std::lock_guard<std::mutex> hold(gClockLock);
    return gManualNow;
  }
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count() - kReferenceDateOffset;
}

void NSRunLoop::useManualClock(NSTimeInterval start)
{
  std::lock_guard<std::mutex> hold(gClockLock);
  gManualNow = start;
  gManualClock = true;
}

void NSRunLoop::useSystemClock()
{
  gManualClock = false;
}

BOOL NSRunLoop::usesManualClock()
{
  return gManualClock.load() ? YES : NO;
}

NSRunLoop* NSRunLoop::currentRunLoop()
{
  struct Holder
  {
    NSRunLoop* loop = nullptr;
    ~Holder()
    {
      NSRunLoop* expected = loop;
      gMainLoop.compare_exchange_strong(expected, nullptr);
      delete loop;
    }
  };
  static thread_local Holder holder;
  if (!holder.loop) {
    holder.loop = new NSRunLoop;
    NSRunLoop* none = nullptr;
    gMainLoop.compare_exchange_strong(none, holder.loop);
  }
  return holder.loop;
}

NSRunLoop* NSRunLoop::mainRunLoop()
{
  NSRunLoop* loop = gMainLoop.load();
  return loop ? loop : currentRunLoop();
}

NSRunLoop::~NSRunLoop()
{
  // at thread exit: no autoreleasing, the thread's pools may be gone already
  std::vector<NSTimer*> timers;
  timers.swap(mTimers);
  for (NSTimer* t : timers) {
    t->mLoop = nullptr;
    t->mValid = false;
    t->mAction = nullptr;
    if (t->mTarget) t->mTarget->release();
    if (t->mUserInfo) t->mUserInfo->release();
    t->mTarget = nullptr;
    t->mUserInfo = nullptr;
    t->release();
  }
}

void NSRunLoop::addTimer_forMode(NSTimer* timer, NSString* mode)
{
  if (!timer || !timer->mValid) return;
  if (timer->mLoop && timer->mLoop != this) return;
  timer->mModes.insert(ModeName(mode));
  if (timer->mLoop == this) return;
  timer->mLoop = this;
  timer->retain();
  mTimers.push_back(timer);
}

void NSRunLoop::addTimer_forMode(NSTimer* timer, CFStringRef mode)
{
  const char* name = mode ? CFStringGetCStringPtr(mode, kCFStringEncodingUTF8) : nullptr;
  addTimer_forMode(timer, name ? NSStringConstant(name) : nullptr);
}

void NSRunLoop::removeTimer(NSTimer* timer)
{
  auto it = std::find(mTimers.begin(), mTimers.end(), timer);
  if (it == mTimers.end()) return;
  mTimers.erase(it);
  timer->mLoop = nullptr;
  // released after the current call stack is done with it
  timer->autorelease();
}

NSTimeInterval NSRunLoop::nextFireTime(NSString* mode) const
{
  return nextFireTimeIn(ModeName(mode));
}

NSTimeInterval NSRunLoop::nextFireTimeIn(const std::string& m) const
{
  NSTimeInterval next = kNever;
  for (NSTimer* t : mTimers)
    if (t->mValid && TimerRunsIn(t->mModes, m)) next = std::min(next, t->mFireTime);
  return next;
}

int NSRunLoop::fireDueTimers(const std::string& mode)
{
  const NSTimeInterval t = now();
  std::vector<NSTimer*> due;
  for (NSTimer* timer : mTimers)
    if (timer->mValid && timer->mFireTime <= t && TimerRunsIn(timer->mModes, mode)) due.push_back(timer);
  std::stable_sort(due.begin(), due.end(), [](NSTimer* a, NSTimer* b) { return a->mFireTime < b->mFireTime; });
  for (NSTimer* timer : due) timer->retain();
  int fired = 0;
  for (NSTimer* timer : due) {
    if (timer->mValid) {
      if (timer->mRepeats) {
        // the next multiple of the interval after now; late fires are not made up
        NSTimeInterval next = timer->mFireTime + timer->mInterval;
        if (next <= t) next += std::ceil((t - next) / timer->mInterval + 1e-9) * timer->mInterval;
        if (next <= t) next = t + timer->mInterval;
        timer->mFireTime = next;
        if (timer->mAction) timer->mAction(timer);
      } else {
        NSTimer::Action action = timer->mAction;
        timer->invalidate();
        if (action) action(timer);
      }
      ++fired;
    }
    timer->release();
  }
  return fired;
}

BOOL NSRunLoop::pass(const std::string& mode, NSTimeInterval limit, bool mayWait)
{
  ++mDepth;
  bool did = fireDueTimers(mode) > 0;
  did = cocoapriv::PumpWindowSystem(0) || did;
  did = cocoapriv::DisplayWindowsIfNeeded() || did;
  if (!did && mayWait) {
    const NSTimeInterval wake = std::min(limit, nextFireTimeIn(mode));
    if (wake != kNever) {
      if (gManualClock.load()) {
        SetManualNow(wake);
        did = cocoapriv::PumpWindowSystem(0);
      } else {
        const NSTimeInterval wait = std::max(0.0, wake - now());
        did = cocoapriv::PumpWindowSystem(wait);
      }
      did = fireDueTimers(mode) > 0 || did;
      did = cocoapriv::DisplayWindowsIfNeeded() || did;
    } else if (!gManualClock.load() && cocoapriv::WindowSystemConnected()) {
      did = cocoapriv::PumpWindowSystem(0.5);
      did = cocoapriv::DisplayWindowsIfNeeded() || did;
    }
  }
  --mDepth;
  if (mDepth == 0) cocoapriv::DrainFallbackPool();
  return did ? YES : NO;
}

BOOL NSRunLoop::runOnce(NSTimeInterval timeout)
{
  return pass("kCFRunLoopDefaultMode", now() + std::max(0.0, timeout), timeout > 0);
}

BOOL NSRunLoop::runMode_beforeDate(NSString* mode, NSDate* limitDate)
{
  const std::string m = ModeName(mode);
  const bool hasSources = nextFireTime(mode) != kNever || cocoapriv::WindowSystemConnected();
  pass(m, limitDate ? limitDate->timeIntervalSinceReferenceDate() : now(), limitDate != nullptr);
  return hasSources ? YES : NO;
}

void NSRunLoop::runUntilDate(NSDate* limitDate)
{
  const NSTimeInterval limit = limitDate ? limitDate->timeIntervalSinceReferenceDate() : now();
  mStopped = false;
  while (!mStopped && now() < limit) {
    const bool hasSources = nextFireTime(nullptr) != kNever || cocoapriv::WindowSystemConnected();
    if (!hasSources && gManualClock.load()) {
      SetManualNow(limit);
      break;
    }
    pass("kCFRunLoopDefaultMode", limit, true);
  }
  mStopped = false;
}

void NSRunLoop::run()
{
  mStopped = false;
  while (!mStopped) {
    const bool hasSources = nextFireTime(nullptr) != kNever || cocoapriv::WindowSystemConnected();
    if (!hasSources) break;
    pass("kCFRunLoopDefaultMode", kNever, true);
  }
  mStopped = false;
}

void NSRunLoop::stop()
{
  mStopped = true;
}

void NSRunLoop::advanceTime(NSTimeInterval seconds)
{
  if (!gManualClock.load() || seconds < 0) return;
  const NSTimeInterval end = now() + seconds;
  for (;;) {
    const NSTimeInterval next = nextFireTime(nullptr);
    if (next > end) break;
    SetManualNow(next);
    pass("kCFRunLoopDefaultMode", next, false);
  }
  SetManualNow(end);
  pass("kCFRunLoopDefaultMode", end, false);
}

NSTimer* NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(NSTimeInterval seconds, NSObject* target,
                                                                         Action action, NSObject* userInfo,
                                                                         BOOL repeats)
{
  NSTimer* t = new (std::nothrow) NSTimer;
  if (!t) return nullptr;
  t->mInterval = seconds > 0 ? seconds : kMinimumInterval;
  t->mFireTime = NSRunLoop::now() + t->mInterval;
  t->mRepeats = repeats != NO;
  t->mAction = std::move(action);
  t->mTarget = target ? target->retain() : nullptr;
  t->mUserInfo = userInfo ? userInfo->retain() : nullptr;
  return static_cast<NSTimer*>(t->autorelease());
}

NSTimer* NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(NSTimeInterval seconds,
                                                                                  NSObject* target, Action action,
                                                                                  NSObject* userInfo, BOOL repeats)
{
  NSTimer* t = timerWithTimeInterval_target_selector_userInfo_repeats(seconds, target, std::move(action), userInfo,
                                                                      repeats);
  if (t) NSRunLoop::currentRunLoop()->addTimer_forMode(t, NSDefaultRunLoopMode);
  return t;
}

NSTimer::~NSTimer()
{
  if (mTarget) mTarget->release();
  if (mUserInfo) mUserInfo->release();
}

void NSTimer::invalidate()
{
  if (!mValid) return;
  mValid = false;
  // the action may own the last reference to its captures; keep them until we return
  Action action;
  action.swap(mAction);
  NSObject* target = mTarget;
  NSObject* userInfo = mUserInfo;
  mTarget = nullptr;
  mUserInfo = nullptr;
  retain();
  if (mLoop) mLoop->removeTimer(this);
  if (target) target->autorelease();
  if (userInfo) userInfo->autorelease();
  autorelease();
}

void NSTimer::fire()
{
  if (!mValid) return;
  retain();
  if (mAction) {
    Action action = mAction;
    action(this);
  }
  if (!mRepeats) invalidate();
  release();
}

NSDate* NSTimer::fireDate() const
{
  NSDate* d = new (std::nothrow) NSDate(mFireTime);
  return d ? static_cast<NSDate*>(d->autorelease()) : nullptr;
}

void NSTimer::setFireDate(NSDate* date)
{
  if (date) mFireTime = date->timeIntervalSinceReferenceDate();
}

NSDate* NSDate::date()
{
  return dateWithTimeIntervalSinceNow(0);
}

NSDate* NSDate::dateWithTimeIntervalSinceNow(NSTimeInterval seconds)
{
  NSDate* d = new (std::nothrow) NSDate(NSRunLoop::now() + seconds);
  return d ? static_cast<NSDate*>(d->autorelease()) : nullptr;
}

NSDate* NSDate::distantFuture()
{
  NSDate* d = new (std::nothrow) NSDate(kNever);
  return d ? static_cast<NSDate*>(d->autorelease()) : nullptr;
}

NSTimeInterval NSDate::timeIntervalSinceNow() const
{
  return mTime - NSRunLoop::now();
}
