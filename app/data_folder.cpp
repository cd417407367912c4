#include "app/data_folder.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

#include "platform/base/files.h"
#include "platform/base/user_folders.h"
#include "platform/base/whole_file.h"
#include "ranking/score_file.h"

namespace {

// What the game ships and may keep up to date: a player who puts a tune or a
// clap of their own there keeps it.
constexpr const char* kShippedFiles[] = {"music1.mid", "music2.mid", "Clap.wav"};
constexpr const char* kTableFiles[] = {"zyou.pod", "tyuu.pod", "syo.pod"};
constexpr char kNameFile[] = "zel.ini";
// Remembers what the game itself installed, by the fingerprint of its bytes.
constexpr char kInstalledList[] = ".installed";
constexpr std::size_t kLargestShippedFile = std::size_t{16} * 1024 * 1024;
constexpr std::size_t kLargestInstalledList = 4096;
constexpr std::size_t kNameLength = 16;

using Bytes = std::vector<std::uint8_t>;
using InstalledList = std::map<std::string, std::uint64_t>;

// FNV-1a: tells whether a file is still the one the game put there.
std::uint64_t Fingerprint(const Bytes& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001b3u;
  return hash;
}

std::string Reason(int error) {
  return std::strerror(error);
}

bool NameIsFree(const std::string& path) {
  return !platform::InfoOf(path, platform::Links::kDoNotFollow) && errno == ENOENT;
}

bool IsPlainFile(const std::string& path) {
  const auto info = platform::InfoOf(path, platform::Links::kDoNotFollow);
  return info && info->kind == platform::FileKind::kRegular;
}

bool IsFolder(const std::string& path) {
  const auto info = platform::InfoOf(path, platform::Links::kFollow);
  return info && info->kind == platform::FileKind::kFolder;
}

// Lines of "<16 hex digits> <name>"; anything else in the file is ignored.
InstalledList ReadInstalledList(const std::string& folder) {
  InstalledList list;
  const auto bytes = platform::ReadSmallFile(folder + "/" + kInstalledList, kLargestInstalledList);
  if (!bytes) return list;
  const std::string text(bytes->begin(), bytes->end());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.size() < 18 || line[16] != ' ') continue;
    const std::string digits = line.substr(0, 16);
    if (digits.find_first_not_of("0123456789abcdef") != std::string::npos) continue;
    list[line.substr(17)] = std::strtoull(digits.c_str(), nullptr, 16);
  }
  return list;
}

bool WriteInstalledList(const std::string& folder, const InstalledList& list) {
  std::string text;
  for (const auto& [name, fingerprint] : list) {
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(fingerprint));
    text += std::string(digits) + " " + name + "\n";
  }
  const Bytes bytes(text.begin(), text.end());
  return platform::WriteWholeFile(folder + "/" + kInstalledList, bytes,
                                  platform::WriteMode::kReplace);
}

// The login name as zel.ini holds a name: 16 bytes, cut or padded with NULs.
// Only a plain ASCII name will do, as the tables show the bytes as they stand.
std::optional<Bytes> LoginName() {
  const std::optional<std::string> login = platform::LoginName();
  if (!login || login->empty()) return std::nullopt;
  Bytes name(kNameLength, 0);
  for (std::size_t i = 0; i < login->size(); ++i) {
    const auto c = static_cast<unsigned char>((*login)[i]);
    if (c < 0x20 || c > 0x7E) return std::nullopt;
    if (i < kNameLength) name[i] = c;
  }
  return name;
}

class Setup {
 public:
  Setup(std::string folder, std::string installed)
      : folder_(std::move(folder)), installed_(std::move(installed)) {}

