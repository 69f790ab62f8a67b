#include "BASE_Assert.h"

#include <cstdio>
#include <cstdlib>

void BASE_FailAssertion(const char* file, int line, const char* condition)
{
  std::fprintf(stderr, "%s:%d: failed assertion `%s'\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}
