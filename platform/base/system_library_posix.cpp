#include <dlfcn.h>

#include "platform/base/system_library.h"

namespace platform {

namespace {

std::string LoaderError(const char* fallback) {
  const char* error = dlerror();
  return error != nullptr ? error : fallback;
}

}  // namespace

// RTLD_LOCAL: the library's symbols reach only the calls made through the
// addresses looked up here, never another library that happens to share a
// name with them.
void* OpenSystemLibrary(const char* versionedName, std::string* why) {
  void* library = dlopen(versionedName, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) *why = LoaderError("cannot be loaded");
  return library;
}

void* FindInSystemLibrary(void* library, const char* name, std::string* why) {
  (void)dlerror();  // a null symbol is told from a missing one by dlerror alone
  void* found = dlsym(library, name);
  if (found == nullptr) *why = LoaderError("the symbol is null");
  return found;
}

}  // namespace platform
