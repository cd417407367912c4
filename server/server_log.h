// The server's log: one line at a time on standard error (the journal, under
// systemd). What a line carries may come from a client or a database, so it
// is made safe first: a byte below space, DEL, a byte outside ASCII and the
// backslash itself are written as \xNN, and no line is longer than
// kLogLineBytes: one that would be is cut short, marked with "...". No
// request can forge a line, move the terminal's cursor or make the log grow
// faster than its lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace server {

inline constexpr std::size_t kLogLineBytes = 400;

// What LogLine writes for `text`, without the newline.
std::string LogSafe(std::string_view text);

// Writes LogSafe(text) and a newline in one write.
void LogLine(std::string_view text);

}  // namespace server
