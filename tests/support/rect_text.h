// A rectangle as the tests print it: "x,y wxh".
#pragma once

#include <SDL.h>

#include <string>

inline std::string RectText(const SDL_Rect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
         std::to_string(r.h);
}
