#include "tests/support/asm_snapshot.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace qbc::test {

namespace {

std::string SnapshotDir() {
  const char* d = std::getenv("QBC_ASM_SNAPSHOT_DIR");
  return d ? d : "";
}

// FNV-1a, 64 bits: stable across runs and builds, unlike std::hash.
std::string Hash(const std::string& text) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

// The tests' temporary folders (MakeTempDir: .../qbc-<tag>-XXXXXX) differ in every run.
std::string WithoutTempDirs(const std::string& text) {
  static const std::regex temp(R"re([^\s"']*/qbc-[^/\s"']*)re");
  return std::regex_replace(text, temp, "<tmp>");
}

// The parts that differ between two runs of the same compilation: the creation time line,
// the temporary folders, and the installation folder in front of the device include.
std::string Normalized(const std::string& asm_text) {
  static const std::regex created(R"(^;Created [^\r\n]*)", std::regex::multiline);
  static const std::regex include(R"re(\.include(\s+)"[^"\r\n]*/inc/)re");
  std::string s = std::regex_replace(asm_text, created, ";Created <date>");
  s = std::regex_replace(s, include, ".include$1\"<install>/inc/");
  return WithoutTempDirs(s);
}

void Write(const std::string& name, const std::string& asm_text) {
  const std::string dir = SnapshotDir();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::string path = dir + "/" + name + ".asm";
  const std::string tmp = path + "." + std::to_string(getpid()) + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f << Normalized(asm_text);
  }
  std::filesystem::rename(tmp, path, ec);
}

}  // namespace

void RecordCompiledAsm(const std::string& pipeline, const std::string& source, const std::string& asm_text) {
  if (SnapshotDir().empty()) return;
  Write(pipeline + "-" + Hash(pipeline + "\n" + WithoutTempDirs(source)), asm_text);
}

void RecordAssembledAsm(const std::string& asm_text) {
  if (SnapshotDir().empty()) return;
  static std::string test;
  static int count = 0;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
  if (name != test) {
    test = name;
    count = 0;
  }
  Write("asm-" + Hash(name + "#" + std::to_string(count++)), asm_text);
}

}  // namespace qbc::test
