#include "Timer.h"

Timer::Timer()
  : mLast(clock())
{
}

bool Timer::Every(double interval)
{
  clock_t now = clock();
  // Unsigned difference, so a wrapped clock still counts forward.
  unsigned long elapsed = static_cast<unsigned long>(now) - static_cast<unsigned long>(mLast);
  if (static_cast<double>(elapsed) > interval * 100.0) {
    mLast = now;
    return true;
  }
  return false;
}
