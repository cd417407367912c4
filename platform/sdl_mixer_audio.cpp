#include "platform/sdl_mixer_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/midi_file_check.h"

namespace platform {

namespace {

// CD rate, 16-bit stereo; 1024 frames (23 ms) keep the clap close to its pop.
constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kChunkFrames = 1024;

// Every clap goes to the same mixing channel, so a new clap replaces the one
// still sounding, just as the old sound API did.
constexpr int kClapChannel = 0;

// A background tune is a few kilobytes; anything far larger is not one, and is
// not read into memory.
constexpr std::uintmax_t kLargestTune = 4 * 1024 * 1024;

std::optional<std::vector<std::uint8_t>> ReadTuneFile(const char* fileName) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(fileName, error);
  if (error || size > kLargestTune) return std::nullopt;
  // Read through SDL rather than a C++ stream: the first stream brings up the
  // C++ library's locales, half a megabyte of memory for one small file.
  SDL_RWops* in = SDL_RWFromFile(fileName, "rb");
  if (in == nullptr) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  const std::size_t read = bytes.empty() ? 0 : SDL_RWread(in, bytes.data(), 1, bytes.size());
  SDL_RWclose(in);
  if (read != bytes.size()) return std::nullopt;
  return bytes;
}

// The mixer's own file loader leaks its file handle when a file is not a
// sound it knows, so the file is opened and closed here.
Mix_Chunk* LoadSound(const char* fileName) {
  SDL_RWops* source = SDL_RWFromFile(fileName, "rb");
  if (source == nullptr) return nullptr;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(source, SDL_FALSE);
  SDL_RWclose(source);
  return chunk;
}

// A tune keeps its file's bytes: the mixer may read them while it plays.
struct Tune {
  std::vector<std::uint8_t> bytes;
  Mix_Music* music = nullptr;
};

}  // namespace

struct SdlMixerAudio::Mixer {
  std::map<TuneHandle, Tune> tunes;
  // Sounds are read on their first play and kept until Close; a file that
  // could not be read is remembered as null and not read again.
  std::map<std::string, Mix_Chunk*> sounds;

  Mix_Music* Music(TuneHandle tune) const {
    auto found = tunes.find(tune);
    return found != tunes.end() ? found->second.music : nullptr;
  }

  ~Mixer() {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& [handle, tune] : tunes) Mix_FreeMusic(tune.music);
    for (auto& [name, chunk] : sounds) Mix_FreeChunk(chunk);  // null is allowed
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
};

struct SdlMixerAudio::Deferred {
  bool open = false;
  std::vector<std::pair<TuneHandle, std::vector<std::uint8_t>>> tunes;
  TuneHandle playing = 0;

  bool Has(TuneHandle tune) const {
    return std::any_of(tunes.begin(), tunes.end(),
                       [&](const auto& entry) { return entry.first == tune; });
  }
};

SdlMixerAudio::SdlMixerAudio(std::string soundFont) : soundFont_(std::move(soundFont)) {}

SdlMixerAudio::~SdlMixerAudio() {
  Close();
}

void SdlMixerAudio::DeferStart() {
  if (!deferred_) deferred_ = std::make_unique<Deferred>();
}

// The tunes keep the handles they were given; one the synthesiser cannot take
// now stays silent, as it would have had it been loaded at once.
void SdlMixerAudio::FinishStart() {
  if (!deferred_) return;
  const std::unique_ptr<Deferred> asked = std::move(deferred_);
  if (!asked->open || !Open()) return;
  for (auto& [handle, bytes] : asked->tunes) AddTune(handle, std::move(bytes));
  if (asked->playing != 0) PlayTune(asked->playing);
}

bool SdlMixerAudio::Open() {
  if (deferred_) {
    deferred_->open = true;
    return true;
  }
  if (mixer_) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  // Without MIDI support the tunes simply fail to load; the clap still works.
  Mix_Init(MIX_INIT_MID);
  PointAtSoundFont();
  // A machine without a sound card may get this far and fail only here.
  if (Mix_OpenAudio(kFrequency, MIX_DEFAULT_FORMAT, kChannels, kChunkFrames) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  mixer_ = std::make_unique<Mixer>();
  return true;
}

// Pointing the mixer at a soundfont that is not there makes every tune load
// and play without a sound, so it is pointed only at one that exists.
void SdlMixerAudio::PointAtSoundFont() const {
  std::error_code error;
  if (std::filesystem::is_regular_file(soundFont_, error)) Mix_SetSoundFonts(soundFont_.c_str());
}

void SdlMixerAudio::Close() {
  if (deferred_) *deferred_ = Deferred{};
  mixer_.reset();
}

TuneHandle SdlMixerAudio::LoadTune(const char* fileName) {
  const bool open = deferred_ ? deferred_->open : mixer_ != nullptr;
  if (!open || fileName == nullptr) return 0;
  if (lastTuneHandle_ == std::numeric_limits<TuneHandle>::max()) return 0;
  std::optional<std::vector<std::uint8_t>> bytes = ReadTuneFile(fileName);
  if (!bytes || !IsPlayableMidi(*bytes)) return 0;
  if (deferred_) {
    deferred_->tunes.emplace_back(++lastTuneHandle_, std::move(*bytes));
    return lastTuneHandle_;
  }
  if (!AddTune(lastTuneHandle_ + 1, std::move(*bytes))) return 0;
  return ++lastTuneHandle_;
}

bool SdlMixerAudio::AddTune(TuneHandle handle, std::vector<std::uint8_t> bytes) {
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) return false;
  Mix_Music* music = Mix_LoadMUSType_RW(source, MUS_MID, SDL_TRUE);
  if (music == nullptr) return false;
  mixer_->tunes.emplace(handle, Tune{std::move(bytes), music});
  return true;
}

void SdlMixerAudio::PlayTune(TuneHandle tune) {
  if (deferred_) {
    // A tune it does not know leaves whatever plays playing, as below.
    if (deferred_->Has(tune)) deferred_->playing = tune;
    return;
  }
  if (!mixer_) return;
  // -1: the tune starts again at its end for as long as its screen is shown.
  if (Mix_Music* music = mixer_->Music(tune)) Mix_PlayMusic(music, -1);
}

void SdlMixerAudio::StopTune() {
  if (deferred_) deferred_->playing = 0;
  if (mixer_) Mix_HaltMusic();
}

void SdlMixerAudio::FreeTune(TuneHandle tune) {
  if (deferred_) {
    std::erase_if(deferred_->tunes, [&](const auto& entry) { return entry.first == tune; });
    if (deferred_->playing == tune) deferred_->playing = 0;
    return;
  }
  if (!mixer_) return;
  auto found = mixer_->tunes.find(tune);
  if (found == mixer_->tunes.end()) return;
  Mix_FreeMusic(found->second.music);  // stops it first if it is playing
  mixer_->tunes.erase(found);
}

bool SdlMixerAudio::PlaySound(const char* fileName) {
  // A clap cannot wait: whatever was put off is done now.
  FinishStart();
  if (!mixer_ || fileName == nullptr) return false;
  auto [entry, isNew] = mixer_->sounds.try_emplace(fileName, nullptr);
  if (isNew) entry->second = LoadSound(fileName);
  if (entry->second == nullptr) return false;
  return Mix_PlayChannel(kClapChannel, entry->second, 0) == kClapChannel;
}

}  // namespace platform
