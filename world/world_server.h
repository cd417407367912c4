// The world-table server the player chose (--server), if any. With none, the
// game never touches the network and plays, draws and keeps exactly what it
// always did.
#pragma once

#include <string>
#include <string_view>

#include "platform/net/network.h"

// The levels the server keeps a table for: 0 advanced, 1 middle, 2 beginner.
inline constexpr int kWorldLevels = 3;

// The server's address without a trailing slash ("http://127.0.0.1:8770");
// empty for none.
void UseWorldServer(std::string baseUrl);
[[nodiscard]] bool WorldServerChosen();
[[nodiscard]] const std::string& WorldServerUrl();

// A request to `path` (under /api/v1) of the chosen server, or of `baseUrl`.
platform::net::HttpRequest WorldRequest(std::string_view method, std::string_view path,
                                        std::string body = {});
platform::net::HttpRequest WorldRequestTo(const std::string& baseUrl, std::string_view method,
                                          std::string_view path, std::string body = {});

// An answer that says the server could not take the request now and a later
// try may succeed: no answer at all, 429, or any 5xx.
[[nodiscard]] bool IsPassingFailure(const platform::net::HttpResponse& response);

// Said once, on standard error and in the log, while the server stays out of reach: the
// game goes on unranked. Said again only after the server has answered.
void SayServerUnreachable(const std::string& why);
void NoteServerAnswered();

// A server address as given on the command line: http:// or https://, no
// spaces or control characters, at most 512 bytes; the trailing slash goes.
// Empty when it is not one.
std::string ServerUrlFrom(std::string_view given);
