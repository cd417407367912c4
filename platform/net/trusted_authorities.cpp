#include "platform/net/trusted_authorities.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/base/files.h"

namespace platform::net {

namespace {

// A bundle's first certificate comes after a few lines of comments at most;
// this much is read to find it, whatever the file's size.
constexpr std::size_t kLookedAt = std::size_t{64} * 1024;
constexpr std::string_view kCertificateMark = "-----BEGIN CERTIFICATE-----";

TrustedAuthorities Problem(const std::string& file, const std::string& why) {
  return {.file = {}, .problem = "SSL_CERT_FILE names " + file + ", which " + why};
}

}  // namespace

TrustedAuthorities TrustedAuthoritiesNamed(const char* named) {
  if (named == nullptr || *named == '\0') return {};
  const std::string file = named;
  File opened = File::OpenForReading(file);
  if (!opened.IsOpen()) {
    return Problem(file, std::string("cannot be read: ") + std::strerror(errno));
  }
  const std::optional<FileInfo> info = opened.Info();
  if (!info || info->kind != FileKind::kRegular) return Problem(file, "is not a file");
  std::vector<std::uint8_t> start(kLookedAt);
  const std::optional<std::size_t> got = opened.Read(start);
  if (!got) return Problem(file, std::string("cannot be read: ") + std::strerror(errno));
  const std::string_view text(reinterpret_cast<const char*>(start.data()), *got);
  if (text.find(kCertificateMark) == std::string_view::npos) {
    return Problem(file, "holds no certificate (PEM, " + std::string(kCertificateMark) + ")");
  }
  return {.file = file, .problem = {}};
}

}  // namespace platform::net
