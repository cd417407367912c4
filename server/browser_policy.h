// What every answer tells a browser, and which pages may write to the tables.
//
// Every answer: the types it declares are the types it has (nosniff), no
// other site may frame it, no address of the page leaves in a Referer, and
// a page may run only its own files: its scripts and styles, those written
// into the page itself (named by their hashes), and the game compiled from
// its own WebAssembly, but nothing fetched from elsewhere. Over the server's
// own TLS, browsers are told to come back only over TLS.
//
// The API's writes (tickets, stamps, submissions) come from the game itself
// (no Origin), from the page on this server (its own origin) or from the
// pages the operator allows (--allow-origin); a page elsewhere is refused
// before anything is made, whatever the type its request declares.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/answer.h"
#include "server/request.h"

namespace server {

struct BrowserPolicy {
  std::vector<std::string> allowedOrigins;  // "https://example.org", as browsers send them
  bool tls = false;                         // the server speaks TLS itself
};

// The refusal of a write from a page of another origin, or none.
[[nodiscard]] std::optional<Answer> RefuseForeignWrite(const BrowserPolicy& policy,
                                                       const Request& head);

// The answer to a browser's question before a write from an allowed page
// (OPTIONS with Access-Control-Request-Method), or none for any other request.
[[nodiscard]] std::optional<Answer> Preflight(const BrowserPolicy& policy, const Request& request);

// Puts the headers every answer carries on `answer`.
void AddBrowserHeaders(const BrowserPolicy& policy, const Request& request, Answer* answer);

// The Content-Security-Policy of a page whose HTML is `html`, its inline scripts and styles
// named by their hashes; of any other answer, with `html` empty.
[[nodiscard]] std::string ContentSecurityPolicy(std::string_view html);

// Whether `origin` is one --allow-origin takes: scheme://host[:port], nothing more.
[[nodiscard]] bool IsOrigin(const std::string& origin);

}  // namespace server
