// An audio backend that plays nothing and notes every call, in order, so that
// tests and the headless host can see what would have been heard. It behaves
// like a working sound device: tunes load only while it is open, handles count
// up from 1 and are never reused, and the two failures a real machine has (no
// device, an unreadable file) can be switched on.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/win32/audio.h"

namespace platform {

class RecordingAudio final : public AudioBackend {
 public:
  // Recorded as {name, args, text}: {"Open"}, {"Close"},
  // {"LoadTune", {handle}, file}, {"PlayTune", {handle}}, {"StopTune"},
  // {"FreeTune", {handle}}, {"PlaySound", {}, file}.
  [[nodiscard]] const std::vector<RecordedCall>& Calls() const { return calls_; }

  // Makes Open fail, as on a machine without a sound card.
  void SetOpenFails(bool fails) { openFails_ = fails; }
  // Makes a file unreadable: its tune does not load and its sound does not play.
  void SetUnreadable(const std::string& fileName) { unreadable_.insert(fileName); }

  [[nodiscard]] bool IsOpen() const { return open_; }

  [[nodiscard]] bool Open() override;
  void Close() override;
  TuneHandle LoadTune(const char* fileName) override;
  void PlayTune(TuneHandle tune) override;
  void StopTune() override;
  void FreeTune(TuneHandle tune) override;
  bool PlaySound(const char* fileName) override;

 private:
  bool Readable(const char* fileName) const;

  std::vector<RecordedCall> calls_;
  std::set<std::string> unreadable_;
  bool openFails_ = false;
  bool open_ = false;
  TuneHandle lastHandle_ = 0;
};

}  // namespace platform
