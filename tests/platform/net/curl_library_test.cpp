// The Linux client when libcurl cannot be taken: the game plays on, and each
// request to the world tables fails at once with the reason.
#include "platform/net/curl_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CurlLibrary, WithoutAUsableLibraryEveryRequestFailsSayingWhy) {
  struct Case {
    const char* name;
    const char* library;
    const char* why;  // part of the reason given
  } const cases[] = {
      {"not installed", "libmorvex2-no-such-library.so.9", "libmorvex2-no-such-library.so.9"},
      {"another library of that name", "libz.so.1", "curl_global_init"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(platform::net::LoadCurlLibrary(c.library, &why), nullptr) << c.name;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;

    const auto client = platform::net::MakeCurlHttpClient(c.library);
    client->Start(7, platform::net::HttpRequest{});
    const auto finished = client->TakeFinished();
    ASSERT_EQ(finished.size(), 1U) << c.name;
    EXPECT_EQ(finished[0].first, 7U) << c.name;
    EXPECT_EQ(finished[0].second.status, 0) << c.name;
    EXPECT_NE(finished[0].second.error.find(c.why), std::string::npos)
        << c.name << ": " << finished[0].second.error;
  }
}

TEST(CurlLibrary, IsLoadedOnce) {
  std::string why;
  const platform::net::CurlLibrary* first =
      platform::net::LoadCurlLibrary(platform::net::kCurlLibraryName, &why);
  ASSERT_NE(first, nullptr) << why;
  EXPECT_EQ(platform::net::LoadCurlLibrary(platform::net::kCurlLibraryName, &why), first);
}

}  // namespace
