#pragma once

#include <ctime>

// An interval timer on the processor clock.
class Timer
{
public:
  Timer();
  // True when more than interval * 100 clock ticks have passed since the last time
  // recorded; the time is then recorded again.
  bool Every(double interval);

private:
  clock_t mLast;
};
