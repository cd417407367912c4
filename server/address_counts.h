// How many connections (or requests under way) each client holds, against a
// cap, so that one address cannot take every connection the server has.
// Used from the one thread that serves the connections.
#pragma once

#include <string>
#include <unordered_map>

namespace server {

class AddressCounts {
 public:
  // `cap` per address; 0: no cap.
  explicit AddressCounts(int cap) : cap_(cap) {}

  // Counts one more for `key`; false, counting nothing, when it holds its cap.
  [[nodiscard]] bool Take(const std::string& key) {
    int& held = held_[key];
    if (cap_ > 0 && held >= cap_) return false;
    ++held;
    return true;
  }
  void Give(const std::string& key) {
    const auto found = held_.find(key);
    if (found != held_.end() && --found->second <= 0) held_.erase(found);
  }

 private:
  int cap_;
  std::unordered_map<std::string, int> held_;
};

}  // namespace server
