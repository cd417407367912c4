#include "platform/sdl/sdl_mixer_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/midi_file_check.h"
#include "platform/base/files.h"
#include "platform/base/log.h"
#include "platform/base/user_folders.h"
#include "platform/base/whole_file.h"
#include "platform/sdl/clap_wave.h"
#include "platform/tunes/shipped_tunes.h"
#include "platform/tunes/sound_font.h"
#include "platform/tunes/tune_cache.h"
#if MORVEX2_FLUIDSYNTH || MORVEX2_DECODES_RENDERINGS
#include "platform/tunes/tune_render_worker.h"
#endif
#if MORVEX2_DECODES_RENDERINGS
#include "platform/tunes/rendering_decoder.h"
#endif
#if MORVEX2_FLUIDSYNTH
#include "platform/tunes/tune_rendering.h"
#endif
#include "platform/sdl/sdl_error.h"
#include "platform/sdl/sdl_owned.h"

namespace platform {

namespace {

// CD rate, 16-bit stereo. The device wakes the mixer once a buffer, and with
// a tune playing from its rendering those wake-ups cost more than the mixing:
// 2048 frames halve them. The clap then follows its pop by 46 ms, at most
// twice that where a sound card keeps a second buffer queued: still short of
// the eighth of a second or so at which sound is noticed to lag the picture.
constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kChunkFrames = 2048;

// Every clap goes to the same mixing channel, so a new clap replaces the one
// still sounding, just as the old sound API did.
constexpr int kClapChannel = 0;

// A clap file is read once and converted to the device's format.
struct Sound {
  std::vector<std::uint8_t> samples;
  OwnedChunk chunk;  // plays from `samples`
};

// A sound or tune file that is missing stays silent without a word, as it
// always did; one that is there and cannot be read is said.
void SayUnreadable(const std::string& fileName) {
  if (errno == ENOENT) return;
  if (errno == 0) {
    LogError("reading " + fileName, "not a regular file of a sound's size");
  } else {
    LogErrno("reading " + fileName, errno);
  }
}

std::optional<Sound> LoadSound(const char* fileName) {
  const std::optional<std::vector<std::uint8_t>> bytes = ReadSmallFile(fileName, kLargestClapFile);
  if (!bytes) {
    SayUnreadable(fileName);
    return std::nullopt;
  }
  DeviceFormat device;
  int channels = 0;
  if (Mix_QuerySpec(&device.frequency, &device.format, &channels) == 0) {
    LogSdlError("Mix_QuerySpec");
    return std::nullopt;
  }
  device.channels = channels;
  std::string why;
  std::optional<std::vector<std::uint8_t>> samples = DecodeClap(*bytes, device, &why);
  if (!samples) {
    LogError(std::string("reading ") + fileName, "not a clap the game can play: " + why);
    return std::nullopt;
  }
  Sound sound{std::move(*samples), nullptr};
  sound.chunk.reset(
      SdlMade(Mix_QuickLoad_RAW(sound.samples.data(), static_cast<Uint32>(sound.samples.size())),
              "Mix_QuickLoad_RAW"));
  if (sound.chunk == nullptr) return std::nullopt;
  return sound;
}

// A checked rendering, read from its file as it plays: the mixer needs only a
// few kilobytes of it at a time. Reads go through a block read ahead, because
// the Ogg decoder of the Windows and browser builds asks for one byte at a
// time: a read of the file for each byte cost the game under Wine about 15 %
// of a core on the title screen, where everything else costs about 1 %.
constexpr std::size_t kReadAhead = 16384;

struct RenderingSource {
  File file;
  Sint64 length;
  Sint64 at = 0;
  std::vector<std::uint8_t> ahead;  // the file's bytes from aheadAt on
  Sint64 aheadAt = 0;
};

RenderingSource* SourceOf(SDL_RWops* context) {
  return static_cast<RenderingSource*>(context->hidden.unknown.data1);
}

Sint64 RenderingSize(SDL_RWops* context) {
  return SourceOf(context)->length;
}

Sint64 RenderingSeek(SDL_RWops* context, Sint64 offset, int whence) {
  RenderingSource* source = SourceOf(context);
  const Sint64 base = whence == RW_SEEK_SET   ? 0
                      : whence == RW_SEEK_CUR ? source->at
                                              : source->length;
  if (offset < -base || offset > source->length - base) return SDL_SetError("seek outside");
  return source->at = base + offset;
}

// Fills the block read ahead from the source's place; false at the end or
// when the file cannot be read.
bool ReadAhead(RenderingSource& source) {
  source.ahead.resize(static_cast<std::size_t>(
      std::min<Sint64>(static_cast<Sint64>(kReadAhead), source.length - source.at)));
  source.ahead.resize(
      source.file.ReadUpTo(static_cast<std::uint64_t>(source.at), std::span(source.ahead)));
  source.aheadAt = source.at;
  return !source.ahead.empty();
}

size_t RenderingRead(SDL_RWops* context, void* into, size_t size, size_t count) {
  RenderingSource* source = SourceOf(context);
  if (size == 0) return 0;
  const std::size_t wanted = static_cast<std::size_t>(
      std::min<std::uint64_t>(static_cast<std::uint64_t>(source->length - source->at) / size,
                              count) *
      size);
  const std::span out(static_cast<std::uint8_t*>(into), wanted);
  std::size_t done = 0;
  while (done < wanted) {
    const Sint64 inAhead = source->at - source->aheadAt;
    if (inAhead < 0 || inAhead >= static_cast<Sint64>(source->ahead.size())) {
      // A read as large as the block goes straight to the file.
      if (wanted - done >= kReadAhead) {
        const std::size_t n =
            source->file.ReadUpTo(static_cast<std::uint64_t>(source->at), out.subspan(done));
        done += n;
        source->at += static_cast<Sint64>(n);
        break;
      }
      if (!ReadAhead(*source)) break;
      continue;
    }
    const std::size_t n =
        std::min(wanted - done, source->ahead.size() - static_cast<std::size_t>(inAhead));
    std::copy_n(source->ahead.begin() + inAhead, n,
                out.begin() + static_cast<std::ptrdiff_t>(done));
    done += n;
    source->at += static_cast<Sint64>(n);
  }
  return done / size;
}

size_t RenderingWrite(SDL_RWops*, const void*, size_t, size_t) {
  return 0;
}

int RenderingClose(SDL_RWops* context) {
  // The file closes with its source.
  const std::unique_ptr<RenderingSource> source(SourceOf(context));
  SDL_FreeRW(context);
  return 0;
}

SDL_RWops* RenderingStream(CachedTune tune) {
  SDL_RWops* stream = SDL_AllocRW();
  if (stream == nullptr) {
    LogSdlError("SDL_AllocRW");
    return nullptr;
  }
  stream->type = SDL_RWOPS_UNKNOWN;
  // The stream's close gives the source back.
  stream->hidden.unknown.data1 =
      std::make_unique<RenderingSource>(RenderingSource{.file = std::move(tune.file),
                                                        .length = static_cast<Sint64>(tune.length),
                                                        .at = 0,
                                                        .ahead = {},
                                                        .aheadAt = 0})
          .release();
  stream->size = RenderingSize;
  stream->seek = RenderingSeek;
  stream->read = RenderingRead;
  stream->write = RenderingWrite;
  stream->close = RenderingClose;
  return stream;
}

#if MORVEX2_FLUIDSYNTH
Mix_Music* MusicFromMemory(const std::vector<std::uint8_t>& bytes, Mix_MusicType type) {
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) {
    LogSdlError("SDL_RWFromConstMem");
    return nullptr;
  }
  return SdlMade(Mix_LoadMUSType_RW(source, type, SDL_TRUE), "Mix_LoadMUSType_RW");
}
#endif

}  // namespace

