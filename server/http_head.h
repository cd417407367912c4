// The head of a request as the HTTP parser read it, made the routes' Request,
// and what the server will not take in it.
#pragma once

#include <boost/beast/http.hpp>
#include <string>

#include "server/request.h"

namespace server {

// What one request may be: its line, its headers, its body.
constexpr std::size_t kMaxRequestLine = 8 * 1024;
constexpr std::size_t kMaxHeaderBytes = 16 * 1024;
constexpr std::size_t kMaxHeaderFields = 64;
// The parser's own bound on a head, line and headers together: past it, the
// head is refused before more of it is kept.
constexpr std::size_t kMaxHead = kMaxRequestLine + kMaxHeaderBytes + 4;

using RequestHeader = boost::beast::http::request_header<>;

// 0 when the head may be answered; otherwise the status that refuses it: 414
// for a long line, 431 for too many or too large headers, 400 for a length
// given twice or with a transfer coding, or a coding other than chunked (the
// ways a proxy and this server could disagree on where the body ends).
[[nodiscard]] int HeadRefusal(const RequestHeader& head);

// The refusal of a head the parser gave up on at its bound, told from what it
// had read (`read`): 414 when the line alone is past its limit, else 431.
[[nodiscard]] int OversizeRefusal(std::string_view read);

// The routes' request of `head` (no body yet); false when its target is not
// a path (absolute, "*", bad %-escapes, a NUL).
[[nodiscard]] bool ToRequest(const RequestHeader& head, Request* request);

}  // namespace server
