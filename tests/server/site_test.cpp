// One server is the whole site: the browser game's files from --site (and
// nothing outside that folder, by ".." or by a link), with the types the
// browser needs; and the same over the server's own TLS, which holds each
// request to its deadline as plain HTTP does.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

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

// A self-signed certificate and its key, made by openssl in `folder`.
struct Certificate {
  explicit Certificate(const std::string& folder)
      : cert(folder + "/cert.pem"), key(folder + "/key.pem") {
    const std::string make =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost"
        " -keyout '" +
        key + "' -out '" + cert + "' 2>/dev/null";
    made = std::system(make.c_str()) == 0;
  }
  std::string cert;
  std::string key;
  bool made = false;
};

TEST(SiteTest, TheServersOwnTlsWithASelfSignedCertificate) {
  testworld::Scratch scratch;
  const Certificate certificate(scratch.path());
  ASSERT_TRUE(certificate.made);
  const std::string& cert = certificate.cert;
  ListeningServer server(
      {"--data", scratch.path(), "--tls-cert", cert, "--tls-key", certificate.key});
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

// Connects over TLS and, once the handshake is done, sends `request` a byte
// at a time, each in a record of its own, a byte each `paceMs`, until the
// server closes the connection or the request is sent whole; true when the
// server closed it first. TLS 1.2, so that nothing comes from the server
// after the handshake but its close.
bool TlsTrickleUntilCutOff(int port, const std::string& request, int paceMs) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION);
  SSL* ssl = SSL_new(context);
  bool cutOff = false;
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      SSL_set_fd(ssl, sock) == 1 && SSL_connect(ssl) == 1) {
    for (const char byte : request) {
      if (SSL_write(ssl, &byte, 1) != 1) {
        cutOff = true;
        break;
      }
      pollfd entry{.fd = sock, .events = POLLIN, .revents = 0};
      if (poll(&entry, 1, paceMs) > 0) {
        char answer[512];
        cutOff = SSL_read(ssl, answer, sizeof answer) <= 0;
        break;
      }
    }
  }
  SSL_free(ssl);
  SSL_CTX_free(context);
  close(sock);
  return cutOff;
}

TEST(SiteTest, TlsClientsThatTrickleAreCutOffAndOthersStillServed) {
  testworld::Scratch scratch;
  const Certificate certificate(scratch.path());
  ASSERT_TRUE(certificate.made);
  // Two threads, and a request must arrive whole within a second.
  ListeningServer server({"--data", scratch.path(), "--tls-cert", certificate.cert, "--tls-key",
                          certificate.key, "--threads", "2", "--request-deadline", "1"});
  ASSERT_GT(server.port(), 0);
  // More tricklers than threads, each taking 40 × 0.25 s = 10 s for its request.
  const std::string request = "GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\nX: 0123\r\n\r\n";
  std::vector<std::thread> tricklers;
  std::vector<char> cutOff(4, 0);
  for (std::size_t i = 0; i < cutOff.size(); ++i) {
    tricklers.emplace_back(
        [&, i] { cutOff[i] = TlsTrickleUntilCutOff(server.port(), request, 250); });
  }
  httplib::SSLClient client("127.0.0.1", server.port());
  client.enable_server_certificate_verification(false);
  const httplib::Result health = client.Get("/healthz");
  ASSERT_TRUE(health) << httplib::to_string(health.error());
  EXPECT_EQ(health->status, 200);
  for (std::thread& trickler : tricklers) trickler.join();
  for (std::size_t i = 0; i < cutOff.size(); ++i) EXPECT_TRUE(cutOff[i]) << "trickler " << i;
  EXPECT_EQ(client.Get("/healthz")->status, 200);
}

}  // namespace