// A synthesised tune keeps its MIDI bytes, which the mixer reads while it
// plays; a rendering is read from its file.
struct SdlMixerAudio::Tune {
  std::vector<std::uint8_t> bytes;
  OwnedMusic music;
  std::string cachePath;      // empty when there is no cache
  std::string awaitedPath;    // where its rendering will come; empty once it is heard
  bool lateFailed = false;    // it did not come, or came damaged: asked again at the next play
  bool decodingLate = false;  // its rendering has come and its samples are coming
  bool synthesised = false;   // playing from the MIDI bytes, not a rendering
  bool cacheComing = false;   // its rendering is being made in the cache, for its next start
};

struct SdlMixerAudio::Mixer {
  std::map<TuneHandle, Tune> tunes;
  TuneHandle playing = 0;  // the tune the game last started and has not stopped
  // Sounds are read on their first play and kept until Close; a file that
  // could not be read is remembered as null and not read again.
  std::map<std::string, std::optional<Sound>> sounds;
#if MORVEX2_FLUIDSYNTH || MORVEX2_DECODES_RENDERINGS
  std::unique_ptr<TuneRenderWorker> renderer;  // started by the first tune not yet in the cache

  // Has `make` write the tune's rendering into the cache, to be played from
  // the tune's next start.
  void MakeInCache(Tune& tune, RenderingJob make) {
    if (tune.cachePath.empty()) return;
    if (!renderer) renderer = std::make_unique<TuneRenderWorker>();
    renderer->Request(tune.cachePath, std::move(make));
    tune.cacheComing = true;
  }
#endif

