#include <emscripten.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "platform/base/late_files.h"
#include "platform/sdl/late_renderings.h"
#include "platform/tunes/decoded_rendering.h"

namespace {

// The page (web/page.js) decodes the bytes of a checked rendering into
// morvex2DecodedTunes, under the rendering's path: null while the browser
// decodes them, then the browser's AudioBuffer, or false when it could not,
// and tells the game as it tells of a late file.
// clang-format off
EM_JS(int, PageDecodesTune, (const char* path, double length), {
  if (!Module.morvex2DecodeTune) return 0;
  var name = UTF8ToString(path);
  try {
    return Module.morvex2DecodeTune(name, FS.readFile(name).slice(0, length).buffer) ? 1 : 0;
  } catch (error) {
    return 0;
  }
});

// The decoded tune's frames, with its channels and rate in format[0] and
// format[1]; 0 while it is decoded, -1 when it could not be or was not asked.
EM_JS(double, PageDecodedTune, (const char* path, std::int32_t* format), {
  var tunes = Module.morvex2DecodedTunes;
  var samples = tunes ? tunes.get(UTF8ToString(path)) : undefined;
  if (samples === null) return 0;
  if (!samples) return -1;
  HEAP32[format >> 2] = samples.numberOfChannels;
  HEAP32[(format >> 2) + 1] = Math.round(samples.sampleRate);
  return samples.length;
});

// Fills `count` samples at `into` with the decoded tune's frames from
// `firstFrame` on, interleaved, rounded to 16 bits as the game's own decoder
// rounds them (to the nearest, a half up: 32768.5 keeps the sum positive, so
// that dropping the fraction rounds down).
EM_JS(int, PageDecodedSamples, (const char* path, double firstFrame, std::int16_t* into, int count), {
  var samples = Module.morvex2DecodedTunes.get(UTF8ToString(path));
  var channels = samples.numberOfChannels;
  var frames = count / channels;
  if (!(firstFrame >= 0 && firstFrame + frames <= samples.length)) return 0;
  var out = HEAP16.subarray(into >> 1, (into >> 1) + count);
  for (var channel = 0; channel < channels; ++channel) {
    var data = samples.getChannelData(channel).subarray(firstFrame, firstFrame + frames);
    for (var frame = 0, at = channel; frame < frames; ++frame, at += channels) {
      var sample = data[frame] * 32768;
      out[at] = sample >= 32767 ? 32767 : sample <= -32768 ? -32768 : ((sample + 32768.5) | 0) - 32768;
    }
  }
  return 1;
});

EM_JS(void, PageForgetsDecodedTune, (const char* path), {
  if (Module.morvex2DecodedTunes) Module.morvex2DecodedTunes.delete(UTF8ToString(path));
});
// clang-format on

}  // namespace

namespace platform {
namespace {

// More frames than any rendering the cache keeps, and few enough that a
// double holds every count exactly.
constexpr double kMostFrames = 1e12;

// Samples are written a megabyte at a time, each time the game takes them up
// (a few milliseconds), and the page wakes the game for the next megabyte at
// once: written whole in one go, a tune of 16 MB held the title's frames up
// for a third of a second.
constexpr int kBlocksAtATime = 16;

bool AskToDecodeRendering(const std::string& path, std::uint64_t length) {
  return PageDecodesTune(path.c_str(), static_cast<double>(length)) != 0;
}

// The tunes whose samples are being written, by the path of their rendering.
std::map<std::string, std::unique_ptr<DecodedSamplesWriter>>& Writings() {
  static std::map<std::string, std::unique_ptr<DecodedSamplesWriter>> writings;
  return writings;
}

DecodedRendering TakeDecodedRendering(const std::string& path, const std::string& cachePath) {
  auto writing = Writings().find(path);
  if (writing == Writings().end()) {
    std::int32_t format[2] = {};
    const double frames = PageDecodedTune(path.c_str(), format);
    if (frames == 0) return DecodedRendering::kComing;
    if (!(frames >= 1 && frames <= kMostFrames)) {
      PageForgetsDecodedTune(path.c_str());
      return DecodedRendering::kFailed;
    }
    writing =
        Writings()
            .emplace(path, std::make_unique<DecodedSamplesWriter>(
                               cachePath, SampleFormat{.channels = format[0], .rate = format[1]},
                               static_cast<std::uint64_t>(frames)))
            .first;
  }
  const SampleSource source = [&path](std::uint64_t firstFrame, std::span<std::int16_t> into) {
    return PageDecodedSamples(path.c_str(), static_cast<double>(firstFrame), into.data(),
                              static_cast<int>(into.size())) != 0;
  };
  const DecodedSamplesWriter::Step step = writing->second->Write(source, kBlocksAtATime);
  if (step == DecodedSamplesWriter::Step::kMore) {
    EM_ASM(Module.morvex2LateNews());
    return DecodedRendering::kComing;
  }
  Writings().erase(writing);
  // The browser's samples take twice the room of the kept ones: they go at once.
  PageForgetsDecodedTune(path.c_str());
  return step == DecodedSamplesWriter::Step::kWritten ? DecodedRendering::kWritten
                                                      : DecodedRendering::kFailed;
}

}  // namespace

// The renderings come into the page's late tunes/ folder.
void AwaitLateRenderings(SdlMixerAudio& audio) {
  audio.AwaitRenderings({.folder = LateFilePath("tunes"),
                         .ask =
                             [](const std::string& path) {
                               return AskForLateFile("tunes/" + path.substr(path.rfind('/') + 1));
                             },
                         .decode = AskToDecodeRendering,
                         .take = TakeDecodedRendering});
}

}  // namespace platform
