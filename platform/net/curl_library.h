// The libcurl functions the Linux client calls, looked up once in the library
// opened when the first client is made. Each is typed by the declaration in
// libcurl's own headers, which the build still uses.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "platform/net/http.h"
#include "platform/net/trusted_authorities.h"

namespace platform::net {

// The major version the headers describe: another would not match them.
inline constexpr char kCurlLibraryName[] = "libcurl.so.4";

struct CurlLibrary {
  decltype(&curl_global_init) globalInit;
  decltype(&curl_global_cleanup) globalCleanup;
  decltype(&curl_multi_init) multiInit;
  decltype(&curl_multi_cleanup) multiCleanup;
  decltype(&curl_multi_add_handle) multiAddHandle;
  decltype(&curl_multi_remove_handle) multiRemoveHandle;
  decltype(&curl_multi_perform) multiPerform;
  decltype(&curl_multi_poll) multiPoll;
  decltype(&curl_multi_wakeup) multiWakeup;
  decltype(&curl_multi_info_read) multiInfoRead;
  decltype(&curl_easy_init) easyInit;
  decltype(&curl_easy_cleanup) easyCleanup;
  decltype(&curl_easy_setopt) easySetopt;
  decltype(&curl_easy_getinfo) easyGetinfo;
  decltype(&curl_easy_strerror) easyStrerror;
  decltype(&curl_slist_append) slistAppend;
  decltype(&curl_slist_free_all) slistFreeAll;
};

// The library of that name with every function above, loaded on the first
// call and kept; null, and why, when it is missing or lacks one of them.
[[nodiscard]] const CurlLibrary* LoadCurlLibrary(const char* versionedName, std::string* why);

// The client through the library of that name (MakeSystemHttpClient names
// kCurlLibraryName, and the authorities SSL_CERT_FILE names); without it, a
// client whose every request fails with why.
std::unique_ptr<HttpClient> MakeCurlHttpClient(const char* versionedName,
                                               TrustedAuthorities authorities = {});

}  // namespace platform::net
