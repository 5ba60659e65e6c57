// Single bits of procedure locals and parameters on the simulator: every bit of a byte,
// integer, word or long frame variable, numbered by a constant or by a local, a parameter
// or a global, written, read (as the only and as the second operand) and tested, with the
// neighbouring bits and frame bytes left as they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* kHead = "$device = m8\n$clock = 8\n$stack = 32\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The bit number forms: a constant, or the local K, the parameter J or the global G, each
// holding the number.
struct Form {
  const char* suffix;  // of the result variables
  bool constant;
  const char* holder;
};
const Form kForms[] = {{"c", true, ""}, {"k", false, "K"}, {"j", false, "J"}, {"g", false, "G"}};

// One block per form: X is the target, Na and Nb the frame bytes declared around it, M its
// all-ones value, B the bit.
const char* kBlock =
    "  Na = 0 : Nb = 0 : X = 0 : X.B = 1 : S_ = X : N_ = Na Or Nb\n"
    "  Na = 255 : Nb = 255 : X = M : X.B = 0 : C_ = X : O_ = Na And Nb\n"
    "  Z_ = X.B\n"
    "  Q_ = 0 : If X.B = 0 Then Q_ = 2\n"
    "  X = 0 : X.B = 1 : Q_ = Q_ + X.B\n"
    "  If X.B = 1 Then Q_ = Q_ + 4\n";

TEST(FrameBits, EveryBitOfNumberLocalsAndParameters) {
  struct Row {
    const char* type;
    int bytes;
    int bit;
  };
  const Row rows[] = {{"Byte", 1, 0},     {"Byte", 1, 7},     {"Integer", 2, 0}, {"Integer", 2, 8},
                      {"Integer", 2, 15}, {"Word", 2, 7},     {"Word", 2, 8},    {"Word", 2, 15},
                      {"Long", 4, 0},     {"Long", 4, 15},    {"Long", 4, 16},   {"Long", 4, 31}};
  const std::string allOnes[] = {"", "255", "&hFFFF", "", "-1"};
  for (const Row& r : rows) {
    for (const bool parameter : {false, true}) {
      const std::string type = r.type;
      const std::string n = std::to_string(r.bit);
      const std::string m = type == "Integer" ? "-1" : allOnes[r.bytes];
      std::string body;
      std::string dims = "Dim G As Byte";
      for (const Form& f : kForms) {
        std::string block = Replace(kBlock, "_", f.suffix);
        block = Replace(block, "X.B", std::string("X.") + (f.constant ? n : f.holder));
        block = Replace(block, "X", parameter ? "P" : "L");
        block = Replace(block, "Na", parameter ? "Pa" : "La");
        block = Replace(block, "Nb", parameter ? "Pb" : "Lb");
        body += Replace(block, " M", " " + m);
        const std::string s = f.suffix;
        dims += "\nDim S" + s + " As " + type + ", C" + s + " As " + type + ", N" + s + " As Byte, O" + s + " As Byte, Z" +
                s + " As Byte, Q" + s + " As Byte";
      }
      const std::string source = std::string(kHead) + "Declare Sub Tst(Pa As Byte, P As " + type +
                                 ", Pb As Byte, J As Byte)\n" + dims + "\nG = " + n + "\nTst(0, 0, 0, " + n +
                                 ")\nEnd\nSub Tst(Pa As Byte, P As " + type + ", Pb As Byte, J As Byte)\n" +
                                 "  Local La As Byte, L As " + type + ", Lb As Byte, K As Byte\n  K = " + n + "\n" +
                                 body + "End Sub\n";
      const std::string what = std::string(parameter ? "parameter " : "local ") + type + " bit " + n;
      auto run = RunBasic(source);
      ASSERT_TRUE(run->ok) << what << "\n" << run->Diagnostics();
      auto value = [&](const std::string& name) {
        std::uint32_t v = 0;
        for (int k = 0; k < r.bytes; ++k) v |= static_cast<std::uint32_t>(run->Byte(name, k)) << (8 * k);
        return v;
      };
      const std::uint32_t one = 1u << r.bit;
      const std::uint32_t mask = r.bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * r.bytes)) - 1;
      for (const Form& f : kForms) {
        const std::string s = f.suffix;
        SCOPED_TRACE(what + ", number " + (f.constant ? "constant" : f.holder));
        EXPECT_EQ(value("s" + s), one) << "set on zero";
        EXPECT_EQ(value("c" + s), mask ^ one) << "cleared on all ones";
        EXPECT_EQ(run->Byte("n" + s), 0) << "a neighbouring byte was set";
        EXPECT_EQ(run->Byte("o" + s), 255) << "a neighbouring byte was cleared";
        EXPECT_EQ(run->Byte("z" + s), 0) << "the cleared bit read as a value";
        EXPECT_EQ(run->Byte("q" + s), 7) << "2: cleared bit tested, 1: set bit read as second operand, 4: set bit tested";
      }
    }
  }
}

