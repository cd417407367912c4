#include "tools/art/clap_sound.h"

#include <cmath>

#include "tools/art/det_math.h"
#include "tools/art/rng.h"

namespace art {
namespace {

constexpr double kSeconds = 0.24;
constexpr double kPeak = 0.5 * 32767;  // -6 dB: loud enough, never clipped

// A band-pass filter (constant peak gain), from the usual biquad recipes.
class BandPass {
 public:
  BandPass(double centre, double q, double rate) {
    const double w = 2 * kPi * centre / rate;
    const double alpha = Sin(w) / (2 * q);
    const double a0 = 1 + alpha;
    b0_ = alpha / a0;
    b2_ = -alpha / a0;
    a1_ = -2 * Cos(w) / a0;
    a2_ = (1 - alpha) / a0;
  }
  double operator()(double x) {
    const double y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double b0_, b2_, a1_, a2_;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A hand clap is several hands' worth of short slaps a few milliseconds
// apart, then the room's brief ring; each slap is a burst of noise.
double Envelope(double t) {
  const double slaps[] = {0.0, 0.0085, 0.0175, 0.029};
  double e = 0;
  for (size_t i = 0; i < 4; ++i) {
    const double dt = t - slaps[i];
    if (dt < 0) continue;
    const double decay = i == 3 ? 0.045 : 0.0032;
    const double level = i == 3 ? 1.0 : 0.8;
    e += level * Exp(-dt / decay) * Clamp(dt / 0.0004, 0, 1);
  }
  return e;
}

}  // namespace

std::vector<std::int16_t> MakeClap() {
  const auto count = static_cast<size_t>(kSeconds * kClapSampleRate);
  Rng rng(0xC1A9);
  BandPass body(1100, 1.1, kClapSampleRate);
  BandPass air(2600, 0.9, kClapSampleRate);
  std::vector<double> wave(count);
  double loudest = 0;
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kClapSampleRate;
    const double noise = rng.Uniform() * 2 - 1;
    const double fadeOut = Clamp((kSeconds - t) / 0.02, 0, 1);
    wave[i] = (body(noise) + 0.5 * air(noise)) * Envelope(t) * fadeOut;
    loudest = std::fabs(wave[i]) > loudest ? std::fabs(wave[i]) : loudest;
  }
  std::vector<std::int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) {
    samples[i] = static_cast<std::int16_t>(std::floor(wave[i] / loudest * kPeak + 0.5));
  }
  return samples;
}

}  // namespace art