  // False, with errno set, at the first file that cannot be written.
  bool Run() {
    InstalledList list = ReadInstalledList(folder_);
    const InstalledList before = list;
    for (const char* name : kShippedFiles) {
      if (!InstallShipped(name, list)) return false;
    }
    if (list != before && !WriteInstalledList(folder_, list)) return false;
    const Bytes emptyTable = [] {
      const ScoreFileBytes bytes = EncodeScoreFile(ScoreTable{});
      return Bytes(bytes.begin(), bytes.end());
    }();
    for (const char* name : kTableFiles) {
      if (!CreateIfFree(name, emptyTable)) return false;
    }
    std::optional<Bytes> name = LoginName();
    if (!name && !installed_.empty()) {
      name = platform::ReadSmallFile(installed_ + "/" + kNameFile, kNameLength);
    }
    return !name || CreateIfFree(kNameFile, *name);
  }

 private:
  bool InstallShipped(const std::string& name, InstalledList& list) {
    if (installed_.empty()) return true;
    const auto shipped = platform::ReadSmallFile(installed_ + "/" + name, kLargestShippedFile);
    if (!shipped) return true;
    const std::string target = folder_ + "/" + name;
    const std::uint64_t shippedPrint = Fingerprint(*shipped);
    if (NameIsFree(target)) {
      if (!Write(target, *shipped, platform::WriteMode::kCreateOnly)) return false;
      list[name] = shippedPrint;
      return true;
    }
    // Only a plain file can be the game's own; a link is the player's doing.
    if (!IsPlainFile(target)) return true;
    const auto current = platform::ReadSmallFile(target, kLargestShippedFile);
    if (!current) return true;
    const std::uint64_t currentPrint = Fingerprint(*current);
    if (currentPrint == shippedPrint) {
      list[name] = shippedPrint;
      return true;
    }
    const auto recorded = list.find(name);
    if (recorded == list.end() || recorded->second != currentPrint) return true;
    if (!Write(target, *shipped, platform::WriteMode::kReplace)) return false;
    list[name] = shippedPrint;
    return true;
  }

  bool CreateIfFree(const std::string& name, const Bytes& bytes) {
    const std::string target = folder_ + "/" + name;
    if (!NameIsFree(target)) return true;
    return Write(target, bytes, platform::WriteMode::kCreateOnly);
  }

  // Another copy of the game that made the file first is no failure.
  static bool Write(const std::string& path, const Bytes& bytes, platform::WriteMode mode) {
    return platform::WriteWholeFile(path, bytes, mode) || errno == EEXIST;
  }

  std::string folder_;
  std::string installed_;
};

std::string ExecutableFolder() {
  const std::string executable = platform::ExecutablePath();
  const std::size_t slash = executable.find_last_of('/');
  return slash == std::string::npos ? std::string{} : executable.substr(0, slash);
}

}  // namespace

std::string DefaultDataFolder() {
  return platform::DataFolder();
}

std::string InstalledDataFolder() {
  const std::string bin = ExecutableFolder();
  if (bin.empty()) return {};
  // Installed: PREFIX/share/morvex2 beside PREFIX/bin; a build tree keeps a
  // copy in share/morvex2 beside the executable.
  for (const std::string& candidate :
       {bin + "/" MORVEX2_DATADIR_FROM_BINDIR "/morvex2", bin + "/share/morvex2"}) {
    if (IsFolder(candidate)) return candidate;
  }
  return {};
}

DataFolderSetup SetUpDataFolder(const std::string& folder, const std::string& installed) {
  DataFolderSetup setup;
  if (folder.empty()) {
    setup.problems.push_back("no data folder: neither XDG_DATA_HOME nor HOME is set");
  } else if (!platform::MakeFolders(folder)) {
    setup.problems.push_back("cannot create the data folder '" + folder + "': " + Reason(errno));
  } else {
    setup.workingFolder = folder;
    if (!Setup(folder, installed).Run()) {
      setup.problems.push_back("cannot write in the data folder '" + folder +
                               "': " + Reason(errno) + "; new high scores may not be saved");
    }
    return setup;
  }
  setup.problems.back() += installed.empty()
                               ? "; playing without music or high scores"
                               : "; playing from the installed files, high scores are not saved";
  setup.workingFolder = installed;
  return setup;
}