  ~Mixer() {
#if MORVEX2_FLUIDSYNTH || MORVEX2_DECODES_RENDERINGS
    renderer.reset();  // abandons a rendering under way
#endif
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    // The tunes and sounds go while the mixer is still open.
    tunes.clear();
    sounds.clear();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
};

struct SdlMixerAudio::Deferred {
  bool open = false;
  std::vector<std::pair<TuneHandle, std::vector<std::uint8_t>>> tunes;
  TuneHandle playing = 0;

  [[nodiscard]] bool Has(TuneHandle tune) const {
    return std::any_of(tunes.begin(), tunes.end(),
                       [&](const auto& entry) { return entry.first == tune; });
  }
};

SdlMixerAudio::SdlMixerAudio() = default;

SdlMixerAudio::SdlMixerAudio(std::string soundFont, std::string cacheFolder)
    : soundFont_(std::move(soundFont)), cacheFolder_(std::move(cacheFolder)) {}

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
#if MORVEX2_FLUIDSYNTH
  if (!soundFont_) soundFont_ = FindSoundFont();
  if (soundFont_->empty()) {
    LogError("finding a General MIDI soundfont",
             "none in SDL_SOUNDFONTS or Debian's default-GM; the tunes stay silent",
             Repeats::kLogOnce);
  }
#endif
  if (!cacheFolder_) cacheFolder_ = CacheFolder();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    LogSdlError("SDL_InitSubSystem(SDL_INIT_AUDIO)", Repeats::kLogOnce);
    return false;
  }
#if MORVEX2_FLUIDSYNTH
  // The mixer takes up its MIDI synthesiser, and loads FluidSynth, only when
  // a tune must be synthesised (AddTune); the renderings and the clap need
  // none.
  PointAtSoundFont();
#endif
  // A machine without a sound card may get this far and fail only here.
  if (Mix_OpenAudio(kFrequency, MIX_DEFAULT_FORMAT, kChannels, kChunkFrames) != 0) {
    LogSdlError("Mix_OpenAudio", Repeats::kLogOnce);
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  mixer_ = std::make_unique<Mixer>();
  ApplyLoudness();
  return true;
}

void SdlMixerAudio::SetLoudness(bool muted, int volumePercent) {
  muted_ = muted;
  volumePercent_ = std::clamp(volumePercent, 0, 100);
  ApplyLoudness();
}

