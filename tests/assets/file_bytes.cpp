#include "tests/assets/file_bytes.h"

#include <fstream>

FileBytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  FileBytes bytes(static_cast<size_t>(size > 0 ? size : 0));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return in ? bytes : FileBytes{};
}

FileBytes ReadSourceFile(const std::string& relativePath) {
  return ReadFileBytes(std::string(MORVEX2_SOURCE_DIR) + "/" + relativePath);
}
