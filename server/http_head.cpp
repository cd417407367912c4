#include "server/http_head.h"

#include <algorithm>
#include <iterator>

namespace server {
namespace http = boost::beast::http;

namespace {

int HexDigit(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

bool PercentDecode(std::string_view text, std::string* decoded) {
  decoded->clear();
  decoded->reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '%') {
      decoded->push_back(text[at]);
      continue;
    }
    const int high = at + 2 < text.size() ? HexDigit(text[at + 1]) : -1;
    const int low = at + 2 < text.size() ? HexDigit(text[at + 2]) : -1;
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
    decoded->push_back(static_cast<char>(high * 16 + low));
    at += 2;
  }
  return true;
}

}  // namespace

int HeadRefusal(const RequestHeader& head) {
  if (head.target().size() > kMaxRequestLine) return 414;
  std::size_t fields = 0;
  std::size_t bytes = 0;
  for (const auto& field : head) {
    ++fields;
    bytes += field.name_string().size() + field.value().size() + 4;
  }
  if (fields > kMaxHeaderFields || bytes > kMaxHeaderBytes) return 431;
  const auto lengths = head.count(http::field::content_length);
  const auto codings = head.count(http::field::transfer_encoding);
  if (lengths > 1 || (lengths > 0 && codings > 0) || codings > 1) return 400;
  if (codings == 1) {
    // Chunked alone: the server decodes no other coding.
    const http::token_list tokens{head[http::field::transfer_encoding]};
    const auto count = std::distance(tokens.begin(), tokens.end());
    if (count != 1 || !boost::beast::iequals(*tokens.begin(), "chunked")) return 400;
  }
  return 0;
}

int OversizeRefusal(std::string_view read) {
  const std::size_t lineEnd = read.find('\n');
  return lineEnd == std::string_view::npos || lineEnd > kMaxRequestLine + 1 ? 414 : 431;
}

bool ToRequest(const RequestHeader& head, Request* request) {
  const std::string_view target(head.target().data(), head.target().size());
  if (!target.starts_with('/')) return false;
  const std::size_t question = target.find('?');
  if (!PercentDecode(target.substr(0, question), &request->path)) return false;
  request->query = question == std::string_view::npos ? "" : target.substr(question + 1);
  request->method = head.method_string();
  request->headers.clear();
  for (const auto& field : head) request->headers.emplace_back(field.name_string(), field.value());
  return true;
}

}  // namespace server