// The tunes and the clap, on every channel, follow the same setting.
void SdlMixerAudio::ApplyLoudness() const {
  if (!mixer_) return;
  const int volume = muted_ ? 0 : volumePercent_ * MIX_MAX_VOLUME / 100;
  Mix_VolumeMusic(volume);
  Mix_Volume(-1, volume);
}

#if MORVEX2_FLUIDSYNTH
// Pointing the mixer at a soundfont that is not there makes every tune load
// and play without a sound, so it is pointed only at one that exists.
void SdlMixerAudio::PointAtSoundFont() const {
  if (!soundFont_->empty() && Mix_SetSoundFonts(soundFont_->c_str()) == 0) {
    LogSdlError("Mix_SetSoundFonts");
  }
}
#endif

void SdlMixerAudio::UseShippedRenderings(std::string folder) {
  shippedFolder_ = std::move(folder);
}

void SdlMixerAudio::AwaitRenderings(LateRenderings late) {
  late_ = std::move(late);
}

bool SdlMixerAudio::AwaitsRenderings() const {
  return mixer_ && std::any_of(mixer_->tunes.begin(), mixer_->tunes.end(), [](const auto& entry) {
           return !entry.second.awaitedPath.empty() && !entry.second.lateFailed;
         });
}

void SdlMixerAudio::TakeLateRenderings() {
  if (!mixer_) return;
  for (auto& [handle, tune] : mixer_->tunes) {
    if (!tune.awaitedPath.empty() && !tune.lateFailed) TakeLateRendering(handle, tune);
  }
}

// The tune waits for its rendering where it comes late; one that is here
// already is heard at once. False where none comes.
bool SdlMixerAudio::AwaitLateRendering(TuneHandle handle, Tune& tune,
                                       std::span<const std::uint8_t> bytes,
                                       const std::string& soundFont) {
  if (!late_.ask) return false;
  std::string path = TuneCachePath(late_.folder, bytes, soundFont);
  const LateFile state = late_.ask(path);
  if (state == LateFile::kNone) return false;
  tune.awaitedPath = std::move(path);
  Tune& awaiting = mixer_->tunes.emplace(handle, std::move(tune)).first->second;
  if (state == LateFile::kHere) TakeLateRendering(handle, awaiting);
  return true;
}

void SdlMixerAudio::TakeLateRendering(TuneHandle handle, Tune& tune) const {
  if (!LateRenderingCame(tune) || tune.lateFailed) return;
  tune.awaitedPath.clear();
  if (handle == mixer_->playing) {
    (void)SdlDone(Mix_PlayMusic(tune.music.get(), -1), "Mix_PlayMusic", Repeats::kLogOnce);
  }
}

// A rendering is checked whole before its samples are asked for; whatever
// becomes of them, the tune is then heard, from them or from the rendering.
// One that fails its check is removed, so that it is fetched anew.
bool SdlMixerAudio::LateRenderingCame(Tune& tune) const {
  if (!tune.decodingLate) {
    const LateFile state = late_.ask(tune.awaitedPath);
    if (state == LateFile::kComing) return false;
    const std::optional<std::uint64_t> length =
        state == LateFile::kHere ? UseRendering(tune, tune.awaitedPath) : std::nullopt;
    if (!length) {
      if (state == LateFile::kHere) (void)RemoveFile(tune.awaitedPath);
      tune.lateFailed = true;
      return true;
    }
    tune.decodingLate = DecodeLate(tune, *length);
    return !tune.decodingLate;
  }
  if (late_.take(tune.awaitedPath, tune.cachePath) == DecodedRendering::kComing) return false;
  tune.decodingLate = false;
  // Samples that were not kept, or that the mixer refuses, leave the Ogg
  // rendering in place.
  (void)UseRendering(tune, tune.cachePath);
  return true;
}

// Only Ogg renderings are worth decoding, and only into a cache.
bool SdlMixerAudio::DecodeLate(const Tune& tune, std::uint64_t length) const {
  return late_.decode && late_.take && !tune.cachePath.empty() &&
         Mix_GetMusicType(tune.music.get()) == MUS_OGG && late_.decode(tune.awaitedPath, length);
}

