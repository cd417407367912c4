#include "platform/net/curl_library.h"

#include "platform/base/system_library.h"

namespace platform::net {

namespace {

bool FindAll(void* library, CurlLibrary& curl, std::string* why) {
  return FindFunction(library, "curl_global_init", curl.globalInit, why) &&
         FindFunction(library, "curl_global_cleanup", curl.globalCleanup, why) &&
         FindFunction(library, "curl_multi_init", curl.multiInit, why) &&
         FindFunction(library, "curl_multi_cleanup", curl.multiCleanup, why) &&
         FindFunction(library, "curl_multi_add_handle", curl.multiAddHandle, why) &&
         FindFunction(library, "curl_multi_remove_handle", curl.multiRemoveHandle, why) &&
         FindFunction(library, "curl_multi_perform", curl.multiPerform, why) &&
         FindFunction(library, "curl_multi_poll", curl.multiPoll, why) &&
         FindFunction(library, "curl_multi_wakeup", curl.multiWakeup, why) &&
         FindFunction(library, "curl_multi_info_read", curl.multiInfoRead, why) &&
         FindFunction(library, "curl_easy_init", curl.easyInit, why) &&
         FindFunction(library, "curl_easy_cleanup", curl.easyCleanup, why) &&
         FindFunction(library, "curl_easy_setopt", curl.easySetopt, why) &&
         FindFunction(library, "curl_easy_getinfo", curl.easyGetinfo, why) &&
         FindFunction(library, "curl_easy_strerror", curl.easyStrerror, why) &&
         FindFunction(library, "curl_slist_append", curl.slistAppend, why) &&
         FindFunction(library, "curl_slist_free_all", curl.slistFreeAll, why);
}

}  // namespace

const CurlLibrary* LoadCurlLibrary(const char* versionedName, std::string* why) {
  return LoadSystemFunctions<CurlLibrary>(versionedName, FindAll, why);
}

}  // namespace platform::net
