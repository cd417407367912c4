// One server is the whole site: the browser game's files from --site (and
// nothing outside that folder, by ".." or by a link), with the types the
// browser needs; and the same over the server's own TLS.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/server/world_scratch.h"

namespace {

namespace fs = std::filesystem;
using testworld::ServerProcess;

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(SiteTest, ThePageIsServedAndNothingAroundIt) {
  testworld::Scratch scratch;
  const fs::path site = fs::path(scratch.path()) / "site";
  Write(site / "index.html", "<!DOCTYPE html><title>game</title>");
  Write(site / "morvex2.wasm", std::string("\0asm", 4));
  Write(site / "manifest.webmanifest", "{}");
  Write(site / "page.js", "//");
  Write(fs::path(scratch.path()) / "secret.txt", "the build folder around the page");
  fs::create_symlink("../secret.txt", site / "leak.txt");
  ServerProcess server({"--data", scratch.path() + "/data", "--site", site.string()});
  ASSERT_TRUE(server.started()) << server.Log();

  httplib::Client client("127.0.0.1", server.port());
  const struct {
    const char* path;
    int status;
    const char* type;
  } rows[] = {
      {"/", 200, "text/html; charset=utf-8"},
      {"/index.html", 200, "text/html; charset=utf-8"},
      {"/morvex2.wasm", 200, "application/wasm"},
      {"/manifest.webmanifest", 200, "application/manifest+json"},
      {"/page.js", 200, "text/javascript; charset=utf-8"},
      {"/../secret.txt", 404, "application/json"},
      {"/%2e%2e/secret.txt", 404, "application/json"},
      {"/..%2fsecret.txt", 404, "application/json"},
      {"/leak.txt", 404, "application/json"},
      {"/missing.js", 404, "application/json"},
  };
  for (const auto& row : rows) {
    const httplib::Result result = client.Get(row.path);
    ASSERT_TRUE(result) << row.path;
    EXPECT_EQ(result->status, row.status) << row.path;
    EXPECT_EQ(result->get_header_value("Content-Type"), row.type) << row.path;
    EXPECT_EQ(result->body.find("build folder"), std::string::npos) << row.path;
  }
}

// A server started by the test itself with --listen 127.0.0.1:0, its port
// read from the line it prints.
class ListeningServer {
 public:
  explicit ListeningServer(std::vector<std::string> arguments) {
    int out[2];
    if (pipe(out) != 0) return;
    arguments.insert(arguments.begin(), {MORVEX2_SERVER_PATH, "--listen", "127.0.0.1:0"});
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    std::FILE* lines = fdopen(out[0], "r");
    char line[256] = {};
    if (std::fgets(line, sizeof line, lines) != nullptr) {
      const std::string text(line);
      if (text.starts_with("listening on ")) port_ = std::stoi(text.substr(text.rfind(':') + 1));
    }
    std::fclose(lines);
  }
  ~ListeningServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  ListeningServer(const ListeningServer&) = delete;
  ListeningServer& operator=(const ListeningServer&) = delete;
  [[nodiscard]] int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

TEST(SiteTest, TheServersOwnTlsWithASelfSignedCertificate) {
  testworld::Scratch scratch;
  const std::string cert = scratch.path() + "/cert.pem";
  const std::string key = scratch.path() + "/key.pem";
  const std::string make =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost"
      " -keyout '" +
      key + "' -out '" + cert + "' 2>/dev/null";
  ASSERT_EQ(std::system(make.c_str()), 0);
  ListeningServer server({"--data", scratch.path(), "--tls-cert", cert, "--tls-key", key});
  ASSERT_GT(server.port(), 0);
  httplib::SSLClient client("127.0.0.1", server.port());
  client.set_ca_cert_path(cert.c_str());
  client.enable_server_certificate_verification(false);
  const httplib::Result health = client.Get("/healthz");
  ASSERT_TRUE(health) << httplib::to_string(health.error());
  EXPECT_EQ(health->status, 200);
  const httplib::Result ticket =
      client.Post("/api/v1/tickets", R"({"level":0})", "application/json");
  ASSERT_TRUE(ticket);
  EXPECT_EQ(ticket->status, 201);
  // Plain HTTP to the TLS port gets no answer.
  httplib::Client plain("127.0.0.1", server.port());
  plain.set_read_timeout(1);
  const httplib::Result refused = plain.Get("/healthz");
  EXPECT_TRUE(!refused || refused->status != 200);
}

}  // namespace
