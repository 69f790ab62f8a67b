#include "helpers.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Helpers, SaturatorIsOddNearTanhForSmallArgumentsAndKeepsRising)
{
  EXPECT_NEAR(tanh_approx1(1.0), 0.760406, 1e-6);
  EXPECT_NEAR(tanh_approx1(5.0), 1.015647, 1e-6);
  EXPECT_NEAR(tanh_approx1(10.0), 1.332971, 1e-6);
  EXPECT_EQ(tanh_approx1(0.0), 0.0);
  // Unlike tanh it does not level off: the linear term takes it past 1 and on upwards.
  EXPECT_GT(tanh_approx1(20.0), tanh_approx1(10.0) + 0.5);
  for (double x = 0.05; x <= 20.0; x += 0.05) {
    EXPECT_EQ(tanh_approx1(-x), -tanh_approx1(x)) << x;
    if (x <= 1.0) {
      EXPECT_NEAR(tanh_approx1(x), std::tanh(x), 0.01) << x;
    }
  }
}

TEST(Helpers, NevilleInterpolationReproducesAQuarticThroughFivePointsEverywhere)
{
  auto quartic = [](double g) { return (((0.5 * g - 1.25) * g + 3.0) * g - 2.0) * g + 7.0; };
  const double x[5] = {-11.757, -3.938, 0.5, 5.849, 11.575};
  double y[5];
  for (int i = 0; i < 5; ++i) {
    y[i] = quartic(x[i]);
  }
  for (double g = -14.0; g <= 14.0; g += 0.37) {
    EXPECT_NEAR(nevilleInterpolate(x, y, g), quartic(g), 1e-9 * (1.0 + std::fabs(quartic(g)))) << g;
  }
}
