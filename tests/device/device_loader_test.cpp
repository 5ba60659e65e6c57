// The device loader on the generated device files and on small hand-made ones.
#include "compiler/frontend/device_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "compiler/base/core_flash_read.h"
#include "compiler/base/symbols.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

using test::CompilerFixture;

// Runs `$device = <name>` (the rest of the line as given) against the installation
// folder `install`.
struct Loaded : CompilerFixture {
  explicit Loaded(const std::string& deviceLine, const std::string& install = test::BinDir()) {
    st.env.InstallDir = install;
    st.out.OperandSeparator = "\t";
    Tokenize("$device = " + deviceLine);
    st.src.TokenIndex = 3;  // on the name
    ParseDeviceMetaStatement(st);
  }
  int Reg(const std::string& name) {
    int i = FindIoRegister(st, name);
    return i == 0 ? -1 : st.sym.IoRegisters[i].Value;
  }
  int VectorCount() { return std::stoi(st.sym.InterruptVectors[0].Name); }
};

struct ProfileCase {
  const char* source;
  const char* name;
  bool flashPostIncrement;  // lpm Rd,Z+ (elpm Rd,Z+ beyond 64 KB), as the file's core says
  const char* call;
  const char* jump;
  const char* lpm;
  int flash, ramEnd, ramStart, eepromEnd;
};

// The name gives the file; what the chip has comes from the file alone.
TEST(DeviceLoader, ProfilesFromNameAndFile) {
  const ProfileCase cases[] = {
      // Two spellings, one profile.
      {"atmega128", "m128", true, "call", "jmp", "elpm", 131072, 0x10ff, 0x100, 4096},
      {"m128", "m128", true, "call", "jmp", "elpm", 131072, 0x10ff, 0x100, 4096},
      // The newer megas read with lpm Rd,Z+ too; with 16 KB it has call and jmp.
      {"m168", "m168", true, "call", "jmp", "lpm", 16384, 0x4ff, 0x100, 512},
      // The ATmega103 reads its 128 KB with elpm through r0 only.
      {"m103", "m103", false, "call", "jmp", "elpm", 131072, 0xfff, 0x60, 4096},
      {"m8515", "m8515", true, "rcall", "rjmp", "lpm", 8192, 0x25f, 0x60, 512},
      // The ATmega8 has 8 KB and neither call nor jmp.
      {"m8", "m8", true, "rcall", "rjmp", "lpm", 8192, 0x45f, 0x60, 512},
      {"mega16", "m16", true, "call", "jmp", "lpm", 16384, 0x45f, 0x60, 512},
      {"tiny22", "tn22", false, "rcall", "rjmp", "lpm", 2048, 0xdf, 0x60, 128},
      {"tiny26", "tn26", true, "rcall", "rjmp", "lpm", 2048, 0xdf, 0x60, 128},
      {"at90s2313", "90s2313", false, "rcall", "rjmp", "lpm", 2048, 0xdf, 0x60, 128},
      {"8515", "8515", false, "rcall", "rjmp", "lpm", 8192, 0x25f, 0x60, 512},
      {"m2560", "m2560", true, "call", "jmp", "elpm", 262144, 0x21ff, 0x200, 4096},
      {"pwm2", "pwm2", true, "rcall", "rjmp", "lpm", 8192, 0x2ff, 0x100, 512},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    Loaded d(c.source);
    const DeviceProfile& p = d.st.dev;
    EXPECT_EQ(d.st.ErrorCount, 0);
    EXPECT_EQ(p.DeviceName, c.name);
    EXPECT_EQ(HasLpmPostIncrement(d.st), c.flashPostIncrement);
    EXPECT_EQ(d.st.mn.CallMnemonic, c.call);
    EXPECT_EQ(d.st.mn.JumpMnemonic, c.jump);
    EXPECT_EQ(d.st.mn.LpmMnemonic, c.lpm);
    EXPECT_EQ(p.NeedRampz, std::string(c.lpm) == "elpm");
    EXPECT_EQ(p.FlashEnd, c.flash);
    EXPECT_EQ(p.RamEnd, c.ramEnd);
    EXPECT_EQ(p.RamStart, c.ramStart);
    EXPECT_EQ(p.EepromEnd, c.eepromEnd);
    EXPECT_EQ(d.st.out.Str(),
              ".include\t\"" + test::BinDir() + "/inc/" + c.name + "def.inc\"\r\n;\r\n");
  }
}

