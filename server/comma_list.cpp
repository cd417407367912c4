#include "server/comma_list.h"

namespace server {

std::vector<std::string_view> CommaEntries(std::string_view list) {
  std::vector<std::string_view> entries;
  for (std::size_t comma = list.find(','); comma != std::string_view::npos;
       comma = list.find(',')) {
    entries.push_back(list.substr(0, comma));
    list.remove_prefix(comma + 1);
  }
  entries.push_back(list);
  return entries;
}

}  // namespace server
