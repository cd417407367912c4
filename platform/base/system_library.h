// A library of the system's that only one feature of the game needs (the
// network client for the world tables, the synthesiser for a player's own
// tune), opened the first time that feature is used rather than by the
// loader at start: a player who never uses the feature never pays for the
// library and everything it pulls in. A library is opened by its versioned
// name (libcurl.so.4), so that only the version the game was built against
// is taken, and is kept open until the game ends.
#pragma once

#include <map>
#include <mutex>
#include <string>

namespace platform {

// Null when the library is not there or cannot be loaded; `why` then says so
// in the system loader's words.
[[nodiscard]] void* OpenSystemLibrary(const char* versionedName, std::string* why);

// The address of `name` in a library OpenSystemLibrary gave; null, and `why`,
// when the library has no such symbol.
[[nodiscard]] void* FindInSystemLibrary(void* library, const char* name, std::string* why);

// FindInSystemLibrary typed as the function the headers declare, so that a
// call through it is checked against the declaration.
template <typename Function>
[[nodiscard]] bool FindFunction(void* library, const char* name, Function*& function,
                                std::string* why) {
  function = reinterpret_cast<Function*>(FindInSystemLibrary(library, name, why));
  return function != nullptr;
}

// The functions one feature calls (a struct of pointers, filled by
// findAll(library, functions, why) through FindFunction), from the library of
// that name: opened and looked up on the first call, from whatever thread,
// and kept for the run. Null, and why, when the library is missing or lacks
// one of them; it is then tried again at the next call.
template <typename Functions, typename FindAll>
[[nodiscard]] const Functions* LoadSystemFunctions(const char* versionedName, FindAll findAll,
                                                   std::string* why) {
  static std::mutex mutex;
  static std::map<std::string, Functions> loaded;
  const std::lock_guard lock(mutex);
  if (const auto found = loaded.find(versionedName); found != loaded.end()) return &found->second;
  void* library = OpenSystemLibrary(versionedName, why);
  Functions functions{};
  if (library == nullptr || !findAll(library, functions, why)) return nullptr;
  return &loaded.emplace(versionedName, functions).first->second;
}

}  // namespace platform
