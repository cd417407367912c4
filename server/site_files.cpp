#include "server/site_files.h"

#include <array>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace server {

namespace fs = std::filesystem;

namespace {

// No file of the page comes near this; a larger one is not the page's.
constexpr std::uintmax_t kLargestSiteFile = std::uintmax_t{64} << 20;

Answer NotFound() {
  return Refusal(404, "not-found", "There is nothing at this address.");
}

// "..", a backslash or a NUL anywhere: never a file of the page.
bool IsPlainPath(std::string_view path) {
  if (!path.starts_with('/') || path.find('\\') != std::string_view::npos ||
      path.find('\0') != std::string_view::npos) {
    return false;
  }
  for (const fs::path& part : fs::path(path)) {
    if (part == "..") return false;
  }
  return true;
}

}  // namespace

std::string MimeTypeOf(const fs::path& file) {
  static const std::array<std::pair<const char*, const char*>, 15> kTypes = {{
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},
      {".webmanifest", "application/manifest+json"},
      {".wasm", "application/wasm"},
      {".png", "image/png"},
      {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"},
      {".ogg", "audio/ogg"},
      {".wav", "audio/wav"},
      {".txt", "text/plain; charset=utf-8"},
      {".data", "application/octet-stream"},
      {".mvr", "application/octet-stream"},
  }};
  const std::string extension = file.extension().string();
  for (const auto& [known, type] : kTypes) {
    if (extension == known) return type;
  }
  return "application/octet-stream";
}

Answer SiteFile(const fs::path& site, std::string_view path) {
  if (!IsPlainPath(path)) return NotFound();
  fs::path relative = fs::path(path).relative_path();
  if (relative.empty() || path.ends_with('/')) relative /= "index.html";
  std::error_code error;
  const fs::path root = fs::canonical(site, error);
  if (error) return NotFound();
  const fs::path file = fs::canonical(root / relative, error);
  if (error) return NotFound();
  // A link inside the folder may lead out of it; what it leads to must still
  // be inside.
  const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (rootEnd != root.end() || !fs::is_regular_file(file, error) ||
      fs::file_size(file, error) > kLargestSiteFile) {
    return NotFound();
  }
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) return NotFound();
  return PlainAnswer(200, std::move(bytes), MimeTypeOf(file));
}

std::optional<fs::path> InstalledSite() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  const fs::path site = program.parent_path().parent_path() / "share/morvex2/web";
  if (!fs::is_directory(site, error)) return std::nullopt;
  return site;
}

}  // namespace server
