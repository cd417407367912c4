#include "world/pending_submissions.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <span>

#include "platform/base/files.h"
#include "platform/base/log.h"
#include "platform/base/whole_file.h"

namespace {

constexpr char kHeader[] =
    "# Morvex2: results not yet taken by the world server; sent again at each start\n";
// Names the kept-aside files start with; the time and a number make them free.
constexpr char kUnreadableStem[] = "world-pending-unread-";
constexpr char kTooLargeStem[] = "world-pending-too-large-";

bool Fits(std::string_view field) {
  return !field.empty() && field.find_first_of("\t\r\n") == std::string_view::npos;
}

std::optional<PendingSubmission> ParseLine(std::string_view line) {
  std::string_view fields[4];
  for (int i = 0; i < 3; ++i) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    fields[i] = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  fields[3] = line;
  PendingSubmission kept;
  const auto [end, error] =
      std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), kept.expiresAtS);
  if (error != std::errc{} || end != fields[1].data() + fields[1].size()) return std::nullopt;
  kept.ticket = fields[0];
  kept.serverUrl = fields[2];
  kept.body = fields[3];
  if (!Fits(kept.ticket) || !Fits(kept.serverUrl) || !Fits(kept.body)) return std::nullopt;
  return kept;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The file written again with `kept`, and the lines that could not be read as
// they stood (for the next start's pass to set aside); errno tells why not.
bool Write(const std::vector<PendingSubmission>& kept,
           const std::vector<std::string>& unreadable = {}) {
  if (kept.empty() && unreadable.empty()) {
    const bool removed = platform::RemoveFile(kPendingSubmissionsName) || errno == ENOENT;
    if (!removed) platform::LogErrno(std::string("removing ") + kPendingSubmissionsName, errno);
    return removed;
  }
  std::string whole = FormatPendingSubmissions(kept);
  for (const std::string& line : unreadable) whole += line + '\n';
  const bool written = platform::WriteWholeFile(kPendingSubmissionsName, Bytes(whole),
                                                platform::WriteMode::kReplace, 0600);
  if (!written) {
    const int error = errno;
    platform::LogErrno(
        std::string("a world result was not kept: writing ") + kPendingSubmissionsName, error);
    errno = error;
  }
  return written;
}

