#include "server/browser_policy.h"

#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <regex>
#include <span>

#include "formats/base64.h"

namespace server {

namespace {

// The origin the request came from, when a browser said it; "null" (a page
// from a file, a sandbox) is an origin too, and never this server's.
std::optional<std::string> OriginOf(const Request& request) {
  const auto origin = request.Header("Origin");
  if (!origin) return std::nullopt;
  return std::string(*origin);
}

// This server's own origin, as far as the request tells it: the page that
// asks is served from the address the request was sent to.
bool IsOwn(const std::string& origin, const Request& request) {
  const auto host = request.Header("Host");
  if (!host || host->empty()) return false;
  const std::size_t scheme = origin.find("://");
  return scheme != std::string::npos && origin.substr(scheme + 3) == *host;
}

bool IsAllowed(const BrowserPolicy& policy, const std::string& origin) {
  return std::find(policy.allowedOrigins.begin(), policy.allowedOrigins.end(), origin) !=
         policy.allowedOrigins.end();
}

bool IsApi(const Request& request) {
  return request.path.starts_with("/api/");
}

// 'sha256-...' of every inline <tag>...</tag> of an HTML page.
std::string InlineHashes(std::string_view html, const std::string& tag) {
  std::string hashes;
  const std::string open = "<" + tag;
  const std::string close = "</" + tag + ">";
  for (std::size_t at = html.find(open); at != std::string_view::npos;
       at = html.find(open, at + 1)) {
    const std::size_t end = html.find('>', at);
    if (end == std::string_view::npos) break;
    const std::string_view head = html.substr(at, end - at);
    // A script with src= is a file of the site: 'self' lets it run.
    if (head.find(" src=") != std::string_view::npos) continue;
    const std::size_t stop = html.find(close, end);
    if (stop == std::string_view::npos) break;
    std::array<std::uint8_t, SHA256_DIGEST_LENGTH> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(html.data() + end + 1), stop - end - 1,
           digest.data());
    hashes += " 'sha256-" + formats::EncodeBase64(digest) + "'";
  }
  return hashes;
}

}  // namespace

std::string ContentSecurityPolicy(std::string_view html) {
  const std::string scripts = "'self' 'wasm-unsafe-eval'" + InlineHashes(html, "script");
  const std::string styles = "'self'" + InlineHashes(html, "style");
  return "default-src 'self'; script-src " + scripts + "; style-src " + styles +
         "; img-src 'self' data: blob:; media-src 'self' blob:; connect-src 'self'; "
         "worker-src 'self'; manifest-src 'self'; object-src 'none'; base-uri 'none'; "
         "form-action 'none'; frame-ancestors 'none'";
}

bool IsOrigin(const std::string& origin) {
  static const std::regex kOrigin(
      R"(https?://[A-Za-z0-9.-]+(:[0-9]{1,5})?|https?://\[[0-9A-Fa-f:.]+\](:[0-9]{1,5})?)");
  return std::regex_match(origin, kOrigin);
}

std::optional<Answer> RefuseForeignWrite(const BrowserPolicy& policy, const Request& head) {
  if (head.method == "GET" || head.method == "HEAD" || head.method == "OPTIONS") {
    return std::nullopt;
  }
  const std::optional<std::string> origin = OriginOf(head);
  if (!origin || IsOwn(*origin, head) || IsAllowed(policy, *origin)) return std::nullopt;
  return Refusal(403, "foreign-origin",
                 "This server takes games from its own page and the pages its operator allows, "
                 "not from " +
                     *origin + ".");
}

std::optional<Answer> Preflight(const BrowserPolicy& policy, const Request& request) {
  if (request.method != "OPTIONS" || !IsApi(request) ||
      !request.Header("Access-Control-Request-Method")) {
    return std::nullopt;
  }
  const std::optional<std::string> origin = OriginOf(request);
  if (!origin || !IsAllowed(policy, *origin)) {
    return Refusal(403, "foreign-origin", "This server does not take writes from that page.");
  }
  Answer answer = PlainAnswer(204, "", "");
  answer.headers = {{"Access-Control-Allow-Methods", "GET, POST"},
                    {"Access-Control-Allow-Headers", "Content-Type"},
                    {"Access-Control-Max-Age", "86400"}};
  return answer;
}

void AddBrowserHeaders(const BrowserPolicy& policy, const Request& request, Answer* answer) {
  auto& headers = answer->headers;
  headers.emplace_back("X-Content-Type-Options", "nosniff");
  headers.emplace_back("Referrer-Policy", "no-referrer");
  headers.emplace_back("X-Frame-Options", "DENY");
  // A page of the site names its policy itself, from the page as it was built: the copy
  // sent may be compressed, or a 304 without the page, whose headers replace the cached ones.
  const bool named = std::any_of(headers.begin(), headers.end(), [](const auto& header) {
    return header.first == "Content-Security-Policy";
  });
  if (!named) {
    const bool page = answer->contentType.starts_with("text/html");
    headers.emplace_back("Content-Security-Policy",
                         ContentSecurityPolicy(page ? answer->body : std::string_view()));
  }
  if (policy.tls) headers.emplace_back("Strict-Transport-Security", "max-age=31536000");
  if (IsApi(request)) {
    const std::optional<std::string> origin = OriginOf(request);
    if (origin && IsAllowed(policy, *origin)) {
      headers.emplace_back("Access-Control-Allow-Origin", *origin);
    }
    headers.emplace_back("Vary", "Origin");
  }
}

}  // namespace server