// A local's bit by a variable number as the operand of Not and as a Select Case selector.
TEST(FrameBits, VariableBitOfALocalUnderNotAndAsSelector) {
  auto run = RunBasic(std::string(kHead) +
                      "Declare Sub Tst()\nDim G As Word, H As Byte\nTst()\nEnd\n"
                      "Sub Tst()\n  Local Lw As Word, K As Byte\n  K = 12 : Lw = &h2000\n"
                      "  Lw.K = Not Lw.K\n  Select Case Lw.K\n  Case 1 : H = 1\n  Case 0 : H = 2\n  End Select\n"
                      "  G = Lw\nEnd Sub\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("g"), 0x3000);
  EXPECT_EQ(run->Byte("h"), 1);
}

// A constant bit number beyond the variable's bits is a compile error, never a write or a
// read of the variable after it.
TEST(FrameBits, ConstantBitBeyondTheVariableIsReported) {
  const char* statements[] = {
      "Lb.8 = 1",  "Lw.16 = G",  "G = Lw.16",  "G = Li.16 + 1", "G = Ll.32", "If Li.16 = 1 Then G = 1",
      "Pw.16 = 0", "G = Pb.8",   "Gw.16 = G",  "G = Gw.16",     "Gb.8 = G",  "If Gw.16 = 1 Then G = 1",
  };
  for (const char* s : statements) {
    const std::string source = std::string(kHead) +
                               "Declare Sub Tst(Pb As Byte, Pw As Word)\n"
                               "Dim G As Byte, Gb As Byte, Gw As Word, After As Byte\n"
                               "Tst(1, 2)\nEnd\n"
                               "Sub Tst(Pb As Byte, Pw As Word)\n"
                               "  Local Lb As Byte, Li As Integer, Lw As Word, Ll As Long\n  " +
                               s + "\nEnd Sub\n";
    const CompiledBasic c = CompileBasic(source);
    EXPECT_EQ(c.error_count, 1) << s << "\n" << c.report;
    EXPECT_TRUE(c.StartsWithError("From 0 to 7!", 10)) << s << "\n" << c.report;
  }
}

// A bit number named by something that is neither a constant nor a variable is reported
// at its line, never left to the assembler.
TEST(FrameBits, BitNumberThatNamesNothingIsReported) {
  struct Case {
    const char* statement;  // line 10
    const char* error;
  } cases[] = {
      {"Gw.foo = 1", "Unknown identifier foo"}, {"G = Gw.foo", "Unknown identifier foo"},
      {"Lw.foo = 1", "From 0 to 7!"},           {"G = Lw.foo", "Unknown identifier foo"},
  };
  for (const Case& c : cases) {
    const std::string source = std::string(kHead) +
                               "Declare Sub Tst()\nDim G As Byte, Gw As Word\nTst()\nEnd\n"
                               "Sub Tst()\n  Local Lw As Word\n  " +
                               c.statement + "\nEnd Sub\n";
    const CompiledBasic r = CompileBasic(source);
    EXPECT_EQ(r.failure, "");
    EXPECT_TRUE(r.StartsWithError(c.error, 10)) << c.statement << "\n" << r.report;
  }
}

}  // namespace
}  // namespace qbc::test
