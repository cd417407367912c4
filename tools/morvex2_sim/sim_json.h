// One state of the play screen as a line of JSON, with the calls the game made
// while it got there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/call_log.h"
#include "play/play_scene.h"

namespace sim {

// The keys, in order: event, the scene's members and the clearing flags,
// piece, next, calls, cells. Ends with a newline.
std::string StateLine(std::string_view event, const PlayScene& scene,
                      const std::vector<platform::RecordedCall>& calls);

}  // namespace sim
