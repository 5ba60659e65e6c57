#include "tests/support/test_dirs.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace qbc::test {

namespace {

struct TempDirs {
  std::vector<std::string> dirs;
  ~TempDirs() {
    std::error_code ec;
    for (const auto& d : dirs) std::filesystem::remove_all(d, ec);
  }
};
TempDirs& Dirs() {
  static TempDirs d;
  return d;
}

}  // namespace

std::string BinDir() { return QBC_BIN_DIR; }

std::string MakeTempDir(const std::string& tag) {
  std::string templ = (std::filesystem::temp_directory_path() / ("qbc-" + tag + "-XXXXXX")).string();
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  Dirs().dirs.emplace_back(buf.data());
  return buf.data();
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
}

}  // namespace qbc::test
