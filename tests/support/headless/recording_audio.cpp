#include "tests/support/headless/recording_audio.h"

namespace platform {

bool RecordingAudio::Open() {
  calls_.push_back({"Open", {}, {}});
  if (!openFails_) open_ = true;
  return open_;
}

void RecordingAudio::Close() {
  calls_.push_back({"Close", {}, {}});
  open_ = false;
}

TuneHandle RecordingAudio::LoadTune(const char* fileName) {
  TuneHandle handle = 0;
  if (open_ && Readable(fileName)) handle = ++lastHandle_;
  calls_.push_back({"LoadTune", {handle}, fileName != nullptr ? fileName : ""});
  return handle;
}

void RecordingAudio::PlayTune(TuneHandle tune) {
  calls_.push_back({"PlayTune", {tune}, {}});
}

void RecordingAudio::StopTune() {
  calls_.push_back({"StopTune", {}, {}});
}

void RecordingAudio::FreeTune(TuneHandle tune) {
  calls_.push_back({"FreeTune", {tune}, {}});
}

bool RecordingAudio::PlaySound(const char* fileName) {
  calls_.push_back({"PlaySound", {}, fileName != nullptr ? fileName : ""});
  return open_ && Readable(fileName);
}

bool RecordingAudio::Readable(const char* fileName) const {
  return fileName != nullptr && unreadable_.count(fileName) == 0;
}

}  // namespace platform
