#include "world/world_server.h"

#include "platform/base/log.h"

namespace {

std::string g_serverUrl;
bool g_unreachableSaid = false;

constexpr std::size_t kLongestUrl = 512;

}  // namespace

void UseWorldServer(std::string baseUrl) {
  g_serverUrl = std::move(baseUrl);
  g_unreachableSaid = false;
}

bool WorldServerChosen() {
  return !g_serverUrl.empty();
}

const std::string& WorldServerUrl() {
  return g_serverUrl;
}

platform::net::HttpRequest WorldRequestTo(const std::string& baseUrl, std::string_view method,
                                          std::string_view path, std::string body) {
  platform::net::HttpRequest request;
  request.method = std::string(method);
  request.url = baseUrl + "/api/v1" + std::string(path);
  if (!body.empty()) request.headers.emplace_back("Content-Type", "application/json");
  request.body = std::move(body);
  return request;
}

platform::net::HttpRequest WorldRequest(std::string_view method, std::string_view path,
                                        std::string body) {
  return WorldRequestTo(g_serverUrl, method, path, std::move(body));
}

bool IsPassingFailure(const platform::net::HttpResponse& response) {
  return response.status == 0 || response.status == 429 || response.status >= 500;
}

void SayServerUnreachable(const std::string& why) {
  if (g_unreachableSaid) return;
  g_unreachableSaid = true;
  // In the log too: a player on Windows has no standard error to read.
  platform::LogLine("morvex2: this game is not ranked: the world server " + g_serverUrl + " " +
                    why);
}

void NoteServerAnswered() {
  g_unreachableSaid = false;
}

std::string ServerUrlFrom(std::string_view given) {
  if (given.size() > kLongestUrl) return {};
  if (!given.starts_with("http://") && !given.starts_with("https://")) return {};
  for (const char c : given) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return {};
  }
  std::string url(given);
  const std::size_t host = url.find("://") + 3;
  while (url.size() > host && url.ends_with('/')) url.pop_back();
  // A host, not a path: "http:///" names none.
  if (url.size() == host || url[host] == '/') return {};
  return url;
}
