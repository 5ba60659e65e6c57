#include "toolchain/output_temporaries.h"

namespace qbc {

namespace {

constexpr std::size_t kRandomLength = 6;  // the X's of the template

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsAlphanumeric(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsAssemblerTemporaryName(const std::string& fileName, const std::string& name) {
  const std::string head = "." + name + ".";
  if (fileName.size() != head.size() + kRandomLength || fileName.compare(0, head.size(), head) != 0) return false;
  for (std::size_t i = head.size(); i < fileName.size(); ++i)
    if (!IsAlphanumeric(fileName[i])) return false;
  return true;
}

std::string AssemblerTemporaryTemplate(const std::string& path) {
  const std::string folder = FolderOf(path);
  return folder + "." + path.substr(folder.size()) + "." + std::string(kRandomLength, 'X');
}

}  // namespace qbc
