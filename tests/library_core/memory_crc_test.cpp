// MemFill, MemCopy and CRC-8 on the simulator against host models. The memory tests
// fill an SRAM area with a pattern that depends on the address, run a sequence of calls
// and compare the whole area, and the pointers each call leaves, with the model.
#include "compiler/library/core/memory_crc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/library_core/core_fixture.h"

namespace qbc::test::corelib {
namespace {

uint8_t Pattern(uint32_t addr) { return static_cast<uint8_t>((addr & 0xFF) ^ 0x5A); }

std::string Addr(uint32_t a) { return std::to_string(a); }

// Runs `calls` (each ends in a call and stores its result registers with "st Y+") after
// filling [area, area + size) with Pattern; returns the area followed by the results.
std::vector<uint8_t> RunOnArea(const Chip& chip, uint32_t area, uint32_t size, const std::string& calls,
                               const std::string& library, size_t result_bytes) {
  std::string p = ProgramHead(chip);
  p += "_Main:\tldi\tr28,low(" + Addr(area) + ")\n\tldi\tr29,high(" + Addr(area) + ")\n";
  p += LoadWord("r12", "r13", Addr(size));
  p += "\tldi\tr17,0x5a\n_Fill:\tmov\tr16,r28\n\teor\tr16,r17\n\tst\tY+,r16\n" + LoopBack("_Fill");
  // Y now points at the result area right behind the filled one.
  p += calls;
  p += kProgramEnd;
  p += library;
  return RunAndRead(chip, p, area, size + result_bytes);
}

std::vector<uint8_t> PatternImage(uint32_t area, uint32_t size) {
  std::vector<uint8_t> image(size);
  for (uint32_t i = 0; i < size; ++i) image[i] = Pattern(area + i);
  return image;
}

std::string LoadX(uint32_t a) { return "\tldi\txl,low(" + Addr(a) + ")\n\tldi\txh,high(" + Addr(a) + ")\n"; }
std::string LoadZ(uint32_t a) { return "\tldi\tzl,low(" + Addr(a) + ")\n\tldi\tzh,high(" + Addr(a) + ")\n"; }

TEST(MemFill, FillsCountBytesAndZeroMeans256) {
  const Chip& chip = kMega328;
  const uint32_t area = chip.ram_start, size = 1200;
  struct Op {
    uint32_t offset;
    uint8_t value;
    unsigned count;
  };
  const std::vector<Op> ops = {{1, 0x11, 1}, {5, 0x22, 2}, {10, 0x33, 255}, {300, 0x44, 0}, {700, 0x00, 3}, {800, 0xFF, 128}};
  std::string calls;
  for (const Op& op : ops) {
    calls += LoadX(area + op.offset) + "\tldi\tzl," + Hex2(op.value) + "\n\tldi\tzh," + Hex2(op.count) +
             "\n\trcall\t_Mfil\n\tst\tY+,xl\n\tst\tY+,xh\n\tst\tY+,zh\n";
  }
  auto got = RunOnArea(chip, area, size, calls, EmitText(EmitMemFillRoutine, chip), ops.size() * 3);
  ASSERT_EQ(got.size(), size + ops.size() * 3);
  std::vector<uint8_t> want = PatternImage(area, size);
  for (size_t k = 0; k < ops.size(); ++k) {
    const unsigned n = ops[k].count == 0 ? 256 : ops[k].count;
    for (unsigned i = 0; i < n; ++i) want[ops[k].offset + i] = ops[k].value;
    const uint32_t x_after = area + ops[k].offset + n;
    EXPECT_EQ(Value(got, size + 3 * k, 2), x_after) << "X after fill " << k;
    EXPECT_EQ(got[size + 3 * k + 2], 0) << "zh after fill " << k;
  }
  got.resize(size);
  EXPECT_EQ(got, want);
}

struct CopyOp {
  uint32_t from;
  uint32_t to;
  unsigned count;
};

void CheckCopies(const Chip& chip, uint32_t size, const std::vector<CopyOp>& ops) {
  const uint32_t area = chip.ram_start;
  const bool wide = chip.ram_end > 256;
  std::string calls;
  for (const CopyOp& op : ops) {
    calls += LoadX(area + op.from) + LoadZ(area + op.to) + "\tldi\tr24," + Hex2(op.count) + "\n";
    if (wide) calls += "\tldi\tr25," + Hex2(op.count >> 8) + "\n";
    calls += "\trcall\t_MemC\n\tst\tY+,xl\n\tst\tY+,zl\n";
    if (wide) calls += "\tst\tY+,xh\n\tst\tY+,zh\n";
  }
  const size_t per = wide ? 4 : 2;
  auto got = RunOnArea(chip, area, size, calls, EmitText(EmitMemCopyRoutine, chip), ops.size() * per);
  ASSERT_EQ(got.size(), size + ops.size() * per);
  std::vector<uint8_t> want = PatternImage(area, size);
  for (size_t k = 0; k < ops.size(); ++k) {
    const CopyOp& op = ops[k];
    // Upward, one byte at a time: an overlapping copy to a higher address repeats bytes.
    for (unsigned i = 0; i < op.count; ++i) want[op.to + i] = want[op.from + i];
    const uint32_t x_after = area + op.from + op.count, z_after = area + op.to + op.count;
    EXPECT_EQ(got[size + per * k], x_after & 0xFF) << "X after copy " << k;
    EXPECT_EQ(got[size + per * k + 1], z_after & 0xFF) << "Z after copy " << k;
    if (wide) {
      EXPECT_EQ(got[size + per * k + 2], x_after >> 8) << "X after copy " << k;
      EXPECT_EQ(got[size + per * k + 3], z_after >> 8) << "Z after copy " << k;
    }
  }
  got.resize(size);
  EXPECT_EQ(got, want);
}

TEST(MemCopy, CopiesUpwardWithSixteenBitCount) {
  CheckCopies(kMega328, 1400,
              {{0, 1000, 0}, {0, 1000, 1}, {10, 1010, 2}, {20, 1100, 255}, {300, 700, 256}, {40, 41, 20}, {400, 1000, 300}});
}

TEST(MemCopy, CopiesUpwardWithEightBitCountOnASmallSramChip) {
  CheckCopies(kTiny2313, 80, {{0, 40, 0}, {0, 40, 1}, {2, 44, 5}, {10, 11, 8}, {20, 60, 19}});
}

// ---------------------------------------------------------------- CRC-8

uint8_t Crc8Maxim(const std::vector<uint8_t>& data) {
  uint8_t crc = 0;
  for (uint8_t b : data) {
    for (int i = 0; i < 8; ++i) {
      const bool mix = (crc ^ b) & 1;
      crc >>= 1;
      b >>= 1;
      if (mix) crc ^= 0x8C;
    }
  }
  return crc;
}

// Each case's bytes are copied from flash into an SRAM buffer (a length byte of 0 stands
// for 256 bytes), X is set on the buffer and zl to the length.
std::vector<uint8_t> RunCrcCases(const std::vector<std::vector<uint8_t>>& cases) {
  const Chip& chip = kMega328;
  const uint32_t buffer = chip.ram_start, results = chip.ram_start + 0x100;
  std::vector<uint8_t> table;
  for (const auto& c : cases) {
    table.push_back(static_cast<uint8_t>(c.size()));
    table.insert(table.end(), c.begin(), c.end());
  }
  std::string p = ProgramHead(chip);
  p += "_Main:\tldi\tr28,low(" + Addr(results) + ")\n\tldi\tr29,high(" + Addr(results) + ")\n";
  p += LoadWord("r14", "r15", "_Cases*2");
  p += LoadWord("r12", "r13", std::to_string(cases.size()));
  p += "_Next:\tmov\tzl,r14\n\tmov\tzh,r15\n" + LoadFlashByte("r20") + LoadX(buffer) +
       R"(	mov	r24,r20
	clr	r25
	tst	r20
	brne	_Copy
	inc	r25
_Copy:	lpm
	st	X+,r0
	adiw	zl,0x01
	sbiw	r24,0x01
	brne	_Copy
	mov	r14,zl
	mov	r15,zh
)" + LoadX(buffer) +
       "\tmov\tzl,r20\n\trcall\t_Crc8\n\tst\tY+,zl\n";
  p += LoopBack("_Next");
  p += kProgramEnd;
  p += EmitText(EmitCalcCrc8Routine, chip);
  p += "\n" + DbTable("_Cases", table);
  return RunAndRead(chip, p, results, cases.size());
}

TEST(Crc8, MatchesCrc8MaximIncludingItsCheckValue) {
  auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  std::vector<std::vector<uint8_t>> cases = {bytes("123456789"), bytes("abc"), {0x00}, {0xFF}, {0x01}, {0x80}};
  std::mt19937 rng(7);
  for (size_t len : {2u, 3u, 8u, 17u, 100u, 255u, 256u}) {
    std::vector<uint8_t> c(len);
    for (auto& b : c) b = static_cast<uint8_t>(rng());
    cases.push_back(c);
  }
  auto got = RunCrcCases(cases);
  ASSERT_EQ(got.size(), cases.size());
  EXPECT_EQ(got[0], 0xA1);
  EXPECT_EQ(got[1], 0x42);
  EXPECT_EQ(got[2], 0x00);
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(got[i], Crc8Maxim(cases[i])) << "case " << i;
}

}  // namespace
}  // namespace qbc::test::corelib
