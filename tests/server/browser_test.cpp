// What a browser gets from the server: the page's files compressed by the
// build, validated and kept as long as their names allow; the headers that
// keep the page to its own files; and writes only from the pages allowed.
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "formats/base64.h"
#include "tests/server/world_scratch.h"

namespace {

namespace fs = std::filesystem;
using testworld::AskRaw;
using testworld::HeaderOf;
using testworld::ServerProcess;

void PutFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string Body(const std::string& answer) {
  const std::size_t end = answer.find("\r\n\r\n");
  return end == std::string::npos ? "" : answer.substr(end + 4);
}

std::string Get(int port, const std::string& path, const std::string& headers = "") {
  return AskRaw(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
                          headers + "\r\n");
}

std::string PostTicket(int port, const std::string& headers) {
  const std::string body = R"({"level":1})";
  return AskRaw(port, "POST /api/v1/tickets HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                          "\r\nConnection: close\r\n" + headers +
                          "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

constexpr const char* kInline = "\n  var x = 1;\n";

class BrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path site = fs::path(scratch_.path()) / "site";
    PutFile(site / "index.html", std::string("<!doctype html><script>") + kInline +
                                     "</script><script src=\"page.js\">" + "</script>");
    PutFile(site / "sw.js", "//");
    PutFile(site / "morvex2.wasm", "plain");
    PutFile(site / "morvex2.wasm.gz", "gzipped");
    PutFile(site / "morvex2.wasm.br", "brotli");
    PutFile(site / "page.js", "//");
    PutFile(site / "page.js.gz", "gzipped page");
    PutFile(site / "tunes/music1-0123456789abcdef.tune", "tune");
    site_ = site.string();
  }

  testworld::Scratch scratch_;
  std::string site_;
};

TEST_F(BrowserTest, TheBuildsCompressedCopiesGoToBrowsersThatTakeThem) {
  ServerProcess server({"--data", scratch_.path() + "/data", "--site", site_});
  ASSERT_TRUE(server.started()) << server.Log();
  const struct {
    const char* path;
    const char* accepts;
    const char* body;
    const char* coding;
  } kRows[] = {
      {"/morvex2.wasm", "gzip, deflate, br", "brotli", "br"},
      {"/morvex2.wasm", "gzip", "gzipped", "gzip"},
      {"/morvex2.wasm", "br;q=0, gzip;q=0.5", "gzipped", "gzip"},
      {"/morvex2.wasm", "", "plain", ""},
      {"/page.js", "br, gzip", "gzipped page", "gzip"},
      {"/sw.js", "br, gzip", "//", ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(std::string(row.path) + " " + row.accepts);
    const std::string answer =
        Get(server.port(), row.path,
            *row.accepts ? std::string("Accept-Encoding: ") + row.accepts + "\r\n" : "");
    EXPECT_EQ(testworld::StatusOf(answer), 200);
    EXPECT_EQ(Body(answer), row.body);
    EXPECT_EQ(HeaderOf(answer, "Content-Encoding"), row.coding);
    EXPECT_EQ(HeaderOf(answer, "Vary"), "Accept-Encoding");
  }
  EXPECT_EQ(
      HeaderOf(Get(server.port(), "/morvex2.wasm", "Accept-Encoding: br\r\n"), "Content-Type"),
      "application/wasm");
  EXPECT_EQ(testworld::StatusOf(Get(server.port(), "/morvex2.wasm.gz")), 404);
}

TEST_F(BrowserTest, ACopyStillGoodIsAnswered304AndHashedNamesAreKeptAYear) {
  ServerProcess server({"--data", scratch_.path() + "/data", "--site", site_});
  ASSERT_TRUE(server.started()) << server.Log();
  const int port = server.port();
  const std::string first = Get(port, "/morvex2.wasm", "Accept-Encoding: gzip\r\n");
  const std::string etag = HeaderOf(first, "ETag");
  ASSERT_FALSE(etag.empty());
  const std::string again =
      Get(port, "/morvex2.wasm", "Accept-Encoding: gzip\r\nIf-None-Match: " + etag + "\r\n");
  EXPECT_EQ(testworld::StatusOf(again), 304);
  EXPECT_EQ(Body(again), "");
  EXPECT_EQ(HeaderOf(again, "ETag"), etag);
  // Another coding is another copy.
  EXPECT_EQ(testworld::StatusOf(Get(port, "/morvex2.wasm", "If-None-Match: " + etag + "\r\n")),
            200);

  const struct {
    const char* path;
    const char* kept;
  } kKept[] = {
      {"/", "no-cache"},
      {"/index.html", "no-cache"},
      {"/sw.js", "no-cache"},
      {"/morvex2.wasm", "no-cache"},
      {"/tunes/music1-0123456789abcdef.tune", "public, max-age=31536000, immutable"},
  };
  for (const auto& row : kKept) {
    EXPECT_EQ(HeaderOf(Get(port, row.path), "Cache-Control"), row.kept) << row.path;
  }
}

TEST_F(BrowserTest, ThePageMayRunOnlyItsOwnScriptsAndNoOneFramesIt) {
  PutFile(fs::path(site_) / "index.html.gz", "gzipped page");
  ServerProcess server({"--data", scratch_.path() + "/data", "--site", site_});
  ASSERT_TRUE(server.started()) << server.Log();
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  SHA256(reinterpret_cast<const unsigned char*>(kInline), std::string(kInline).size(),
         digest.data());
  const std::string inlineHash =
      "'sha256-" + formats::EncodeBase64(std::span<const std::uint8_t>(digest)) + "'";
  for (const char* path : {"/", "/api/v1/tables/1", "/missing"}) {
    SCOPED_TRACE(path);
    const std::string answer = Get(server.port(), path);
    const std::string policy = HeaderOf(answer, "Content-Security-Policy");
    EXPECT_NE(policy.find("default-src 'self'"), std::string::npos) << policy;
    EXPECT_NE(policy.find("'wasm-unsafe-eval'"), std::string::npos) << policy;
    EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos) << policy;
    EXPECT_EQ(policy.find("unsafe-inline"), std::string::npos) << policy;
    EXPECT_EQ(policy.find("'unsafe-eval'"), std::string::npos) << policy;
    EXPECT_EQ(policy.find(inlineHash) != std::string::npos, path == std::string("/")) << policy;
    EXPECT_EQ(HeaderOf(answer, "X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(HeaderOf(answer, "Referrer-Policy"), "no-referrer");
    // Plain HTTP: the server cannot say that TLS will be there.
    EXPECT_EQ(HeaderOf(answer, "Strict-Transport-Security"), "");
  }
  // The page's own hashes hold whichever copy of it is sent, and on a 304, whose headers
  // take the place of those the browser kept with the page.
  const std::string gzip = "Accept-Encoding: gzip\r\n";
  const std::string compressed = Get(server.port(), "/", gzip);
  ASSERT_EQ(HeaderOf(compressed, "Content-Encoding"), "gzip");
  const std::string stillGood =
      Get(server.port(), "/", gzip + "If-None-Match: " + HeaderOf(compressed, "ETag") + "\r\n");
  ASSERT_EQ(stillGood.substr(0, 12), "HTTP/1.1 304");
  for (const std::string& answer : {compressed, stillGood}) {
    const std::string policy = HeaderOf(answer, "Content-Security-Policy");
    EXPECT_NE(policy.find(inlineHash), std::string::npos) << policy;
    EXPECT_EQ(answer.find("Content-Security-Policy", answer.find("Content-Security-Policy") + 1),
              std::string::npos)
        << "one policy only: " << answer;
  }
}

TEST_F(BrowserTest, WritesComeOnlyFromThisServersPageAndThePagesAllowed) {
  ServerProcess server({"--data", scratch_.path() + "/data", "--site", site_, "--allow-origin",
                        "https://play.example,http://[::1]:8080"});
  ASSERT_TRUE(server.started()) << server.Log();
  const int port = server.port();
  const std::string own = "Origin: http://127.0.0.1:" + std::to_string(port) + "\r\n";
  const struct {
    std::string headers;
    int status;
  } kRows[] = {
      // The game itself sends no Origin.
      {"Content-Type: application/json\r\n", 201},
      {own + "Content-Type: application/json\r\n", 201},
      {"Origin: https://play.example\r\nContent-Type: application/json\r\n", 201},
      // A form or a script elsewhere, with a type that needs no browser's question first.
      {"Origin: https://evil.example\r\nContent-Type: text/plain\r\n", 403},
      {"Origin: null\r\nContent-Type: text/plain\r\n", 403},
      {"Origin: https://play.example.evil\r\nContent-Type: application/json\r\n", 403},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.headers);
    const std::string answer = PostTicket(port, row.headers);
    EXPECT_EQ(testworld::StatusOf(answer), row.status) << answer;
  }
  // Nothing was made for the refused ones.
  EXPECT_NE(server.Get("/metrics").body.find("morvex2_open_tickets 3\n"), std::string::npos);

  const std::string allowed = PostTicket(port, "Origin: https://play.example\r\n");
  EXPECT_EQ(HeaderOf(allowed, "Access-Control-Allow-Origin"), "https://play.example");
  const std::string asked =
      AskRaw(port,
             "OPTIONS /api/v1/tickets HTTP/1.1\r\nHost: a\r\nConnection: close\r\nOrigin: "
             "https://play.example\r\nAccess-Control-Request-Method: POST\r\n"
             "Access-Control-Request-Headers: content-type\r\n\r\n");
  EXPECT_EQ(testworld::StatusOf(asked), 204) << asked;
  EXPECT_NE(HeaderOf(asked, "Access-Control-Allow-Methods").find("POST"), std::string::npos);
  EXPECT_EQ(HeaderOf(asked, "Access-Control-Allow-Origin"), "https://play.example");
  EXPECT_EQ(testworld::StatusOf(
                AskRaw(port,
                       "OPTIONS /api/v1/tickets HTTP/1.1\r\nHost: a\r\nConnection: close\r\n"
                       "Origin: https://evil.example\r\nAccess-Control-Request-Method: "
                       "POST\r\n\r\n")),
            403);
}

}  // namespace
