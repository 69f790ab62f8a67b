#include "BASE_Assert.h"

#include <gtest/gtest.h>

TEST(BASE_Assert, FailedConditionWritesOneLineAndAborts)
{
  EXPECT_DEATH(BASE_ASSERT("framework/IEffectBase", 1 + 1 == 3),
               "^framework/IEffectBase:[0-9]+: failed assertion `1 \\+ 1 == 3'\n$");
}

TEST(BASE_Assert, HoldingConditionDoesNothing)
{
  int evaluated = 0;
  BASE_ASSERT("framework/IEffectBase", ++evaluated == 1);
  EXPECT_EQ(1, evaluated);
}
