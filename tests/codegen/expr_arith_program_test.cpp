// Arithmetic of every integer type run on the simulator, on a classic and a newer mega with
// the hardware multiplier (m8, m88) and on a chip without it, whose multiplies are
// shift-and-add routines (tn85): each case is a program whose variables are checked
// against host arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct Expect {
  std::string var;
  char type;  // b byte, i integer, w word, l long
  std::int64_t value;
};

struct ArithCase {
  std::string name;
  std::string dims;
  std::string code;
  std::vector<Expect> expect;
};

std::string Program(const std::string& device, const ArithCase& c) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\n" + c.dims + "\n" + c.code + "\nEnd\n";
}

void Check(const BasicRun& run, const Expect& e) {
  switch (e.type) {
    case 'b': EXPECT_EQ(run.Byte(e.var), static_cast<std::uint8_t>(e.value)) << e.var; break;
    case 'i': EXPECT_EQ(run.Integer(e.var), static_cast<std::int16_t>(e.value)) << e.var; break;
    case 'w': EXPECT_EQ(run.Word(e.var), static_cast<std::uint16_t>(e.value)) << e.var; break;
    case 'l': EXPECT_EQ(run.Long(e.var), static_cast<std::uint32_t>(e.value)) << e.var; break;
  }
}

const std::vector<ArithCase>& Cases() {
  static const std::vector<ArithCase> cases = {
      {"byte", "Dim A As Byte, B As Byte, C As Byte, D As Byte, E As Byte, F As Byte, G As Byte",
       "A = 200\nB = 7\nC = A + B\nD = A - B\nE = A / B\nF = A Mod B\nG = B * 9",
       {{"c", 'b', 207}, {"d", 'b', 193}, {"e", 'b', 28}, {"f", 'b', 4}, {"g", 'b', 63}}},
      {"byte_wrap_and_logic", "Dim A As Byte, B As Byte, C As Byte, D As Byte, E As Byte, F As Byte",
       "A = 200\nB = 100\nC = A + B\nD = A And &hF0\nE = A Or &b00000101\nF = A Xor B",
       {{"c", 'b', 44}, {"d", 'b', 192}, {"e", 'b', 205}, {"f", 'b', 200 ^ 100}}},
      {"integer", "Dim A As Integer, B As Integer, C As Integer, D As Integer, E As Integer, F As Integer, G As Integer",
       "A = -1234\nB = 57\nC = A * B\nD = A / B\nE = A Mod B\nF = A - B\nG = -A",
       {{"c", 'i', -1234 * 57}, {"d", 'i', -1234 / 57}, {"e", 'i', 1234 % 57}, {"f", 'i', -1291}, {"g", 'i', 1234}}},
      {"integer_signs", "Dim A As Integer, B As Integer, C As Integer, D As Integer",
       "A = -300\nB = -7\nC = A * B\nD = A / B",
       {{"c", 'i', 2100}, {"d", 'i', 42}}},
      {"word", "Dim A As Word, B As Word, C As Word, D As Word, E As Word, F As Word, G As Word",
       "A = 60000\nB = 300\nC = A + B\nD = A / B\nE = A Mod 7\nF = B * 200\nG = -B",
       {{"c", 'w', (60000 + 300) & 0xFFFF}, {"d", 'w', 200}, {"e", 'w', 60000 % 7}, {"f", 'w', 60000},
        {"g", 'w', (65536 - 300)}}},
      {"long", "Dim A As Long, B As Long, C As Long, D As Long, E As Long, F As Long, G As Long",
       "A = 100000\nB = -3\nC = A * B\nD = A / B\nE = A Mod 7\nF = A + 2000000\nG = -A",
       {{"c", 'l', -300000}, {"d", 'l', -33333}, {"e", 'l', 100000 % 7}, {"f", 'l', 2100000}, {"g", 'l', -100000}}},
      {"mixed_widening", "Dim A As Byte, I As Integer, W As Word, L As Long, M As Long, N As Long",
       "A = 250\nI = -5\nW = 65000\nL = A\nM = I\nN = W + I",
       {{"l", 'l', 250}, {"m", 'l', -5}, {"n", 'l', 65000 - 5}}},
      {"precedence", "Dim A As Integer, B As Integer, C As Integer, D As Integer",
       "A = 2 + 3 * 4 - 10 / 5\nB = (2 + 3) * 4\nC = 100 - 10 - 5\nD = -(3 + 4) * 2",
       {{"a", 'i', 12}, {"b", 'i', 20}, {"c", 'i', 85}, {"d", 'i', -14}}},
      {"constants", "Dim A As Word, B As Byte, C As Long, D As Integer\nConst K = 1000",
       "A = &h1234\nB = &b1010\nC = 123456789\nD = K - 1001",
       {{"a", 'w', 0x1234}, {"b", 'b', 10}, {"c", 'l', 123456789}, {"d", 'i', -1}}},
      {"negation_of_byte_and_word", "Dim A As Byte, B As Byte, W As Word, V As Word",
       "A = 5\nB = -A\nW = 1000\nV = -W",
       {{"b", 'b', 251}, {"v", 'w', 65536 - 1000}}},
      {"not", "Dim A As Byte, B As Byte, W As Word, V As Word",
       "A = 5\nB = Not A\nW = &h00FF\nV = Not W",
       {{"b", 'b', 250}, {"v", 'w', 0xFF00}}},
      // "mod" and "not" beside exactly one other operator: each operand keeps its place.
      {"mod_or_not_beside_one_operator",
       "Dim A As Byte, B As Byte, C As Byte, D As Byte, E As Byte, F As Byte\n"
       "Dim W As Word, V As Word, L As Long, M As Long, N As Long, K As Long",
       "A = 100\nB = 17\nC = 5\nD = A + B Mod C\nE = &hF4\nE = Not E And &h0F\nF = B Mod C\n"
       "W = &h1234\nV = Not W And &h0FF0\nL = 100000\nM = 17\nN = 5\nK = L - M Mod N",
       {{"d", 'b', 102}, {"e", 'b', 0x0B}, {"f", 'b', 2}, {"v", 'w', 0x0DC0}, {"k", 'l', 99998}}},
      // A remainder stored into a bit is the remainder, not the quotient.
      {"mod_into_bit", "Dim A As Byte, W As Word, T As Bit, U As Bit, V As Bit, R As Byte, S As Byte, Q As Byte",
       "A = 5\nT = A Mod 2\nR = T\nA = 6\nU = A Mod 2\nS = U\nW = 261\nV = W Mod 2\nQ = V",
       {{"r", 'b', 1}, {"s", 'b', 0}, {"q", 'b', 1}}},
      // The statements after the first one on a line do not count towards its form.
      {"operators_of_later_statements_on_the_line", "Dim L As Long, J As Byte, K As Byte, W As Word",
       "L = &h40000000 : J = 30 : If J = 30 And L > 5 Then K = 1\nW = 700 : J = K + 99",
       {{"l", 'l', 0x40000000}, {"k", 'b', 1}, {"w", 'w', 700}, {"j", 'b', 100}}},
  };
  return cases;
}

