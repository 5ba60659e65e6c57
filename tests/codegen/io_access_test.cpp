// How an instruction reaches a register, decided in one place by the register's address in
// the device file: the forms at the edges of the bit instructions' and in/out's reach, and
// the read-modify-write that keeps the status flags.
#include <gtest/gtest.h>

#include <string>

#include "compiler/codegen/io_access.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct Registers : test::CompilerFixture {
  Registers() {
    const struct {
      const char* name;
      int address;
    } regs[] = {{"portb", 0x18}, {"gifr", 0x1f}, {"spsr", 0x2d}, {"wdtcr", 0x3f}, {"portf", 0x62}};
    for (int i = 0; i < 5; ++i) {
      st.sym.IoRegisters[i + 1].Name = regs[i].name;
      st.sym.IoRegisters[i + 1].Value = static_cast<std::int16_t>(regs[i].address);
    }
  }
  std::string Lines(const IoForm& form) {
    st.out.Clear();
    EmitForm(st, form, "L1");
    return st.out.Str();
  }
};

TEST(IoAccess, EachFormByTheRegistersAddress) {
  Registers r;
  struct Case {
    const char* reg;
    std::string read, set, skip;
  };
  const Case cases[] = {
      {"PORTB", "L1:\tin\t\tr24,PORTB\r\n", "L1:\tsbi\t\tPORTB,3\r\n", "L1:\tsbis\tPORTB,3\r\n"},
      {"GIFR", "L1:\tin\t\tr24,GIFR\r\n", "L1:\tsbi\t\tGIFR,3\r\n", "L1:\tsbis\tGIFR,3\r\n"},
      {"SPSR", "L1:\tin\t\tr24,SPSR\r\n", "L1:\tin\t\tr24,SPSR\r\n\t\tsbr\t\tr24,0x08\r\n\t\tout\t\tSPSR,r24\r\n",
       "L1:\tin\t\tr24,SPSR\r\n\t\tsbrs\tr24,3\r\n"},
      {"WDTCR", "L1:\tin\t\tr24,WDTCR\r\n", "L1:\tin\t\tr24,WDTCR\r\n\t\tsbr\t\tr24,0x08\r\n\t\tout\t\tWDTCR,r24\r\n",
       "L1:\tin\t\tr24,WDTCR\r\n\t\tsbrs\tr24,3\r\n"},
      {"PORTF", "L1:\tlds\t\tr24,PORTF\r\n",
       "L1:\tlds\t\tr24,PORTF\r\n\t\tsbr\t\tr24,0x08\r\n\t\tsts\t\tPORTF,r24\r\n",
       "L1:\tlds\t\tr24,PORTF\r\n\t\tsbrs\tr24,3\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reg);
    const IoBit bit = BitOf(c.reg, 3, MaskText::kHex);
    EXPECT_EQ(r.Lines(ReadForm(r.st, c.reg, "r24")), c.read);
    EXPECT_EQ(r.Lines(BitChangeForm(r.st, bit, true, Flags::kMayChange, "r24")), c.set);
    EXPECT_EQ(r.Lines(BitSkipForm(r.st, bit, true, "r24")), c.skip);
  }
}

// A routine that carries a flag across the line gets it back unchanged; sbi needs nothing.
TEST(IoAccess, FlagKeepingFormSavesSregAroundTheChange) {
  Registers r;
  EXPECT_EQ(r.Lines(BitChangeForm(r.st, BitOf("PORTB", 3, MaskText::kHex), false, Flags::kKeep, "r24")),
            "L1:\tcbi\t\tPORTB,3\r\n");
  EXPECT_EQ(r.Lines(BitChangeForm(r.st, BitOf("PORTF", 3, MaskText::kHex), false, Flags::kKeep, "r24")),
            "L1:\tpush\t\tr24\r\n\t\tin\t\tr24,SREG\r\n\t\tpush\t\tr24\r\n\t\tlds\t\tr24,PORTF\r\n"
            "\t\tandi\t\tr24,0xF7\r\n\t\tsts\t\tPORTF,r24\r\n\t\tpop\t\tr24\r\n\t\tout\t\tSREG,r24\r\n"
            "\t\tpop\t\tr24\r\n");
}

// A name the device file lacks keeps the form its caller's routine expects.
TEST(IoAccess, UnnamedRegisterTakesTheCallersForm) {
  Registers r;
  EXPECT_EQ(RegisterReach(r.st, "ucsr3a"), Reach::kBit);
  EXPECT_EQ(RegisterReach(r.st, "ucsr3a", Reach::kData), Reach::kData);
  EXPECT_FALSE(IsBitAddressable(r.st, "ucsr3a"));
  EXPECT_TRUE(IsBitAddressable(r.st, "GIFR"));
}

}  // namespace
}  // namespace qbc
