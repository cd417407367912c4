#include "world/pending_submissions.h"

#include <gtest/gtest.h>

namespace {

TEST(PendingSubmissions, RoundTripAndDamagedLinesDropped) {
  const std::vector<PendingSubmission> kept = {
      {"0123456789abcdef0123456789abcdef", 1796500000, "http://127.0.0.1:8770",
       R"({"name":"A B","replay":"TVZS"})"},
      {"fedcba9876543210fedcba9876543210", 1, "https://x.example", "{}"},
  };
  const std::string text = FormatPendingSubmissions(kept);
  EXPECT_EQ(ParsePendingSubmissions(text), kept);

  const std::string damaged = text +
                              "no tabs at all\n"
                              "t\tnot-a-number\thttp://x\t{}\n"
                              "t\t5\thttp://x\n"
                              "\t5\thttp://x\t{}\n" +
                              text.substr(text.find('\n') + 1, 20);  // cut short
  EXPECT_EQ(ParsePendingSubmissions(damaged), kept);

  // Saved again by a Windows editor: every line ends with CR LF.
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(ParsePendingSubmissions(crlf), kept);
}

TEST(PendingSubmissions, FieldsThatWouldBreakTheLinesAreNotWritten) {
  const std::vector<PendingSubmission> kept = {{"t", 1, "http://x", "a\nb"}, {"t\t", 1, "u", "{}"}};
  EXPECT_TRUE(ParsePendingSubmissions(FormatPendingSubmissions(kept)).empty());
}

}  // namespace