TEST(DeviceLoader, RegistersAndVectorsOfTheGeneratedFiles) {
  Loaded m8("m8");
  EXPECT_EQ(m8.Reg("portb"), 0x18);
  EXPECT_EQ(m8.Reg("ucsrb"), 0x0a);
  EXPECT_EQ(m8.Reg("ucsr0b"), 0x0a);  // the numbered name other generators write
  EXPECT_EQ(m8.Reg("ucsr0c"), 0x20);
  EXPECT_EQ(m8.Reg("gimsk"), 0x3b);  // GICR on this chip
  EXPECT_EQ(m8.Reg("txen"), 3);
  EXPECT_EQ(m8.VectorCount(), 18);
  EXPECT_EQ(m8.st.sym.InterruptVectors[1].Name, "INT0addr");
  EXPECT_EQ(m8.st.sym.InterruptVectors[9].Name, "OVF0addr");
  EXPECT_EQ(m8.st.sym.InterruptVectors[11].Name, "URXCaddr");

  Loaded m168("m168");
  EXPECT_EQ(m168.Reg("ucsrb"), 0xc1);
  EXPECT_EQ(m168.Reg("timsk"), 0x6e);
  EXPECT_EQ(m168.Reg("wdtcr"), 0x60);
  EXPECT_EQ(m168.Reg("mcucsr"), 0x34);
  EXPECT_EQ(m168.Reg("gimsk"), 0x1d);
  EXPECT_EQ(m168.st.sym.InterruptVectors[1].Name, "INT0addr");

  Loaded m128("m128");
  EXPECT_EQ(m128.Reg("etimsk"), 0x7d);
  EXPECT_EQ(m128.Reg("mcucsr"), 0x34);
  EXPECT_EQ(m128.VectorCount(), 34);
  EXPECT_EQ(m128.st.sym.InterruptVectors[34].Name, "SPMRaddr");

  // 56 vectors: the table keeps 48, and the count says so.
  Loaded m2560("m2560");
  EXPECT_EQ(m2560.VectorCount(), 48);

  // A tiny that calls the vector EXT_INT0addr still starts its list with INT0addr.
  Loaded tn24("tiny24");
  EXPECT_EQ(tn24.st.sym.InterruptVectors[1].Name, "INT0addr");
  EXPECT_GE(tn24.Reg("ext_int0addr"), 0);
}

TEST(DeviceLoader, KeepsTheDeviceLineTokensAndReadsTheNameFromAConstant) {
  CompilerFixture f;
  f.st.env.InstallDir = test::BinDir();
  f.st.out.OperandSeparator = "\t";
  DefineConst(f.st, "chip", "ATmega128", kTokString);
  f.Tokenize("$device = chip , xram , 2 , 3");
  f.st.src.TokenIndex = 3;
  ParseDeviceMetaStatement(f.st);
  EXPECT_EQ(f.st.ErrorCount, 0);
  EXPECT_EQ(f.st.dev.DeviceName, "m128");
  EXPECT_TRUE(f.st.cfg.XramEnabled);
  EXPECT_EQ(f.st.src.TokenIndex, 10);  // past the xram clause, on <EOL>
  EXPECT_EQ(f.st.TokText(), "<EOL>");
  EXPECT_EQ(f.st.src.Tokens[3].Text, "chip");
  EXPECT_EQ(f.st.src.TokenCount, 11);
}

