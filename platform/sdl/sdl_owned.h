// SDL's objects owned as the rest of the host owns memory: each in a
// unique_ptr whose deleter is SDL's own freeing call, so an early return or a
// replaced object never leaks one and none is freed twice.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <memory>

namespace platform {

// Calls `Free` on what it is given; SDL's freeing calls take null as well,
// but a unique_ptr never hands its deleter null.
template <auto Free>
struct SdlFree {
  template <typename T>
  void operator()(T* object) const {
    Free(object);
  }
};

using OwnedSurface = std::unique_ptr<SDL_Surface, SdlFree<&SDL_FreeSurface>>;
using OwnedWindow = std::unique_ptr<SDL_Window, SdlFree<&SDL_DestroyWindow>>;
using OwnedController = std::unique_ptr<SDL_GameController, SdlFree<&SDL_GameControllerClose>>;
// The samples SDL_LoadWAV_RW gives.
using OwnedWavSamples = std::unique_ptr<Uint8, SdlFree<&SDL_FreeWAV>>;
using OwnedMusic = std::unique_ptr<Mix_Music, SdlFree<&Mix_FreeMusic>>;
using OwnedChunk = std::unique_ptr<Mix_Chunk, SdlFree<&Mix_FreeChunk>>;

}  // namespace platform
