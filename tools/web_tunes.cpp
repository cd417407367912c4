// Makes the copies of the tunes' renderings that the game ships, on every
// system: a rendering as the synthesiser makes it is tens of megabytes of
// WAV, so each is encoded as Ogg Vorbis (which the mixer decodes itself
// everywhere) and kept under the same name and in the same checked form,
// beside the soundfont's identity, so that the game finds and checks it
// exactly as it does a WAV one. A rendering already encoded is copied as it
// is, so the Windows and browser builds take the build machine's shipped
// renderings through this too, and nothing is encoded twice. TO then holds
// exactly these renderings.
//
//   web_tunes FROM TO ENCODER [OPTION...]
//
// ENCODER is run as `ENCODER OPTION... -Q --serial 1 -o OUT.ogg IN.wav`
// (oggenc, of Debian's vorbis-tools). Fails when a rendering in FROM is
// damaged or the encoder fails.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
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

bool IsOggVorbis(const std::vector<std::uint8_t>& rendering) {
  static constexpr std::uint8_t kCapture[] = {'O', 'g', 'g', 'S'};
  return rendering.size() >= sizeof kCapture &&
         std::equal(std::begin(kCapture), std::end(kCapture), rendering.begin());
}

// The WAV rendering `wav` encoded, through files beside its place `at`.
std::optional<std::vector<std::uint8_t>> Encoded(const std::vector<std::uint8_t>& wav,
                                                 const std::string& at,
                                                 const std::vector<std::string>& encoder) {
  const std::string wavPath = at + ".wav";
  const std::string oggPath = at + ".ogg";
  if (!platform::WriteWholeFile(wavPath, wav, platform::WriteMode::kReplace)) {
    Fail("cannot write " + wavPath + ": " + std::strerror(errno));
    return std::nullopt;
  }
  std::vector<std::string> command = encoder;
  // A stream's serial number is random unless given: one fixed number makes
  // the same rendering the same bytes, build after build.
  command.insert(command.end(), {"-Q", "--serial", "1", "-o", oggPath, wavPath});
  const bool encoded = Run(command);
  std::error_code ignored;
  std::filesystem::remove(wavPath, ignored);
  std::optional<std::vector<std::uint8_t>> ogg =
      encoded ? platform::ReadSmallFile(oggPath, kLargestEncoding) : std::nullopt;
  std::filesystem::remove(oggPath, ignored);
  return ogg;
}

// Encodes `rendering` into `to` under its own name, which goes into `kept`.
bool Encode(const std::filesystem::path& rendering, const std::string& to,
            const std::vector<std::string>& encoder, std::set<std::string>& kept) {
  const std::string path = to + "/" + rendering.filename().string();
  std::optional<std::vector<std::uint8_t>> bytes = platform::ReadCachedTune(rendering);
  if (!bytes) return Fail(rendering.string() + " is missing or damaged");
  if (!IsOggVorbis(*bytes)) bytes = Encoded(*bytes, path, encoder);
  if (!bytes) return Fail("no encoding of " + rendering.string());
  if (!platform::WriteCachedTune(path, *bytes)) {
    return Fail("cannot write " + path + ": " + std::strerror(errno));
  }
  kept.insert(path);
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
  std::set<std::string> kept;
  for (const auto& entry : std::filesystem::directory_iterator(from, error)) {
    if (entry.path().extension() == ".tune" && !Encode(entry.path(), to, encoder, kept)) return 1;
  }
  if (error) {
    Fail("cannot read " + from + ": " + error.message());
    return 1;
  }
  platform::RemoveOtherRenderings(to, kept);
  if (!platform::KeepShippedSoundFont(to, identity)) {
    Fail("cannot write in " + to + ": " + std::strerror(errno));
    return 1;
  }
  return 0;
}