class ArithOnDevice : public ::testing::TestWithParam<std::tuple<std::string, std::size_t>> {};

TEST_P(ArithOnDevice, MatchesHostArithmetic) {
  const auto& [device, index] = GetParam();
  const ArithCase& c = Cases()[index];
  auto run = RunBasic(Program(device, c), device == "m8" ? "atmega8" : device == "m88" ? "atmega88" : "attiny85");
  ASSERT_TRUE(run->ok) << c.name << "\n" << run->Diagnostics();
  for (const Expect& e : c.expect) Check(*run, e);
}

INSTANTIATE_TEST_SUITE_P(Programs, ArithOnDevice,
                         ::testing::Combine(::testing::Values("m8", "m88", "tn85"),
                                            ::testing::Range<std::size_t>(0, Cases().size())),
                         [](const auto& param_info) {
                           return std::get<0>(param_info.param) + "_" + Cases()[std::get<1>(param_info.param)].name;
                         });

// The multiply form follows the chip's multiplier, not its family: inline mul and the mul
// routines on every chip that has mul (the newer megas too), the shift-and-add routines
// on the chips without it (the ATmega103 among the megas).
TEST(MultiplyForm, FollowsTheChipsMultiplier) {
  const std::string dims = "Dim A As Byte, B As Byte, I As Integer, J As Integer, L As Long, M As Long\n";
  const std::string code = "A = A * B\nI = I * J\nL = L * M\nEnd\n";
  struct Case {
    const char* device;
    bool mul;
  } cases[] = {{"m8", true}, {"m88", true}, {"m168", true}, {"m2560", true}, {"m128", true},
               {"m103", false}, {"tn85", false}, {"tn2313", false}, {"90s8515", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    CompiledBasic out =
        CompileBasic(std::string("$device = ") + c.device + "\n$clock = 8\n$stack = 32\n" + dims + code);
    ASSERT_EQ(out.error_count, 0) << out.report;
    const std::string& a = out.asm_text;
    EXPECT_EQ(a.find("\tmul\t\tzl,r24\r\n\t\tmovw\tzl,r0") != std::string::npos, c.mul);
    EXPECT_EQ(a.find("Mpy8u") != std::string::npos, !c.mul);
    EXPECT_EQ(a.find("Mp16s") != std::string::npos, !c.mul);
    EXPECT_EQ(a.find("32x32 hardware multiplay") != std::string::npos, c.mul);
    EXPECT_EQ(a.find("\tmul\t") != std::string::npos, c.mul);
  }
}

}  // namespace
}  // namespace qbc::test
