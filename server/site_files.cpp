#include "server/site_files.h"

#include <array>
#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>
#include <regex>
#include <system_error>
#include <utility>

#include "server/browser_policy.h"

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

std::string CacheControlOf(const fs::path& file) {
  // Sixteen hex digits or more, set off by a dot or a dash: a content hash.
  static const std::regex kHashed("(^|.*[.-])[0-9a-f]{16,}([.-].*|$)");
  if (std::regex_match(file.filename().string(), kHashed)) {
    return "public, max-age=31536000, immutable";
  }
  return "no-cache";
}

namespace {

// The next item of a header's comma-separated list, without the spaces
// around it; `rest` is what follows it.
std::string_view NextItem(std::string_view* rest) {
  const std::size_t comma = rest->find(',');
  std::string_view item = rest->substr(0, comma);
  *rest = comma == std::string_view::npos ? std::string_view() : rest->substr(comma + 1);
  while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
  while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
  return item;
}

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == y;
         });
}

// Whether the client takes `coding` (Accept-Encoding: "gzip, br;q=0.5"); q=0
// refuses it.
bool Takes(const Request& request, std::string_view coding) {
  const std::optional<std::string_view> accepted = request.Header("Accept-Encoding");
  std::string_view rest = accepted.value_or("");
  while (!rest.empty()) {
    const std::string_view item = NextItem(&rest);
    const std::size_t semicolon = item.find(';');
    std::string_view name = item.substr(0, semicolon);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (!SameWord(name, coding)) continue;
    if (semicolon == std::string_view::npos) return true;
    std::string q(item.substr(semicolon + 1));
    std::erase(q, ' ');
    return !(q.starts_with("q=0") && q.find_first_of("123456789") == std::string::npos);
  }
  return false;
}

// The file's validator: its size and its time of change, and the coding, so
// that each copy has its own.
std::string ETagOf(const fs::path& file, std::uintmax_t size, std::string_view coding) {
  std::error_code error;
  const auto changed = fs::last_write_time(file, error).time_since_epoch();
  char tag[64];
  std::snprintf(tag, sizeof tag, "\"%jx-%llx%s%s\"", size,
                static_cast<unsigned long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(changed).count()),
                coding.empty() ? "" : "-", std::string(coding).c_str());
  return tag;
}

// If-None-Match names this validator (or any, "*"); a weak match counts.
bool StillGood(const Request& request, const std::string& etag) {
  const std::optional<std::string_view> held = request.Header("If-None-Match");
  std::string_view rest = held.value_or("");
  while (!rest.empty()) {
    std::string_view item = NextItem(&rest);
    if (item.starts_with("W/")) item.remove_prefix(2);
    if (item == "*" || item == etag) return true;
  }
  return false;
}

// The file under `root`, or none: outside it, not a plain file, or too large.
std::optional<fs::path> Inside(const fs::path& root, const fs::path& relative) {
  std::error_code error;
  const fs::path file = fs::canonical(root / relative, error);
  if (error) return std::nullopt;
  // A link inside the folder may lead out of it; what it leads to must still
  // be inside.
  const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (rootEnd != root.end() || !fs::is_regular_file(file, error) ||
      fs::file_size(file, error) > kLargestSiteFile) {
    return std::nullopt;
  }
  return file;
}

// The build's compressed copy of the file that the client takes, with its
// coding; brotli first, smaller than gzip by a sixth or more on the game's
// files.
std::optional<fs::path> CopyTaken(const fs::path& root, const fs::path& relative,
                                  const Request& request, std::string* coding) {
  static constexpr std::pair<const char*, const char*> kCopies[] = {{"br", ".br"}, {"gzip", ".gz"}};
  for (const auto& [offered, suffix] : kCopies) {
    if (!Takes(request, offered)) continue;
    if (auto copy = Inside(root, relative.string() + suffix)) {
      *coding = offered;
      return copy;
    }
  }
  return std::nullopt;
}

}  // namespace

Answer SiteFile(const fs::path& site, const Request& request) {
  const std::string_view path = request.path;
  if (!IsPlainPath(path)) return NotFound();
  fs::path relative = fs::path(path).relative_path();
  if (relative.empty() || path.ends_with('/')) relative /= "index.html";
  // The build's compressed copies are served in their file's place, never
  // asked for by their own names.
  if (relative.extension() == ".br" || relative.extension() == ".gz") return NotFound();
  std::error_code error;
  const fs::path root = fs::canonical(site, error);
  if (error) return NotFound();
  const std::optional<fs::path> file = Inside(root, relative);
  if (!file) return NotFound();

  std::string coding;
  const fs::path sent = CopyTaken(root, relative, request, &coding).value_or(*file);
  const std::uintmax_t size = fs::file_size(sent, error);
  if (error) return NotFound();
  Answer answer;
  answer.headers = {{"Cache-Control", CacheControlOf(*file)},
                    {"Vary", "Accept-Encoding"},
                    {"ETag", ETagOf(sent, size, coding)}};
  if (!coding.empty()) answer.headers.emplace_back("Content-Encoding", coding);
  if (relative.extension() == ".html") {
    std::ifstream page(*file, std::ios::binary);
    const std::string html((std::istreambuf_iterator<char>(page)),
                           std::istreambuf_iterator<char>());
    answer.headers.emplace_back("Content-Security-Policy", ContentSecurityPolicy(html));
  }
  if (StillGood(request, answer.headers[2].second)) {
    answer.status = 304;
    answer.contentType.clear();
    return answer;
  }
  std::ifstream in(sent, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) return NotFound();
  answer.status = 200;
  answer.body = std::move(bytes);
  answer.contentType = MimeTypeOf(*file);
  return answer;
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
