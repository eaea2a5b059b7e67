// Arithmetic shared by the corpus generators that must not depend on the C library's
// transcendental functions (their last bits differ between implementations).
#pragma once

#include <cmath>

inline constexpr double kBenchPi = 3.14159265358979323846;

// sin(2 pi turns) from a fixed polynomial; absolute error below 1e-6.
inline double BenchSine(double turns) {
  double t = turns - std::floor(turns);
  if (t >= 0.5) t -= 1.0;
  double x = 2.0 * kBenchPi * t;  // [-pi, pi)
  if (x > kBenchPi / 2) x = kBenchPi - x;
  if (x < -kBenchPi / 2) x = -kBenchPi - x;
  const double x2 = x * x;
  return x * (1 - x2 / 6 * (1 - x2 / 20 * (1 - x2 / 42 * (1 - x2 / 72 * (1 - x2 / 110)))));
}
