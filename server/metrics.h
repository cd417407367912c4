// What the server counts, given at /metrics in Prometheus' text format:
// requests by route and status, submissions accepted and refused by code,
// and the time each submitted game took to play back.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace server {

class Metrics {
 public:
  // `route` is the pattern, not the path, so that ids do not make new series.
  void CountRequest(const std::string& route, int status);
  // "accepted", or a refusal's code.
  void CountSubmission(const std::string& outcome);
  void ObserveVerification(double seconds);

  // With the number of tickets open now, when the server bounds them.
  [[nodiscard]] std::string Text(std::optional<std::size_t> openTickets = std::nullopt) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, int>, std::uint64_t> requests_;
  std::map<std::string, std::uint64_t> submissions_;
  // Upper bounds of the verification histogram's buckets, in seconds: a game
  // plays back in about a millisecond, an hour's game in tens of them.
  static constexpr std::array<double, 8> kBuckets = {0.0005, 0.001, 0.0025, 0.005,
                                                     0.01,   0.025, 0.05,   0.1};
  std::array<std::uint64_t, kBuckets.size()> bucketCounts_{};
  std::uint64_t verifications_ = 0;
  double verificationSeconds_ = 0;
};

}  // namespace server