void SdlMixerAudio::FinishRenderings() {
#if MORVEX2_FLUIDSYNTH || MORVEX2_DECODES_RENDERINGS
  if (mixer_ && mixer_->renderer) mixer_->renderer->WaitUntilIdle();
#endif
}

void SdlMixerAudio::Close() {
  if (deferred_) *deferred_ = Deferred{};
  mixer_.reset();
}

TuneHandle SdlMixerAudio::LoadTune(const char* fileName) {
  const bool open = deferred_ ? deferred_->open : mixer_ != nullptr;
  if (!open || fileName == nullptr) return 0;
  if (lastTuneHandle_ == std::numeric_limits<TuneHandle>::max()) return 0;
  std::optional<std::vector<std::uint8_t>> bytes =
      ReadSmallFile(fileName, formats::kLargestTuneFile);
  if (!bytes) {
    SayUnreadable(fileName);
    return 0;
  }
  if (const std::string_view why = formats::WhyNotPlayableMidi(*bytes); !why.empty()) {
    LogError(std::string("reading ") + fileName,
             "not a tune the game can play: " + std::string(why));
    return 0;
  }
  if (deferred_) {
    deferred_->tunes.emplace_back(++lastTuneHandle_, std::move(*bytes));
    return lastTuneHandle_;
  }
  if (!AddTune(lastTuneHandle_ + 1, std::move(*bytes))) return 0;
  return ++lastTuneHandle_;
}

// A tune plays from its rendering in the cache, else from the rendering made
// with the game when it is the game's own and the soundfont is the one that
// rendering was made with, else through the synthesiser while the cache's
// rendering is made. A build without the synthesiser has only the renderings
// made with it, whatever soundfont is here, and leaves any other tune silent.
//
// The renderings made with the game are Ogg Vorbis, and where the decoder is
// ours to use (rendering_decoder.h) one is decoded into the cache the first
// time its tune is loaded: plain samples cost the game about a quarter of a
// per cent of a core less to play (on the title screen 0.35-0.40 % against
// 0.60-0.65 % of a core), for about 16 MB of cache a tune.
bool SdlMixerAudio::AddTune(TuneHandle handle, std::vector<std::uint8_t> bytes) {
#if MORVEX2_FLUIDSYNTH
  const std::string soundFont = SoundFontIdentity(*soundFont_);
  if (soundFont.empty()) return false;  // silent: without a soundfont nothing can be heard
#else
  const std::string soundFont = ShippedSoundFont(shippedFolder_);
#endif
  Tune tune;
  if (!cacheFolder_->empty()) {
    tune.cachePath = TuneCachePath(*cacheFolder_, bytes, soundFont);
    if (UseRendering(tune, tune.cachePath)) {
      mixer_->tunes.emplace(handle, std::move(tune));
      return true;
    }
  }
  if (!shippedFolder_.empty()) {
    std::string shipped = TuneCachePath(shippedFolder_, bytes, soundFont);
    if (UseRendering(tune, shipped)) {
#if MORVEX2_DECODES_RENDERINGS
      if (Mix_GetMusicType(tune.music.get()) == MUS_OGG) {
        mixer_->MakeInCache(tune,
                            [shipped](const std::atomic<bool>& cancel, CachedTuneWriter& out) {
                              return DecodeOggRendering(shipped, cancel, out);
                            });
      }
#endif
      mixer_->tunes.emplace(handle, std::move(tune));
      return true;
    }
    if (AwaitLateRendering(handle, tune, bytes, soundFont)) return true;
  }
#if MORVEX2_FLUIDSYNTH
  // Without the synthesiser a tune not yet rendered stays silent.
  if (!SynthesiserReady()) return false;
  tune.music.reset(MusicFromMemory(bytes, MUS_MID));
  if (tune.music == nullptr) return false;
  tune.synthesised = true;
  mixer_->MakeInCache(tune, [midi = bytes, font = *soundFont_](const std::atomic<bool>& cancel,
                                                               CachedTuneWriter& out) {
    return RenderTune(midi, font, cancel, out);
  });
  tune.bytes = std::move(bytes);
  mixer_->tunes.emplace(handle, std::move(tune));
  return true;
#else
  LogError("playing a tune of the player's",
           "this build plays only the tunes rendered with it; the tune stays silent",
           Repeats::kLogOnce);
  return false;
#endif
}

