// Pictures of a run's own in place of the program's, so that what is checked
// does not depend on the game's art. The game never sets them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace resources {

// Puts `bytes` in place of the program's resource of that name and type, or
// takes it away (nullopt), until ClearTestResources.
void SetTestResource(const std::string& name, std::uintptr_t type,
                     std::optional<std::vector<std::uint8_t>> bytes);
void ClearTestResources();

}  // namespace resources
