// The Linux client's library, loaded when a world server is first chosen;
// without it the game plays on, and each request to the world tables fails
// at once with the reason.
#include "platform/net/curl_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CurlLibrary, WithoutTheLibraryEveryRequestFailsSayingWhy) {
  const auto client = platform::net::MakeCurlHttpClient("libmorvex2-no-such-library.so.9");
  client->Start(7, platform::net::HttpRequest{});
  const auto finished = client->TakeFinished();
  ASSERT_EQ(finished.size(), 1U);
  EXPECT_EQ(finished[0].first, 7U);
  EXPECT_EQ(finished[0].second.status, 0);
  EXPECT_NE(finished[0].second.error.find("libmorvex2-no-such-library.so.9"), std::string::npos)
      << finished[0].second.error;
}

TEST(CurlLibrary, TheInstalledOneHasEveryFunctionTheClientCalls) {
  std::string why;
  EXPECT_NE(platform::net::LoadCurlLibrary(platform::net::kCurlLibraryName, &why), nullptr) << why;
}

}  // namespace
