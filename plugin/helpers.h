#pragma once

// Soft saturator of the bass exciter: an odd rational function close to tanh for small
// arguments that keeps rising for large ones through its linear term (0.760406 at 1,
// 1.015647 at 5, 1.332971 at 10). Render thread: plain arithmetic, one division.
inline double tanh_approx1(double x)
{
  return x / ((x * 0.37011709966) * x + 1.1605589854) + x * 0.1071000671;
}

// Value at g of the polynomial of degree four through the five points (x[i], y[i]),
// by Neville's algorithm. The x values must be distinct. Setter code only.
double nevilleInterpolate(const double x[5], const double y[5], double g);
