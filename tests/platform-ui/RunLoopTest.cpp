#include <Foundation/Foundation.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

class Ticker : public NSObject
{
public:
  void onTimer(NSTimer* timer)
  {
    times.push_back(NSRunLoop::now());
    last = timer;
    if (stopAfter > 0 && static_cast<int>(times.size()) == stopAfter) timer->invalidate();
  }
  std::vector<NSTimeInterval> times;
  NSTimer* last = nullptr;
  int stopAfter = 0;
};

class ManualClock : public ::testing::Test
{
protected:
  void SetUp() override { NSRunLoop::useManualClock(1000.0); }
  void TearDown() override { NSRunLoop::useSystemClock(); }
  // A timer that counts into `fired`, added in the given mode.
  NSTimer* counter(NSTimeInterval period, int& fired, bool repeats = true, NSString* mode = NSDefaultRunLoopMode)
  {
    NSTimer* t = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(
        period, nil, [&fired](NSTimer*) { ++fired; }, nil, repeats ? YES : NO);
    loop->addTimer_forMode(t, mode);
    return t;
  }
  NSAutoreleasePool pool;
  NSRunLoop* loop = NSRunLoop::currentRunLoop();
};

}  // namespace

TEST_F(ManualClock, RepeatingTimerFiresAtEveryPeriodAndRetainsItsTargetUntilInvalidated)
{
  Ticker* ticker = new Ticker;
  NSTimer* timer = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(1.0 / 24, ticker, &Ticker::onTimer,
                                                                                   nil, YES);
  timer->retain();
  loop->addTimer_forMode(timer, NSRunLoopCommonModes);
  EXPECT_EQ(ticker->retainCount(), 2u);
  loop->advanceTime(0.5);
  ASSERT_EQ(ticker->times.size(), 12u);
  for (size_t i = 0; i < ticker->times.size(); ++i) EXPECT_NEAR(ticker->times[i], 1000.0 + (i + 1) / 24.0, 1e-9);
  EXPECT_EQ(ticker->last, timer);
  EXPECT_TRUE(timer->isValid());
  {
    NSAutoreleasePool inner;
    timer->invalidate();
  }
  loop->advanceTime(0.5);
  EXPECT_EQ(ticker->times.size(), 12u);
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(ticker->retainCount(), 1u);
  EXPECT_EQ(loop->timerCount(), 0u);
  timer->release();

  // invalidated from its own action: fires no more
  ticker->times.clear();
  ticker->stopAfter = 3;
  NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(0.25, ticker, &Ticker::onTimer, nil, YES);
  loop->advanceTime(5);
  EXPECT_EQ(ticker->times.size(), 3u);
  EXPECT_EQ(loop->timerCount(), 0u);
  ticker->release();
}

TEST_F(ManualClock, OneShotTimerFiresOnceAndRunOncePumpsOnePass)
{
  int fired = 0, repeated = 0;
  NSTimer* timer = counter(0.3, fired, false);
  timer->retain();
  loop->advanceTime(0.29);
  EXPECT_EQ(fired, 0);
  loop->advanceTime(0.02);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(timer->isValid());
  loop->advanceTime(1);
  EXPECT_EQ(fired, 1);
  timer->release();

  NSTimer* t = counter(0.2, repeated);
  EXPECT_FALSE(loop->runOnce(0));
  EXPECT_EQ(repeated, 0);
  // waiting jumps the manual clock to the timer's fire date
  EXPECT_TRUE(loop->runOnce(1));
  EXPECT_EQ(repeated, 1);
  EXPECT_NEAR(t->fireTime() - NSRunLoop::now(), 0.2, 1e-9);
  t->invalidate();
}

TEST_F(ManualClock, CommonModesTimerAlsoFiresWhileTracking)
{
  int common = 0, plain = 0;
  NSTimer* a = counter(0.1, common, true, NSRunLoopCommonModes);
  NSTimer* b = counter(0.1, plain);
  // while the host tracks a drag the loop runs in the event-tracking mode
  loop->runMode_beforeDate(NSEventTrackingRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(0.15));
  EXPECT_EQ(std::make_pair(common, plain), std::make_pair(1, 0));
  loop->runMode_beforeDate(NSDefaultRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(0.01));
  EXPECT_EQ(plain, 1);
  a->invalidate();
  b->invalidate();
}

TEST_F(ManualClock, RunUntilDateStopsAtTheDateAndStopEndsRun)
{
  int fired = 0, count = 0;
  NSTimer* t = counter(0.1, fired);
  const NSTimeInterval start = NSRunLoop::now();
  loop->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(1.05));
  EXPECT_EQ(fired, 10);
  EXPECT_NEAR(NSRunLoop::now() - start, 1.05, 1e-9);
  NSTimer* stopper = NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(
      0.35, nil, [&count, this](NSTimer*) {
        if (++count == 2) loop->stop();
      },
      nil, YES);
  loop->run();
  EXPECT_EQ(count, 2);
  EXPECT_NEAR(NSRunLoop::now() - start, 1.05 + 0.7, 1e-9);
  t->invalidate();
  stopper->invalidate();
  // nothing left to run: run returns at once
  loop->run();
}

TEST(RunLoop, SystemClockTimerFiresInRealTime)
{
  NSAutoreleasePool pool;
  int fired = 0;
  NSTimer* t = NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(
      0.01, nil, [&fired](NSTimer*) { ++fired; }, nil, YES);
  NSRunLoop::currentRunLoop()->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(0.1));
  EXPECT_GE(fired, 3);
  t->invalidate();
}

TEST(AutoreleasePool, ReleasesItsObjectsWhenDrainedInnermostFirst)
{
  NSObject* kept = new NSObject;
  {
    NSAutoreleasePool outer;
    kept->retain()->autorelease();
    {
      NSAutoreleasePool inner;
      kept->retain()->autorelease();
      EXPECT_EQ(kept->retainCount(), 3u);
    }
    EXPECT_EQ(kept->retainCount(), 2u);
  }
  EXPECT_EQ(kept->retainCount(), 1u);
  kept->release();
}
