// Elementary functions computed the same way on every machine.
//
// The generated pictures and sounds are committed, and a test regenerates them
// and compares byte for byte. The C library's sin, exp and friends may differ in
// the last bit between library versions, and one such bit can flip a palette
// choice, so the generators use these instead. Only +, -, *, / and sqrt are
// used, all of which are exactly rounded by IEEE 754.
#pragma once

namespace art {

inline constexpr double kPi = 3.14159265358979323846;

double Sin(double x);
double Cos(double x);
double Exp(double x);
double Log(double x);                      // x > 0
double Pow(double base, double exponent);  // base > 0, or base == 0
double Atan2(double y, double x);

inline double Clamp(double v, double lo, double hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}
inline double Lerp(double a, double b, double t) {
  return a + (b - a) * t;
}
// 0 below edge0, 1 above edge1, a smooth S-curve between.
double SmoothStep(double edge0, double edge1, double x);

}  // namespace art
