#include "platform/sdl/sdl_keys.h"

namespace platform {

namespace {

struct KeyPair {
  SDL_Keycode sdl;
  UINT vk;
};

// Keys outside letters, digits and F1-F12. Keypad Enter is RETURN, as on the
// keyboards the game was made for, where both send the same key.
constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, 0x08},     {SDLK_TAB, 0x09},         {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN}, {SDLK_PAUSE, 0x13},       {SDLK_CAPSLOCK, 0x14},
    {SDLK_ESCAPE, VK_ESCAPE},   {SDLK_SPACE, VK_SPACE},   {SDLK_PAGEUP, 0x21},
    {SDLK_PAGEDOWN, 0x22},      {SDLK_END, 0x23},         {SDLK_HOME, 0x24},
    {SDLK_LEFT, VK_LEFT},       {SDLK_UP, VK_UP},         {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},       {SDLK_INSERT, 0x2D},      {SDLK_DELETE, 0x2E},
    {SDLK_KP_0, 0x60},          {SDLK_KP_1, 0x61},        {SDLK_KP_2, 0x62},
    {SDLK_KP_3, 0x63},          {SDLK_KP_4, 0x64},        {SDLK_KP_5, 0x65},
    {SDLK_KP_6, 0x66},          {SDLK_KP_7, 0x67},        {SDLK_KP_8, 0x68},
    {SDLK_KP_9, 0x69},          {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B},
    {SDLK_KP_MINUS, 0x6D},      {SDLK_KP_PERIOD, 0x6E},   {SDLK_KP_DIVIDE, 0x6F},
    {SDLK_LSHIFT, 0x10},        {SDLK_RSHIFT, 0x10},      {SDLK_LCTRL, 0x11},
    {SDLK_RCTRL, 0x11},         {SDLK_LALT, 0x12},        {SDLK_RALT, 0x12},
};

}  // namespace

UINT VirtualKeyFromSdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<UINT>(VK_F1 + (key - SDLK_F1));
  for (const KeyPair& pair : kKeys) {
    if (pair.sdl == key) return pair.vk;
  }
  return 0;
}

}  // namespace platform
