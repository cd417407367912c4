#include "platform/tune_rendering.h"

#include <fluidsynth.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <memory>

namespace platform {

namespace {

// The synthesiser advances its sequencer every 64 frames; rendering in steps
// of that size ends the pass within one step of the tune's last event.
constexpr int kStepFrames = 64;
// About 112 kbit/s for stereo at 44.1 kHz: no difference anyone can hear from
// the synthesiser's own output, a megabyte a minute.
constexpr float kVorbisQuality = 0.3f;

struct FluidDeleter {
  void operator()(fluid_settings_t* p) const { delete_fluid_settings(p); }
  void operator()(fluid_synth_t* p) const { delete_fluid_synth(p); }
  void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};
template <typename T>
using FluidPtr = std::unique_ptr<T, FluidDeleter>;

void AppendPage(std::vector<std::uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Stereo float samples in, one Ogg Vorbis stream out.
class VorbisEncoder {
 public:
  VorbisEncoder() {
    vorbis_info_init(&info_);
    ready_ = vorbis_encode_init_vbr(&info_, 2, kRenderRate, kVorbisQuality) == 0;
    if (!ready_) return;
    vorbis_comment_init(&comment_);
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    ogg_stream_init(&stream_, 1);  // a fixed serial number: the same file every time
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp_, &comment_, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream_, &header);
    ogg_stream_packetin(&stream_, &commentHeader);
    ogg_stream_packetin(&stream_, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) AppendPage(out_, page);
  }
  ~VorbisEncoder() {
    if (ready_) {
      ogg_stream_clear(&stream_);
      vorbis_block_clear(&block_);
      vorbis_dsp_clear(&dsp_);
      vorbis_comment_clear(&comment_);
    }
    vorbis_info_clear(&info_);
  }
  VorbisEncoder(const VorbisEncoder&) = delete;
  VorbisEncoder& operator=(const VorbisEncoder&) = delete;

  [[nodiscard]] bool Ready() const { return ready_; }

  void Add(const float* left, const float* right, int frames) {
    float** buffer = vorbis_analysis_buffer(&dsp_, frames);
    std::copy(left, left + frames, buffer[0]);
    std::copy(right, right + frames, buffer[1]);
    vorbis_analysis_wrote(&dsp_, frames);
    Drain();
  }

  std::vector<std::uint8_t> Finish() {
    vorbis_analysis_wrote(&dsp_, 0);  // the end of the stream
    Drain();
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) AppendPage(out_, page);
    return std::move(out_);
  }

 private:
  void Drain() {
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
      vorbis_analysis(&block_, nullptr);
      vorbis_bitrate_addblock(&block_);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
        ogg_stream_packetin(&stream_, &packet);
        ogg_page page;
        while (ogg_stream_pageout(&stream_, &page) != 0) AppendPage(out_, page);
      }
    }
  }

  bool ready_ = false;
  vorbis_info info_;
  vorbis_comment comment_;
  vorbis_dsp_state dsp_;
  vorbis_block block_;
  ogg_stream_state stream_;
  std::vector<std::uint8_t> out_;
};

}  // namespace

void SilenceSynthesiserLog() {
  for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

std::optional<std::vector<std::uint8_t>> RenderTune(std::span<const std::uint8_t> midi,
                                                    const std::string& soundFont,
                                                    const std::atomic<bool>& cancel) {
  FluidPtr<fluid_settings_t> settings(new_fluid_settings());
  if (!settings) return std::nullopt;
  // As the mixer sets the synthesiser up for a tune: the device's rate, the
  // sequencer timed by the samples it renders, and the gain of a tune at full
  // volume (the mixer's 1.2 for its 128).
  fluid_settings_setnum(settings.get(), "synth.sample-rate", kRenderRate);
  fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
  FluidPtr<fluid_synth_t> synth(new_fluid_synth(settings.get()));
  if (!synth || fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
    return std::nullopt;
  }
  fluid_synth_set_gain(synth.get(), 1.2f);
  FluidPtr<fluid_player_t> player(new_fluid_player(synth.get()));
  if (!player || fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK ||
      fluid_player_play(player.get()) != FLUID_OK) {
    return std::nullopt;
  }
  VorbisEncoder encoder;
  if (!encoder.Ready()) return std::nullopt;
  constexpr long kLongest = long{kLongestRenderedSeconds} * kRenderRate;
  float left[kStepFrames], right[kStepFrames];
  long frames = 0;
  for (; fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING; frames += kStepFrames) {
    if (cancel.load(std::memory_order_relaxed) || frames >= kLongest) return std::nullopt;
    if (fluid_synth_write_float(synth.get(), kStepFrames, left, 0, 1, right, 0, 1) != FLUID_OK) {
      return std::nullopt;
    }
    encoder.Add(left, right, kStepFrames);
  }
  if (frames == 0) return std::nullopt;
  return encoder.Finish();
}

}  // namespace platform
