#include "tests/support/fuzz_seeds.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace qbc::test {

void KeepFuzzSeed(const std::string& source) {
  const char* dir = std::getenv("QBC_FUZZ_SEED_DIR");
  if (!dir || !*dir) return;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  // Named by the text, so a program that several tests compile is kept once; written
  // under a private name first because test processes run in parallel.
  char name[32];
  std::snprintf(name, sizeof name, "%016zx", std::hash<std::string>{}(source));
  const std::string path = std::string(dir) + "/" + name;
  const std::string tmp = path + "." + std::to_string(getpid()) + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f << source;
  }
  std::filesystem::rename(tmp, path, ec);
}

}  // namespace qbc::test
