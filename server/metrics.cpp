#include "server/metrics.h"

#include <sstream>

namespace server {

void Metrics::CountRequest(const std::string& route, int status) {
  const std::lock_guard lock(mutex_);
  ++requests_[{route, status}];
}

void Metrics::CountSubmission(const std::string& outcome) {
  const std::lock_guard lock(mutex_);
  ++submissions_[outcome];
}

void Metrics::ObserveVerification(double seconds) {
  const std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < kBuckets.size(); ++i) {
    if (seconds <= kBuckets[i]) ++bucketCounts_[i];
  }
  ++verifications_;
  verificationSeconds_ += seconds;
}

std::string Metrics::Text(std::optional<std::size_t> openTickets) const {
  const std::lock_guard lock(mutex_);
  std::ostringstream out;
  out << "# HELP morvex2_http_requests_total Requests answered, by route and status.\n"
         "# TYPE morvex2_http_requests_total counter\n";
  for (const auto& [key, count] : requests_) {
    out << "morvex2_http_requests_total{route=\"" << key.first << "\",status=\"" << key.second
        << "\"} " << count << '\n';
  }
  out << "# HELP morvex2_submissions_total Submitted games, accepted or refused by code.\n"
         "# TYPE morvex2_submissions_total counter\n";
  for (const auto& [outcome, count] : submissions_) {
    out << "morvex2_submissions_total{outcome=\"" << outcome << "\"} " << count << '\n';
  }
  out << "# HELP morvex2_verification_seconds Time to play a submitted game back.\n"
         "# TYPE morvex2_verification_seconds histogram\n";
  for (std::size_t i = 0; i < kBuckets.size(); ++i) {
    out << "morvex2_verification_seconds_bucket{le=\"" << kBuckets[i] << "\"} " << bucketCounts_[i]
        << '\n';
  }
  out << "morvex2_verification_seconds_bucket{le=\"+Inf\"} " << verifications_ << '\n'
      << "morvex2_verification_seconds_sum " << verificationSeconds_ << '\n'
      << "morvex2_verification_seconds_count " << verifications_ << '\n';
  if (openTickets) {
    out << "# HELP morvex2_open_tickets Tickets given and neither redeemed nor expired.\n"
           "# TYPE morvex2_open_tickets gauge\n"
           "morvex2_open_tickets "
        << *openTickets << '\n';
  }
  return out.str();
}

}  // namespace server
