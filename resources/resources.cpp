#include "resources/resources.h"

#include <zlib.h>

#include <deque>
#include <span>

#include "platform/base/late_files.h"
#include "resources/embedded.h"
#include "resources/resources_testing.h"

struct ResourceEntry {
  std::string name;
  std::uintptr_t type;
  std::vector<std::uint8_t> ownBytes;  // a test's picture, as it is
  std::span<const std::uint8_t> gzipped;
  std::size_t size;
  bool hidden;
  // The unpacked bytes of a carried resource, from LoadResource to FreeResource.
  mutable std::vector<std::uint8_t> loaded;
  // A resource whose bytes come after the program has started: the name of
  // its compressed file, and its bytes once they have come.
  std::string lateFile;
  std::vector<std::uint8_t> lateGzipped;
};

namespace {

// A gzip stream ends with its unpacked size, modulo 2^32: all our files are
// far smaller.
std::size_t UnpackedSize(std::span<const std::uint8_t> gzipped) {
  if (gzipped.size() < 18) return 0;
  const std::uint8_t* end = gzipped.data() + gzipped.size();
  return std::size_t{end[-4]} | std::size_t{end[-3]} << 8 | std::size_t{end[-2]} << 16 |
         std::size_t{end[-1]} << 24;
}

// The whole stream unpacked, exactly `size` bytes and nothing after them; empty
// when it is damaged.
std::vector<std::uint8_t> Unpack(std::span<const std::uint8_t> gzipped, std::size_t size) {
  std::vector<std::uint8_t> out(size);
  z_stream stream{};
  if (size == 0 || inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return {};
  stream.next_in = const_cast<Bytef*>(gzipped.data());
  stream.avail_in = static_cast<uInt>(gzipped.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.avail_in == 0 && stream.avail_out == 0;
  inflateEnd(&stream);
  if (!whole) return {};
  return out;
}

// Made once from the embedded table; tests' entries go in front of them.
// A deque keeps every entry where it is, so handles stay valid.
std::deque<ResourceEntry>& EmbeddedEntries() {
  static std::deque<ResourceEntry> entries = [] {
    std::deque<ResourceEntry> made;
    for (const auto* e = resources::kEmbeddedResources; e->name != nullptr; ++e) {
      const std::span<const std::uint8_t> gzipped(e->gzipped, e->size);
      made.push_back(ResourceEntry{e->name,
                                   e->type,
                                   {},
                                   gzipped,
                                   UnpackedSize(gzipped),
                                   false,
                                   {},
                                   e->lateFile != nullptr ? e->lateFile : "",
                                   {}});
      // Asked for at once, so that each is here by the time the game shows it.
      if (e->lateFile != nullptr) platform::AskForLateFile(e->lateFile);
    }
    return made;
  }();
  return entries;
}

std::deque<ResourceEntry>& TestEntries() {
  static std::deque<ResourceEntry> entries;
  return entries;
}

ResourceEntry* Lookup(std::deque<ResourceEntry>& entries, LPCSTR name, std::uintptr_t type) {
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->type == type && it->name == name) return &*it;
  }
  return nullptr;
}

// A late resource's bytes, waited for the first time it is looked up; false
// while they could not be fetched or came damaged, and they are asked for
// again next time.
bool HasCome(ResourceEntry& entry) {
  if (entry.lateFile.empty() || !entry.lateGzipped.empty()) return true;
  std::optional<std::vector<std::uint8_t>> gzipped =
      platform::AwaitLateFile(entry.lateFile, [](std::span<const std::uint8_t> bytes) {
        return !Unpack(bytes, UnpackedSize(bytes)).empty();
      });
  if (!gzipped) return false;
  entry.lateGzipped = std::move(*gzipped);
  entry.gzipped = entry.lateGzipped;
  entry.size = UnpackedSize(entry.gzipped);
  return true;
}

}  // namespace

HRSRC FindResourceA(HINSTANCE, LPCSTR name, std::uintptr_t type) {
  if (name == nullptr) return nullptr;
  ResourceEntry* entry = Lookup(TestEntries(), name, type);
  if (entry == nullptr) entry = Lookup(EmbeddedEntries(), name, type);
  return entry != nullptr && !entry->hidden && HasCome(*entry) ? entry : nullptr;
}

HGLOBAL LoadResource(HINSTANCE, HRSRC resource) {
  if (resource == nullptr || resource->size == 0) return nullptr;
  if (resource->gzipped.empty()) return resource->ownBytes.data();
  if (resource->loaded.empty()) resource->loaded = Unpack(resource->gzipped, resource->size);
  return resource->loaded.empty() ? nullptr : resource->loaded.data();
}

const void* LockResource(HGLOBAL data) {
  return data;
}

DWORD SizeofResource(HINSTANCE, HRSRC resource) {
  return resource != nullptr ? static_cast<DWORD>(resource->size) : 0;
}

BOOL FreeResource(HGLOBAL data) {
  if (data == nullptr) return 0;
  for (const ResourceEntry& entry : EmbeddedEntries()) {
    if (!entry.loaded.empty() && entry.loaded.data() == data) {
      std::vector<std::uint8_t>().swap(entry.loaded);
      break;
    }
  }
  return 0;
}

namespace resources {

void SetTestResource(const std::string& name, std::uintptr_t type,
                     std::optional<std::vector<std::uint8_t>> bytes) {
  ResourceEntry& entry = TestEntries().emplace_back();
  entry.name = name;
  entry.type = type;
  entry.hidden = !bytes.has_value();
  if (bytes) entry.ownBytes = std::move(*bytes);
  entry.size = entry.ownBytes.size();
}

void ClearTestResources() {
  TestEntries().clear();
}

}  // namespace resources
