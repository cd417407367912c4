// Whose request it is: addresses written one way, and the player a trusted
// proxy forwards.
#include "server/client_address.h"

#include <gtest/gtest.h>

#include "server/server_options.h"

namespace server {
namespace {

TEST(ClientAddressTest, AddressesAreWrittenOneWay) {
  const struct {
    const char* text;
    const char* normal;  // null: not an address
  } rows[] = {
      {"203.0.113.5", "203.0.113.5"},
      {" 203.0.113.5\t", "203.0.113.5"},
      {"::ffff:203.0.113.5", "203.0.113.5"},
      {"2001:DB8:0:0::1", "2001:db8::1"},
      {"203.0.113.256", nullptr},
      {"203.0.113.5:80", nullptr},
      {"", nullptr},
      {"unknown", nullptr},
  };
  for (const auto& row : rows) {
    const std::optional<std::string> normal = NormalAddress(row.text);
    if (row.normal == nullptr) {
      EXPECT_FALSE(normal) << row.text;
    } else {
      EXPECT_EQ(normal.value_or("none"), row.normal) << row.text;
    }
  }
}

TEST(ClientAddressTest, OnlyATrustedProxyIsBelievedAndOnlyForTheHopItAdded) {
  const TrustedProxies proxies({"10.0.0.1", "10.0.0.2"});
  const struct {
    const char* peer;
    std::vector<const char*> forwarded;
    const char* client;  // null: refused
  } rows[] = {
      {"10.0.0.1", {}, "10.0.0.1"},
      {"10.0.0.1", {"203.0.113.5"}, "203.0.113.5"},
      // What the player wrote himself comes first; the proxy's entry is the last.
      {"10.0.0.1", {"198.51.100.7, 203.0.113.5"}, "203.0.113.5"},
      {"10.0.0.1", {"198.51.100.7", "203.0.113.5"}, "203.0.113.5"},
      // A chain of trusted proxies is passed through.
      {"10.0.0.1", {"203.0.113.5, 10.0.0.2"}, "203.0.113.5"},
      {"10.0.0.1", {"203.0.113.5, garbage"}, nullptr},
      {"192.0.2.9", {"203.0.113.5"}, "192.0.2.9"},
  };
  for (const auto& row : rows) {
    Request head;
    for (const char* line : row.forwarded) head.headers.emplace_back("X-Forwarded-For", line);
    const std::optional<std::string> client = proxies.ClientOf(row.peer, head);
    if (row.client == nullptr) {
      EXPECT_FALSE(client) << row.peer;
    } else {
      EXPECT_EQ(client.value_or("none"), row.client) << row.peer;
    }
  }
}

TEST(ClientAddressTest, TheTrustedProxiesAreGivenAsAList) {
  ServerOptions options;
  std::string error;
  ASSERT_TRUE(ParseServerOptions({"--data", "d", "--trusted-proxy", "127.0.0.1,::ffff:10.0.0.2"},
                                 &options, &error))
      << error;
  EXPECT_EQ(options.trustedProxies, (std::vector<std::string>{"127.0.0.1", "10.0.0.2"}));
  for (const char* bad : {"", "127.0.0.1,", "proxy.example"}) {
    EXPECT_FALSE(ParseServerOptions({"--data", "d", "--trusted-proxy", bad}, &options, &error))
        << bad;
  }
}

// The same comma-separated lists for the pages hosted elsewhere that may
// write: one entry that is no origin, an empty one included, adds none.
TEST(ClientAddressTest, ThePagesAllowedToWriteAreGivenAsAList) {
  ServerOptions options;
  std::string error;
  ASSERT_TRUE(ParseServerOptions(
      {"--data", "d", "--allow-origin", "https://a.example,http://b.example:8080"}, &options,
      &error))
      << error;
  EXPECT_EQ(options.allowedOrigins,
            (std::vector<std::string>{"https://a.example", "http://b.example:8080"}));
  for (const char* bad : {"", "https://a.example,", ",https://a.example", "https://a.example/x"}) {
    ServerOptions refused;
    EXPECT_FALSE(ParseServerOptions({"--data", "d", "--allow-origin", bad}, &refused, &error))
        << bad;
    EXPECT_TRUE(refused.allowedOrigins.empty()) << bad;
  }
}

}  // namespace
}  // namespace server
