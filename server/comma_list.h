// Lists written with commas, as the command line's --trusted-proxy and
// --allow-origin take them and as X-Forwarded-For carries them.
#pragma once

#include <string_view>
#include <vector>

namespace server {

// The entries of `list`, as they are between its commas (empty ones
// included: a caller that takes none refuses the list); one entry, `list`
// itself, when it has no comma.
[[nodiscard]] std::vector<std::string_view> CommaEntries(std::string_view list);

}  // namespace server
