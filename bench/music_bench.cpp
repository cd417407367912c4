// The CPU time that one second of music costs the game, mixed by SDL2_mixer
// as the game plays it: the title tune and the play tune synthesised as they
// play and played from their renderings, beside a plain 16-bit stereo WAV
// stream from SDL2_mixer as the floor.
//
//   music_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// SDL's disk driver, told not to wait, mixes as fast as the machine allows
// into /dev/null; the mixer's post-mix hook counts the frames. The time given
// is the process's CPU time (every thread) per 44,100 frames mixed.
#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_mixer_audio.h"
#include "platform/tunes/sound_font.h"
#include "tests/platform/sdl/sdl_mixer_audio_probe.h"

namespace {

constexpr int kRate = 44100;
std::atomic<long> g_framesMixed{0};

void CountFrames(void*, Uint8*, int bytes) {
  g_framesMixed += bytes / 4;
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A scratch folder for the renderings and the WAV, removed at the end.
struct ScratchFolder {
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "morvex2-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

const std::filesystem::path& Scratch() {
  static const ScratchFolder folder;
  return folder.path;
}

// Times the mixing of one second of whatever plays, once per iteration.
void MixSeconds(benchmark::State& state) {
  Mix_SetPostMix(CountFrames, nullptr);
  for (auto _ : state) {
    g_framesMixed = 0;
    const double start = ProcessCpuSeconds();
    while (g_framesMixed < kRate) std::this_thread::sleep_for(std::chrono::microseconds(200));
    state.SetIterationTime(ProcessCpuSeconds() - start);
  }
  Mix_SetPostMix(nullptr, nullptr);
}

// rendered: 0 synthesised as it plays, 1 played from its rendering.
void BM_Tune(benchmark::State& state, const char* name) {
  const std::string tune = std::string(MORVEX2_SOURCE_DIR) + "/data/" + name;
  Scratch();  // also points SDL at the disk driver
  const bool rendered = state.range(0) != 0;
  platform::SdlMixerAudio audio(platform::FindSoundFont(),
                                rendered ? (Scratch() / "cache").string() : "");
  if (!audio.Open()) {
    state.SkipWithError("no audio device");
    return;
  }
  platform::TuneHandle handle = audio.LoadTune(tune.c_str());
  if (rendered) {  // the first load renders it; the second plays the rendering
    platform::SdlMixerAudioProbe::FinishRenderings(audio);
    audio.FreeTune(handle);
    handle = audio.LoadTune(tune.c_str());
  }
  audio.PlayTune(handle);
  MixSeconds(state);
  audio.Close();
}

void BM_PlainWavStream(benchmark::State& state) {
  const std::filesystem::path wav = Scratch() / "plain.wav";
  {
    const std::uint32_t frames = 10 * kRate;
    std::vector<std::int16_t> samples(2 * frames);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<std::int16_t>(8000 * std::sin(static_cast<double>(i / 2) * 0.0627));
    }
    const std::uint32_t data = frames * 4;
    const std::uint32_t header[] = {0x46464952, 36 + data, 0x45564157, 0x20746D66, 16,  0x00020001,
                                    kRate,      kRate * 4, 0x00100004, 0x61746164, data};
    std::ofstream out(wav, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(samples.data()), data);
  }
  SDL_InitSubSystem(SDL_INIT_AUDIO);
  if (Mix_OpenAudio(kRate, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {  // as the game opens it
    state.SkipWithError("no audio device");
    return;
  }
  Mix_Music* music = Mix_LoadMUS(wav.c_str());
  Mix_PlayMusic(music, -1);
  MixSeconds(state);
  Mix_HaltMusic();
  Mix_FreeMusic(music);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void BothWays(benchmark::internal::Benchmark* tune) {
  tune->ArgName("rendered")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
  tune->Iterations(3);
}

BENCHMARK_CAPTURE(BM_Tune, title, "music2.mid")->Apply(BothWays);
BENCHMARK_CAPTURE(BM_Tune, play, "music1.mid")->Apply(BothWays);
BENCHMARK(BM_PlainWavStream)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