// Switching on a bus the chip does not have would write MCUCR bits that select sleep modes.
TEST(DeviceLoader, XramClauseNeedsAnExternalMemoryBus) {
  for (const char* chip : {"m8", "m16", "m88"}) {
    CompilerFixture f;
    f.st.env.InstallDir = test::BinDir();
    f.st.out.OperandSeparator = "\t";
    f.Tokenize(std::string("$device = ") + chip + " , xram , 2 , 3");
    f.st.src.TokenIndex = 3;
    ParseDeviceMetaStatement(f.st);
    EXPECT_EQ(f.st.ErrorCount, 1) << chip;
    EXPECT_NE(f.report.Text().find("No external memory bus on this device!"), std::string::npos) << chip;
    EXPECT_FALSE(f.st.cfg.XramEnabled) << chip;
    EXPECT_EQ(f.st.TokText(), "<EOL>") << chip;
  }
}

TEST(DeviceLoader, MissingFileIsReportedAndNothingIsRead) {
  std::string install = test::MakeTempDir("noinc");
  Loaded d("m999", install);
  EXPECT_EQ(d.st.ErrorCount, 1);
  EXPECT_NE(d.report.Text().find("File m999 not exist at current path!"), std::string::npos)
      << d.report.Text();
  EXPECT_EQ(d.st.src.TokenIndex, 4);  // where it was before the report: on <EOL>
  EXPECT_EQ(d.st.TokText(), "<EOL>");
  EXPECT_EQ(d.st.dev.DeviceName, "m999");
  EXPECT_EQ(d.st.dev.FlashEnd, 0);
  EXPECT_EQ(d.st.dev.RamEnd, 0);
  EXPECT_EQ(d.st.mn.CallMnemonic, "rcall");
  EXPECT_EQ(d.st.out.Str(), "");
}

// Hand-made files for the reading rules.
struct HandMade : ::testing::Test {
  std::string install = test::MakeTempDir("inc");
  void SetUp() override { std::filesystem::create_directories(install + "/inc"); }
  void Write(const std::string& device, const std::string& text) {
    test::WriteFile(install + "/inc/" + device + "def.inc", text);
  }
};

TEST_F(HandMade, ReadingRules) {
  Write("m168",
        ";comment\n"
        ".equ PORTB = $05\n"
        ".equ DDRB = $04 ; a trailing comment makes the value come from the wrong token\n"
        ".equ RAMEND = (1279)\n"
        ".equ FLASHEND = (4095)\n"
        ".equ oldmega = $01\n"
        "\n"
        ".device ATmega168\n"
        ".equ    INT0addr=                   $0001\n"
        ".equ    INT1addr= $0002\n"
        ".equ\tPCI0addr\t= $0003\n"   // a TAB layout: the name is cut from column 6
        "; a comment after the vectors\n"
        "no equals sign here\n"
        ".equ    MOREaddr= $0004\n");
  Loaded d("m168", install);
  EXPECT_EQ(d.st.ErrorCount, 0);
  EXPECT_EQ(d.st.dev.RamEnd, 1279);
  EXPECT_EQ(d.st.dev.FlashEnd, 8192);  // 4095 * 2 + 2
  EXPECT_EQ(d.st.mn.LpmMnemonic, "lpm");
  EXPECT_EQ(d.st.mn.CallMnemonic, "rcall");
  EXPECT_EQ(d.Reg("portb"), 5);
  EXPECT_EQ(d.Reg("ddrb"), 0);
  const auto& v = d.st.sym.InterruptVectors;
  EXPECT_EQ(v[0].Name, "4");
  EXPECT_EQ(v[1].Name, "INT0addr");
  EXPECT_EQ(v[2].Name, "INT1addr");
  EXPECT_EQ(v[3].Name, "PCI0addr\t");
  EXPECT_EQ(v[4].Name, "MOREaddr");
}

