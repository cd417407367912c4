#include "world/pending_submissions.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <span>

#include "platform/base/files.h"
#include "platform/base/log.h"
#include "platform/base/whole_file.h"

namespace {

// A result's body is under 100 KiB (the server takes 64 KiB of replay); a
// file of more than a hundred of them is not one the game wrote.
constexpr std::size_t kLongestFile = 16u << 20;
constexpr char kHeader[] =
    "# Morvex2: results not yet taken by the world server; sent again at each start\n";

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

bool Write(const std::vector<PendingSubmission>& kept) {
  if (kept.empty()) {
    const bool removed = platform::RemoveFile(kPendingSubmissionsName) || errno == ENOENT;
    if (!removed) platform::LogErrno(std::string("removing ") + kPendingSubmissionsName, errno);
    return removed;
  }
  const std::string text = FormatPendingSubmissions(kept);
  const bool written = platform::WriteWholeFile(
      kPendingSubmissionsName,
      std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
      platform::WriteMode::kReplace, 0600);
  if (!written) {
    platform::LogErrno(
        std::string("a world result was not kept: writing ") + kPendingSubmissionsName, errno);
  }
  return written;
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

std::vector<PendingSubmission> ParsePendingSubmissions(std::string_view text) {
  std::vector<PendingSubmission> kept;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    // A file a Windows player edited ends its lines with CR LF.
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (std::optional<PendingSubmission> one = ParseLine(line)) kept.push_back(std::move(*one));
  }
  return kept;
}

std::vector<PendingSubmission> ReadPendingSubmissions() {
  const auto bytes = platform::ReadSmallFile(kPendingSubmissionsName, kLongestFile);
  if (!bytes) return {};
  return ParsePendingSubmissions(
      std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool SavePendingSubmission(const PendingSubmission& submission) {
  std::vector<PendingSubmission> kept = ReadPendingSubmissions();
  std::erase_if(kept,
                [&](const PendingSubmission& one) { return one.ticket == submission.ticket; });
  kept.push_back(submission);
  return Write(kept);
}

bool ForgetSubmission(const std::string& ticket) {
  std::vector<PendingSubmission> kept = ReadPendingSubmissions();
  const std::size_t before = kept.size();
  std::erase_if(kept, [&](const PendingSubmission& one) { return one.ticket == ticket; });
  return kept.size() == before || Write(kept);
}
