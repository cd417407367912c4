// Makes the browser's copies of the tunes' renderings: the renderings made
// with the game are tens of megabytes of WAV, far too much for a page, so each
// is encoded as Ogg Vorbis (which the mixer decodes itself) and kept under the
// same name and in the same checked form, beside the soundfont's identity, so
// that the game finds and checks it exactly as it does the WAV one.
//
//   web_tunes FROM TO ENCODER [OPTION...]
//
// ENCODER is run as `ENCODER OPTION... -o OUT.ogg IN.wav` (oggenc, of
// Debian's vorbis-tools). Fails when a rendering in FROM is damaged or the
// encoder fails.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/whole_file.h"
#include "platform/tunes/shipped_tunes.h"
#include "platform/tunes/tune_cache.h"

extern char** environ;

namespace {

// Ten minutes of Ogg Vorbis at the highest quality are far less.
constexpr std::size_t kLargestEncoding = std::size_t{64} * 1024 * 1024;

bool Fail(const std::string& what) {
  std::cerr << "web_tunes: " << what << '\n';
  return false;
}

bool Run(std::vector<std::string> command) {
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int error = posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) return Fail("cannot run " + command[0] + ": " + std::strerror(error));
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return Fail(std::string("waitpid: ") + std::strerror(errno));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? true : Fail(command[0] + " failed");
}

bool Encode(const std::filesystem::path& rendering, const std::string& to,
            const std::vector<std::string>& encoder) {
  const std::string name = rendering.filename().string();
  const std::optional<std::vector<std::uint8_t>> wav = platform::ReadCachedTune(rendering);
  if (!wav) return Fail(rendering.string() + " is missing or damaged");
  const std::string wavPath = to + "/" + name + ".wav";
  const std::string oggPath = to + "/" + name + ".ogg";
  if (!platform::WriteWholeFile(wavPath, *wav, platform::WriteMode::kReplace)) {
    return Fail("cannot write " + wavPath + ": " + std::strerror(errno));
  }
  std::vector<std::string> command = encoder;
  command.insert(command.end(), {"-Q", "-o", oggPath, wavPath});
  const bool encoded = Run(command);
  std::error_code ignored;
  std::filesystem::remove(wavPath, ignored);
  const std::optional<std::vector<std::uint8_t>> ogg =
      encoded ? platform::ReadSmallFile(oggPath, kLargestEncoding) : std::nullopt;
  std::filesystem::remove(oggPath, ignored);
  if (!ogg) return Fail("no encoding of " + rendering.string());
  if (!platform::WriteCachedTune(to + "/" + name, *ogg)) {
    return Fail("cannot write " + to + "/" + name + ": " + std::strerror(errno));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: web_tunes FROM TO ENCODER [OPTION...]\n";
    return 2;
  }
  const std::string from = argv[1];
  const std::string to = argv[2];
  const std::vector<std::string> encoder(argv + 3, argv + argc);
  const std::string identity = platform::ShippedSoundFont(from);
  if (identity.empty()) {
    Fail(from + " holds no renderings");
    return 1;
  }
  std::error_code error;
  std::filesystem::create_directories(to, error);
  for (const auto& entry : std::filesystem::directory_iterator(from, error)) {
    if (entry.path().extension() == ".tune" && !Encode(entry.path(), to, encoder)) return 1;
  }
  if (error) {
    Fail("cannot read " + from + ": " + error.message());
    return 1;
  }
  if (!platform::KeepShippedSoundFont(to, identity)) {
    Fail("cannot write in " + to + ": " + std::strerror(errno));
    return 1;
  }
  return 0;
}