// Switches the tune to the rendering at `path` when there is a sound one
// there, and says how long it is. A rendering in the cache that the decoder refuses is removed, to
// be made again next time; one made with the game is left as it is.
std::optional<std::uint64_t> SdlMixerAudio::UseRendering(Tune& tune,
                                                         const std::string& path) const {
  std::optional<CachedTune> rendering = OpenCachedTune(path);
  if (!rendering) return std::nullopt;
  const std::uint64_t length = rendering->length;
  SDL_RWops* stream = RenderingStream(std::move(*rendering));
  // Those made with the game are Ogg Vorbis, a tenth of the size; those of
  // the cache WAV as rendered. The mixer tells them apart by their first bytes.
  Mix_Music* music = stream != nullptr ? Mix_LoadMUSType_RW(stream, MUS_NONE, SDL_TRUE) : nullptr;
  if (music == nullptr) {
    if (stream != nullptr) LogSdlError("Mix_LoadMUSType_RW(" + path + ")");
    if (path == tune.cachePath) (void)RemoveFile(path);
    return std::nullopt;
  }
  tune.music.reset(music);  // the one before stops first if it is playing
  tune.bytes = {};          // what the synthesiser played from is no longer needed
  tune.synthesised = false;
  return length;
}

void SdlMixerAudio::PlayTune(TuneHandle tune) {
  if (deferred_) {
    // A tune it does not know leaves whatever plays playing, as below.
    if (deferred_->Has(tune)) deferred_->playing = tune;
    return;
  }
  if (!mixer_) return;
  auto found = mixer_->tunes.find(tune);
  if (found == mixer_->tunes.end()) return;
  Tune& playing = found->second;
  mixer_->playing = tune;
  if (!playing.awaitedPath.empty()) {
    // The last screen's tune does not go on over this one while it comes.
    Mix_HaltMusic();
    if (playing.lateFailed) {
      playing.lateFailed = false;
      TakeLateRendering(tune, playing);
    }
    return;
  }
#if MORVEX2_FLUIDSYNTH || MORVEX2_DECODES_RENDERINGS
  if (playing.cacheComing && mixer_->renderer->Finished(playing.cachePath)) {
    playing.cacheComing = false;
    UseRendering(playing, playing.cachePath);
  }
#endif
  // -1: the tune starts again at its end for as long as its screen is shown.
  (void)SdlDone(Mix_PlayMusic(playing.music.get(), -1), "Mix_PlayMusic", Repeats::kLogOnce);
}

void SdlMixerAudio::StopTune() {
  if (deferred_) deferred_->playing = 0;
  if (!mixer_) return;
  mixer_->playing = 0;
  Mix_HaltMusic();
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
  mixer_->tunes.erase(found);  // its music stops first if it is playing
  if (mixer_->playing == tune) mixer_->playing = 0;
}

bool SdlMixerAudio::PlaySound(const char* fileName) {
  // A clap cannot wait: whatever was put off is done now.
  FinishStart();
  if (!mixer_ || fileName == nullptr) return false;
  auto [entry, isNew] = mixer_->sounds.try_emplace(fileName);
  if (isNew) entry->second = LoadSound(fileName);
  if (!entry->second) return false;
  if (Mix_PlayChannel(kClapChannel, entry->second->chunk.get(), 0) == kClapChannel) return true;
  LogSdlError("Mix_PlayChannel", Repeats::kLogOnce);
  return false;
}

}  // namespace platform