TEST_F(HandMade, ShortInt0LineIsNoVectorAndCommentsAtTheEndStopTheReading) {
  Write("m16",
        ".equ RAMEND = (1119)\n"
        ".equ INT0addr = $0001\n"  // not longer than 40 characters: not a vector
        ".equ    INT1addr= $0002\n");
  Loaded a("m16", install);
  EXPECT_EQ(a.st.sym.InterruptVectors[0].Name, "1");
  EXPECT_EQ(a.st.sym.InterruptVectors[1].Name, "INT1addr");

  Write("m32",
        ".equ RAMEND = (2143)\n"
        ".equ FLASHEND = (16383)\n"
        "; only comments\n"
        "; from here\n");
  Loaded b("m32", install);
  EXPECT_EQ(b.st.dev.RamEnd, 2143);
  EXPECT_EQ(b.st.dev.FlashEnd, 32768);
  EXPECT_EQ(b.st.sym.InterruptVectors[0].Name, "");
  EXPECT_EQ(b.st.mn.CallMnemonic, "call");
}

TEST_F(HandMade, QuotesAndApostrophesInAFileReportNothing) {
  Write("m8",
        ".equ PORTB = $18 ; the chip's port \"B\n"
        ".equ RAMEND = (1119)\n"
        ".equ FLASHEND = (4095)\n"
        "'( not a block comment\n"
        ".equ PORTC = $15\n");
  Loaded d("m8", install);
  EXPECT_EQ(d.st.ErrorCount, 0);
  EXPECT_EQ(d.st.dev.RamEnd, 1119);
  EXPECT_EQ(d.Reg("portc"), 0x15);
}

TEST_F(HandMade, ASecondDeviceReplacesTheTables) {
  Write("m8", ".equ PORTB = $18\n.equ SPECIAL = $01\n.equ FLASHEND = (4095)\n");
  Write("m16", ".equ PORTB = $18\n.equ FLASHEND = (8191)\n");
  Loaded d("m8", install);
  EXPECT_GT(d.Reg("special"), 0);
  d.Tokenize("$device = m16");
  d.st.src.TokenIndex = 3;
  ParseDeviceMetaStatement(d.st);
  EXPECT_EQ(d.Reg("special"), -1);
  EXPECT_EQ(d.st.dev.FlashEnd, 16384);
}

// The core's instructions come from the file's CORE_ lines, not from the family: a mega
// whose file has none gets none, and a second device reads its own.
TEST_F(HandMade, CoreInstructionsComeFromTheFile) {
  Write("m8",
        ".equ RAMEND = (1119)\n.equ FLASHEND = (4095)\n"
        ".equ CORE_MUL = (1)\n.equ CORE_MOVW = (1)\n.equ CORE_LPM_ZINC = (1)\n.equ CORE_ELPM_ZINC = (0)\n");
  Write("m16", ".equ RAMEND = (1119)\n.equ FLASHEND = (8191)\n");
  Write("tn85", ".equ CORE_MUL = (0)\n.equ CORE_MOVW = (1)\n.equ CORE_LPM_ZINC = (1)\n.equ CORE_ELPM_ZINC = (1)\n");
  Loaded d("m8", install);
  EXPECT_TRUE(d.st.dev.HardwareMultiplier);
  EXPECT_TRUE(d.st.dev.MovwInstruction);
  EXPECT_TRUE(d.st.dev.LpmPostIncrement);
  EXPECT_FALSE(d.st.dev.ElpmPostIncrement);
  d.Tokenize("$device = m16");
  d.st.src.TokenIndex = 3;
  ParseDeviceMetaStatement(d.st);
  EXPECT_FALSE(d.st.dev.HardwareMultiplier);
  EXPECT_FALSE(d.st.dev.MovwInstruction);
  EXPECT_FALSE(d.st.dev.LpmPostIncrement);
  Loaded t("tn85", install);
  EXPECT_FALSE(t.st.dev.HardwareMultiplier);
  EXPECT_TRUE(t.st.dev.MovwInstruction);
  EXPECT_TRUE(t.st.dev.ElpmPostIncrement);
}

}  // namespace
}  // namespace qbc
