// The size report counts every word the assembler placed, also code that an $asm block
// places elsewhere with .ORG: the words reported are the words the .hex file holds.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

// Data bytes of the data records of an Intel hex file.
long HexDataBytes(const std::string& hex) {
  long bytes = 0;
  std::size_t pos = 0;
  while ((pos = hex.find(':', pos)) != std::string::npos) {
    const long count = std::stol(hex.substr(pos + 1, 2), nullptr, 16);
    if (hex.substr(pos + 7, 2) == "00") bytes += count;
    ++pos;
  }
  return bytes;
}

TEST(SizeReportOrg, CodePlacedByOrgIsCounted) {
  test::BasResult r = test::CompileBas(
      "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nGoto Past\r\n"
      "$asm\r\n.ORG 0x300\r\nfar1: nop\r\n nop\r\n nop\r\n rjmp far1\r\n$end asm\r\n"
      "Past:\r\nA = 1\r\nWait 1\r\n"
      "$asm\r\n.ORG 0xC00\r\nfar2: nop\r\n rjmp far2\r\n$end asm\r\nEnd\r\n");
  ASSERT_TRUE(r.ok) << r.report;
  std::smatch m;
  const std::regex size("Code size        : (\\d+) words");
  ASSERT_TRUE(std::regex_search(r.report, m, size)) << r.report;
  const long placed = HexDataBytes(test::ReadFile(r.hex_path)) / 2;
  EXPECT_GT(placed, 6);
  EXPECT_EQ(std::stol(m[1].str()), placed) << r.report;
}

}  // namespace
}  // namespace qbc
