#include "tests/support/refused_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/support/sim_runner.h"

namespace qbc::test {

int LineCount(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n' ? 1 : 0;
  return n;
}

void ExpectRefused(const std::string& program, int line, const std::string& message) {
  SCOPED_TRACE(program);
  const BasResult r = CompileBas(program);
  EXPECT_EQ(r.status, 1) << r.report;
  std::error_code ec;
  EXPECT_FALSE(std::filesystem::exists(r.hex_path, ec)) << r.report;
  EXPECT_EQ(r.report.find(".asm("), std::string::npos) << r.report;
  EXPECT_EQ(r.report.find("error:"), std::string::npos) << r.report;
  // The first error line: " 1. message ("path" --> Line  n)".
  std::istringstream in(r.report);
  std::string first;
  while (std::getline(in, first) && first.find(" --> Line ") == std::string::npos) {
  }
  if (!first.empty() && first.back() == '\r') first.pop_back();
  if (first.find(" --> Line ") == std::string::npos) {
    ADD_FAILURE() << "no compile error:\n" << r.report;
    return;
  }
  EXPECT_EQ(first.rfind(" 1. " + message, 0), 0u) << first << "\nexpected: " << message;
  const std::string at = "(\"" + r.bas_path + "\" --> Line  " + std::to_string(line) + ")";
  EXPECT_EQ(first.size() >= at.size() ? first.substr(first.size() - at.size()) : first, at) << r.report;
}

}  // namespace qbc::test