// `stem` + the time + a number that makes the name free. Returns the name, or
// empty with errno set.
std::string WriteAside(const char* stem, std::int64_t nowS, const std::string& text) {
  for (int number = 1; number <= 100; ++number) {
    std::string name = stem + std::to_string(nowS) + "-" + std::to_string(number) + ".txt";
    if (platform::WriteWholeFile(name, Bytes(text), platform::WriteMode::kCreateOnly, 0600)) {
      return name;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

// Copies the whole of `from` into `to`, a piece at a time.
bool CopyInto(const platform::File& from, platform::FileReplacement& to) {
  std::vector<std::uint8_t> piece(std::size_t{1} << 20);
  std::uint64_t offset = 0;
  for (;;) {
    const std::size_t got = from.ReadUpTo(offset, piece);
    if (got == 0) return true;
    if (!to.Append(std::span(piece.data(), got))) return false;
    offset += got;
  }
}

// The file as it stands, copied under a free name in pieces (it is larger
// than any piece of memory the game would spend on it), then taken away.
std::string MoveTooLargeAside(std::int64_t nowS, std::string* why) {
  const platform::File from = platform::File::OpenForReading(kPendingSubmissionsName);
  for (int number = 1; from.IsOpen() && number <= 100; ++number) {
    std::string name = kTooLargeStem + std::to_string(nowS) + "-" + std::to_string(number) + ".txt";
    platform::FileReplacement to(name, 0600);
    const bool copied = to.Ok() && CopyInto(from, to);
    if (copied && to.Commit(platform::WriteMode::kCreateOnly)) {
      if (!platform::RemoveFile(kPendingSubmissionsName)) break;
      return name;
    }
    if (!copied || errno != EEXIST) break;
  }
  *why = std::strerror(errno);
  return {};
}

// The file's lines, or nothing with `why` when it is there and cannot be
// read: it is then never written over.
std::optional<std::string> ReadText(std::int64_t nowS, std::vector<std::string>* said,
                                    std::string* why) {
  const auto info = platform::InfoOf(kPendingSubmissionsName, platform::Links::kFollow);
  if (!info) {
    if (errno == ENOENT) return std::string();
    *why = std::strerror(errno);
    return std::nullopt;
  }
  if (info->kind == platform::FileKind::kRegular && info->size > kLongestPendingFile) {
    const std::string aside = MoveTooLargeAside(nowS, why);
    if (aside.empty()) return std::nullopt;
    said->push_back(std::string("morvex2: ") + kPendingSubmissionsName + " was larger than " +
                    std::to_string(kLongestPendingFile >> 20) +
                    " MiB, which the game never writes; it is kept as " + aside + " and not sent");
    return std::string();
  }
  const auto bytes = platform::ReadSmallFile(kPendingSubmissionsName, kLongestPendingFile);
  if (!bytes) {
    *why = errno != 0 ? std::strerror(errno) : "it is not a plain file, or it changed while read";
    return std::nullopt;
  }
  return std::string(bytes->begin(), bytes->end());
}

// Lines that cannot be read or sent, put in a file of their own; false, said,
// when they could not be.
bool SetAside(const std::vector<std::string>& unreadable, std::int64_t nowS,
              std::vector<std::string>* said) {
  std::string lines;
  for (const std::string& line : unreadable) lines += line + '\n';
  const std::string aside = WriteAside(kUnreadableStem, nowS, lines);
  const std::string count =
      "morvex2: " + std::to_string(unreadable.size()) + " lines of " + kPendingSubmissionsName;
  if (aside.empty()) {
    said->push_back(count + " cannot be read or sent, and could not be kept aside (" +
                    std::strerror(errno) + "); the file is left as it is");
    return false;
  }
  said->push_back(count + " cannot be read or sent to a world server; they are kept in " + aside);
  return true;
}

void SayAll(const std::vector<std::string>& said) {
  for (const std::string& line : said) platform::LogLine(line);
}

}  // namespace

std::string FormatPendingSubmissions(const std::vector<PendingSubmission>& kept) {
  std::string text = kHeader;
  for (const PendingSubmission& one : kept) {
    if (!Fits(one.ticket) || !Fits(one.serverUrl) || !Fits(one.body)) continue;
    text += one.ticket + '\t' + std::to_string(one.expiresAtS) + '\t' + one.serverUrl + '\t' +
            one.body + '\n';
  }
  return text;
}

std::vector<PendingSubmission> ParsePendingSubmissions(std::string_view text,
                                                       std::vector<std::string>* unreadable) {
  std::vector<PendingSubmission> kept;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    // A file a Windows player edited ends its lines with CR LF.
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (std::optional<PendingSubmission> one = ParseLine(line)) {
      kept.push_back(std::move(*one));
    } else if (unreadable != nullptr) {
      unreadable->emplace_back(line);
    }
  }
  return kept;
}

PendingPass PrunePendingSubmissions(std::int64_t nowS,
                                    const std::function<bool(const PendingSubmission&)>& sendable) {
  PendingPass pass;
  std::string why;
  const std::optional<std::string> text = ReadText(nowS, &pass.said, &why);
  if (!text) {
    pass.said.push_back(std::string("morvex2: the kept world results in ") +
                        kPendingSubmissionsName + " cannot be read (" + why +
                        "); they are left as they are");
    SayAll(pass.said);
    return pass;
  }
  std::vector<std::string> unreadable;
  const std::vector<PendingSubmission> kept = ParsePendingSubmissions(*text, &unreadable);
  for (const PendingSubmission& one : kept) {
    if (!sendable(one)) {
      unreadable.push_back(FormatPendingSubmissions({one}).substr(std::strlen(kHeader)));
      unreadable.back().pop_back();  // its newline
    } else if (one.expiresAtS <= nowS) {
      ++pass.expired;
    } else {
      pass.live.push_back(one);
    }
  }
  const bool keepWhole = !unreadable.empty() && !SetAside(unreadable, nowS, &pass.said);
  if (pass.expired != 0) {
    pass.said.push_back("morvex2: " + std::to_string(pass.expired) +
                        " kept world results were past their tickets' time and are dropped");
  }
  if (!keepWhole && (pass.expired != 0 || !unreadable.empty())) (void)Write(pass.live);
  SayAll(pass.said);
  return pass;
}

bool SavePendingSubmission(const PendingSubmission& submission, std::int64_t nowS,
                           std::string* why) {
  std::vector<std::string> said;
  std::vector<std::string> unreadable;
  const std::optional<std::string> text = ReadText(nowS, &said, why);
  SayAll(said);
  if (!text) {
    platform::LogLine(std::string("morvex2: a world result was not kept: ") +
                      kPendingSubmissionsName + " cannot be read (" + *why + ")");
    return false;
  }
  std::vector<PendingSubmission> kept = ParsePendingSubmissions(*text, &unreadable);
  // Lines that cannot be read stay as they stand, for the next start's pass
  // to set aside.
  std::erase_if(kept,
                [&](const PendingSubmission& one) { return one.ticket == submission.ticket; });
  kept.push_back(submission);
  if (!Write(kept, unreadable)) {
    *why = std::strerror(errno);
    return false;
  }
  return true;
}

bool ForgetSubmissions(const std::set<std::string>& tickets, std::int64_t nowS) {
  std::vector<std::string> said;
  std::string why;
  const std::optional<std::string> text = ReadText(nowS, &said, &why);
  SayAll(said);
  if (!text) return false;
  std::vector<std::string> unreadable;
  std::vector<PendingSubmission> kept = ParsePendingSubmissions(*text, &unreadable);
  const std::size_t before = kept.size();
  std::erase_if(kept, [&](const PendingSubmission& one) { return tickets.contains(one.ticket); });
  if (kept.size() == before) return true;
  return Write(kept, unreadable);
}
