// Feeds arbitrary bytes to the readers of the world-table server's answers
// and of the kept results' file. Besides what the sanitizers catch: a table
// holds no more rows than asked for, and only names and dates the screen can
// draw (no control byte); a kept file read and written again reads the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "world/pending_submissions.h"
#include "world/world_answers.h"

namespace {

bool Drawable(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  (void)ReadTicketAnswer(bytes);
  if (const auto table = ReadTableAnswer(bytes, 10)) {
    if (table->size() > 10) std::abort();
    for (const WorldEntry& entry : *table) {
      if (entry.name.size() > 16 || !Drawable(entry.name) || !Drawable(entry.date)) std::abort();
    }
  }
  for (const int status : {201, 409, 503}) {
    if (const auto verdict = ReadSubmissionAnswer(status, bytes)) {
      for (const char c : verdict->reason) {
        if (c < 0x20 || c > 0x7E) std::abort();
      }
    }
  }
  const auto kept = ParsePendingSubmissions(bytes);
  if (ParsePendingSubmissions(FormatPendingSubmissions(kept)) != kept) std::abort();
  return 0;
}
