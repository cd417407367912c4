#include "tools/art/det_math.h"

#include <cmath>

namespace art {
namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kHalfPi = 0.5 * kPi;
constexpr double kLn2 = 0.69314718055994530942;

// Taylor series of sin on [-pi/2, pi/2]; the last term is below 1e-16 there.
double SinReduced(double x) {
  const double x2 = x * x;
  double term = x;
  double sum = x;
  for (int n = 1; n <= 10; ++n) {
    term *= -x2 / static_cast<double>((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

// atan on [0, 1] by two argument halvings and a short Taylor series.
double AtanUnit(double t) {
  for (int i = 0; i < 2; ++i) t = t / (1.0 + std::sqrt(1.0 + t * t));
  const double t2 = t * t;
  double term = t;
  double sum = t;
  for (int n = 1; n <= 12; ++n) {
    term *= -t2;
    sum += term / static_cast<double>(2 * n + 1);
  }
  return 4.0 * sum;
}

}  // namespace

double Sin(double x) {
  x = std::fmod(x, kTwoPi);  // fmod is exact
  if (x > kPi) x -= kTwoPi;
  if (x < -kPi) x += kTwoPi;
  if (x > kHalfPi) x = kPi - x;
  if (x < -kHalfPi) x = -kPi - x;
  return SinReduced(x);
}

double Cos(double x) {
  return Sin(x + kHalfPi);
}

double Exp(double x) {
  if (x < -700.0) return 0.0;
  if (x > 700.0) x = 700.0;
  const double n = std::floor(x / kLn2 + 0.5);
  const double r = x - n * kLn2;
  double term = 1.0;
  double sum = 1.0;
  for (int k = 1; k <= 18; ++k) {
    term *= r / static_cast<double>(k);
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(n));
}

double Log(double x) {
  int exponent = 0;
  double m = std::frexp(x, &exponent);  // m in [0.5, 1)
  if (m < 0.70710678118654752440) {
    m *= 2.0;
    --exponent;
  }
  // log m = 2 atanh(s) with s = (m - 1) / (m + 1), |s| < 0.172.
  const double s = (m - 1.0) / (m + 1.0);
  const double s2 = s * s;
  double power = s;
  double sum = 0.0;
  for (int k = 0; k < 16; ++k) {
    sum += power / static_cast<double>(2 * k + 1);
    power *= s2;
  }
  return 2.0 * sum + static_cast<double>(exponent) * kLn2;
}

double Pow(double base, double exponent) {
  if (base <= 0.0) return 0.0;
  return Exp(exponent * Log(base));
}

double Atan2(double y, double x) {
  const double ax = std::fabs(x);
  const double ay = std::fabs(y);
  if (ax == 0.0 && ay == 0.0) return 0.0;
  double a = ay <= ax ? AtanUnit(ay / ax) : kHalfPi - AtanUnit(ax / ay);
  if (x < 0.0) a = kPi - a;
  return y < 0.0 ? -a : a;
}

double SmoothStep(double edge0, double edge1, double x) {
  const double t = Clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

}  // namespace art
