#include "resources/resources.h"

#include <cstring>
#include <deque>

#include "resources/embedded.h"

struct ResourceEntry {
  std::string name;
  std::uintptr_t type;
  std::vector<std::uint8_t> ownBytes;  // a test's picture
  const std::uint8_t* data;
  std::size_t size;
  bool hidden;
};

namespace {

// Made once from the embedded table; tests' entries go in front of them.
// A deque keeps every entry where it is, so handles stay valid.
std::deque<ResourceEntry>& EmbeddedEntries() {
  static std::deque<ResourceEntry> entries = [] {
    std::deque<ResourceEntry> made;
    for (const auto* e = resources::kEmbeddedResources; e->name != nullptr; ++e) {
      made.push_back(ResourceEntry{
          e->name, e->type, {}, e->begin, static_cast<std::size_t>(e->end - e->begin), false});
    }
    return made;
  }();
  return entries;
}

std::deque<ResourceEntry>& TestEntries() {
  static std::deque<ResourceEntry> entries;
  return entries;
}

const ResourceEntry* Lookup(const std::deque<ResourceEntry>& entries, LPCSTR name,
                            std::uintptr_t type) {
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->type == type && it->name == name) return &*it;
  }
  return nullptr;
}

}  // namespace

HRSRC FindResourceA(HINSTANCE, LPCSTR name, std::uintptr_t type) {
  if (name == nullptr) return nullptr;
  const ResourceEntry* entry = Lookup(TestEntries(), name, type);
  if (entry == nullptr) entry = Lookup(EmbeddedEntries(), name, type);
  return entry != nullptr && !entry->hidden ? entry : nullptr;
}

HGLOBAL LoadResource(HINSTANCE, HRSRC resource) {
  if (resource == nullptr || resource->size == 0) return nullptr;
  return resource->data;
}

const void* LockResource(HGLOBAL data) {
  return data;
}

DWORD SizeofResource(HINSTANCE, HRSRC resource) {
  return resource != nullptr ? static_cast<DWORD>(resource->size) : 0;
}

namespace resources {

void SetTestResource(const std::string& name, std::uintptr_t type,
                     std::optional<std::vector<std::uint8_t>> bytes) {
  ResourceEntry& entry = TestEntries().emplace_back();
  entry.name = name;
  entry.type = type;
  entry.hidden = !bytes.has_value();
  if (bytes) entry.ownBytes = std::move(*bytes);
  entry.data = entry.ownBytes.data();
  entry.size = entry.ownBytes.size();
}

void ClearTestResources() {
  TestEntries().clear();
}

}  // namespace resources
