#include "helpers.h"

double nevilleInterpolate(const double x[5], const double y[5], double g)
{
  double p[5] = {y[0], y[1], y[2], y[3], y[4]};
  // p[i] holds the polynomial through points i - m .. i; going down in i keeps p[i - 1]
  // at the previous degree while p[i] is raised.
  for (int m = 1; m <= 4; ++m) {
    for (int i = 4; i >= m; --i) {
      p[i] = ((g - x[i - m]) * p[i] - (g - x[i]) * p[i - 1]) / (x[i] - x[i - m]);
    }
  }
  return p[4];
}
