#include "tools/art/quantizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

#include "tools/art/det_math.h"

namespace art {
namespace {

struct Bin {
  std::uint32_t key;  // 0xRRGGBB
  double count;
  int Channel(int c) const { return static_cast<int>((key >> (16 - 8 * c)) & 0xFF); }
};

struct Centroid {
  double c[3];
};

Rgb8 ToRgb8(Rgb c) {
  auto channel = [](double v) {
    return static_cast<std::uint8_t>(Clamp(std::floor(v + 0.5), 0.0, 255.0));
  };
  return {channel(c.r), channel(c.g), channel(c.b)};
}

std::uint32_t Key(Rgb8 c) {
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// Perceptual weights: the eye is most sensitive to green, least to blue.
double Distance(const double* a, const double* b) {
  const double dr = a[0] - b[0];
  const double dg = a[1] - b[1];
  const double db = a[2] - b[2];
  return 2.0 * dr * dr + 4.0 * dg * dg + 3.0 * db * db;
}

// Sum of squared deviations of a range of bins, and the widest channel.
double Spread(const std::vector<Bin>& bins, size_t lo, size_t hi, int* channel) {
  double best = -1.0;
  double total = 0.0;
  for (int c = 0; c < 3; ++c) {
    double n = 0, s = 0, s2 = 0;
    for (size_t i = lo; i < hi; ++i) {
      const double v = bins[i].Channel(c);
      n += bins[i].count;
      s += v * bins[i].count;
      s2 += v * v * bins[i].count;
    }
    const double var = s2 - s * s / n;
    total += var;
    if (var > best) {
      best = var;
      *channel = c;
    }
  }
  return total;
}

std::vector<Centroid> MedianCut(std::vector<Bin> bins, int wanted) {
  struct Range {
    size_t lo, hi;
  };
  std::vector<Range> boxes{{0, bins.size()}};
  while (static_cast<int>(boxes.size()) < wanted) {
    int pick = -1;
    int channel = 0;
    double worst = 0.0;
    for (size_t b = 0; b < boxes.size(); ++b) {
      if (boxes[b].hi - boxes[b].lo < 2) continue;
      int c = 0;
      const double spread = Spread(bins, boxes[b].lo, boxes[b].hi, &c);
      if (spread > worst) {
        worst = spread;
        pick = static_cast<int>(b);
        channel = c;
      }
    }
    if (pick < 0) break;
    Range box = boxes[pick];
    std::sort(bins.begin() + box.lo, bins.begin() + box.hi, [channel](const Bin& a, const Bin& b) {
      return a.Channel(channel) != b.Channel(channel) ? a.Channel(channel) < b.Channel(channel)
                                                      : a.key < b.key;
    });
    double half = 0;
    for (size_t i = box.lo; i < box.hi; ++i) half += bins[i].count;
    half /= 2;
    size_t split = box.lo + 1;
    double run = bins[box.lo].count;
    while (split < box.hi - 1 && run + bins[split].count <= half) run += bins[split++].count;
    boxes[pick] = {box.lo, split};
    boxes.push_back({split, box.hi});
  }
  std::vector<Centroid> result;
  for (const Range& box : boxes) {
    double n = 0, s[3] = {0, 0, 0};
    for (size_t i = box.lo; i < box.hi; ++i) {
      n += bins[i].count;
      for (int c = 0; c < 3; ++c) s[c] += bins[i].Channel(c) * bins[i].count;
    }
    result.push_back({{s[0] / n, s[1] / n, s[2] / n}});
  }
  return result;
}

class Matcher {
 public:
  Matcher(const std::vector<Centroid>& entries, const std::vector<bool>& usable)
      : entries_(entries), usable_(usable) {}
  int Nearest(const double* c) const {
    int best = -1;
    double bestDistance = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (!usable_[i]) continue;
      const double d = Distance(c, entries_[i].c);
      if (best < 0 || d < bestDistance) {
        best = static_cast<int>(i);
        bestDistance = d;
      }
    }
    return best;
  }

 private:
  const std::vector<Centroid>& entries_;
  const std::vector<bool>& usable_;
};

void Refine(const std::vector<Bin>& bins, std::vector<Centroid>& entries,
            const std::vector<bool>& usable, size_t firstFree) {
  for (int round = 0; round < 6; ++round) {
    std::vector<Centroid> sums(entries.size(), Centroid{{0, 0, 0}});
    std::vector<double> counts(entries.size(), 0.0);
    const Matcher matcher(entries, usable);
    for (const Bin& bin : bins) {
      const double c[3] = {double(bin.Channel(0)), double(bin.Channel(1)), double(bin.Channel(2))};
      const int i = matcher.Nearest(c);
      for (int k = 0; k < 3; ++k) sums[i].c[k] += c[k] * bin.count;
      counts[i] += bin.count;
    }
    for (size_t i = firstFree; i < entries.size(); ++i) {
      if (counts[i] == 0) continue;
      for (int k = 0; k < 3; ++k) entries[i].c[k] = sums[i].c[k] / counts[i];
    }
  }
}

}  // namespace

IndexedImage Quantize(const Canvas& canvas, const QuantizeOptions& options) {
  const int w = canvas.width();
  const int h = canvas.height();
  auto forcedAt = [&](int i) { return options.forced.empty() ? -1 : options.forced[i]; };

  // Histogram of the colours that need choosing, minus exact reserved colours.
  std::map<std::uint32_t, double> histogram;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (forcedAt(y * w + x) < 0) histogram[Key(ToRgb8(canvas.colour(x, y)))] += 1.0;
    }
  }
  for (const ReservedColour& r : options.reserved) {
    if (r.usable) histogram.erase(Key(r.colour));
  }
  std::vector<Bin> bins;
  for (const auto& [key, count] : histogram) bins.push_back({key, count});

  std::vector<Centroid> entries;
  std::vector<bool> usable;
  for (const ReservedColour& r : options.reserved) {
    entries.push_back({{double(r.colour.r), double(r.colour.g), double(r.colour.b)}});
    usable.push_back(r.usable);
  }
  const size_t firstFree = entries.size();
  const int wanted = options.size - static_cast<int>(firstFree);
  if (!bins.empty()) {
    for (const Centroid& c : MedianCut(bins, wanted)) {
      entries.push_back(c);
      usable.push_back(true);
    }
    Refine(bins, entries, usable, firstFree);
  }

  IndexedImage image;
  image.width = w;
  image.height = h;
  image.pixels.assign(static_cast<size_t>(w) * h, 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    image.palette[i] = ToRgb8({entries[i].c[0], entries[i].c[1], entries[i].c[2]});
    entries[i] = {
        {double(image.palette[i].r), double(image.palette[i].g), double(image.palette[i].b)}};
  }

  // Floyd-Steinberg where allowed, serpentine so that no direction is favoured.
  const Matcher matcher(entries, usable);
  std::vector<double> error(static_cast<size_t>(w + 2) * 2 * 3, 0.0);
  for (int y = 0; y < h; ++y) {
    double* cur = &error[static_cast<size_t>((y & 1) * (w + 2) * 3)];
    double* next = &error[static_cast<size_t>(((y + 1) & 1) * (w + 2) * 3)];
    std::fill(next, next + (w + 2) * 3, 0.0);
    const bool leftToRight = (y & 1) == 0;
    for (int step = 0; step < w; ++step) {
      const int x = leftToRight ? step : w - 1 - step;
      const int i = y * w + x;
      if (forcedAt(i) >= 0) {
        image.pixels[i] = static_cast<std::uint8_t>(forcedAt(i));
        continue;
      }
      const Rgb8 base = ToRgb8(canvas.colour(x, y));
      const bool dither = !options.dither.empty() && options.dither[i];
      double c[3] = {double(base.r), double(base.g), double(base.b)};
      if (dither) {
        for (int k = 0; k < 3; ++k) c[k] = Clamp(c[k] + cur[(x + 1) * 3 + k], 0.0, 255.0);
      }
      const int nearest = matcher.Nearest(c);
      image.pixels[i] = static_cast<std::uint8_t>(nearest);
      if (!dither) continue;
      const int ahead = leftToRight ? 1 : -1;
      for (int k = 0; k < 3; ++k) {
        const double e = c[k] - entries[nearest].c[k];
        cur[(x + 1 + ahead) * 3 + k] += e * 7.0 / 16.0;
        next[(x + 1 - ahead) * 3 + k] += e * 3.0 / 16.0;
        next[(x + 1) * 3 + k] += e * 5.0 / 16.0;
        next[(x + 1 + ahead) * 3 + k] += e * 1.0 / 16.0;
      }
    }
  }
  return image;
}

}  // namespace art
