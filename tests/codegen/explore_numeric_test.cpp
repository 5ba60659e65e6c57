// Small user programs on numeric code, control flow and procedures, run on the simulator:
// every variable is compared with what the program's author expects (values worked out
// on the host).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

enum class Kind { Byte, Integer, Word, Long };

struct Expect {
  std::string name;
  Kind kind;
  std::int64_t value;
  int index = 0;  // array element
};

struct Program {
  const char* title;
  const char* device;  // short form: m8, m88, m128
  const char* body;    // after the $device/$clock/$stack lines
  const char* procs;   // after End: the Subs, Functions and handlers
  std::vector<Expect> expected;
};

std::int64_t Read(const BasicRun& run, const Expect& e) {
  switch (e.kind) {
    case Kind::Byte: return run.Byte(e.name, e.index);
    case Kind::Integer: return run.Integer(e.name, 2 * e.index);
    case Kind::Word: return run.Word(e.name, 2 * e.index);
    case Kind::Long: return static_cast<std::int32_t>(run.Long(e.name, 4 * e.index));
  }
  return 0;
}

const std::vector<Program>& Programs() {
  static const std::vector<Program> programs = {
      // A Case line with its statement after ":" has one operator on the line.
      {"case bodies on the case line", "m88", R"(
Dim I As Byte, C0 As Byte, C1 As Byte, C7 As Byte, Ce As Byte, W As Word, Cw As Byte
C0 = 0 : C1 = 0 : C7 = 0 : Ce = 0 : Cw = 0
For I = 0 To 20
  Select Case I
    Case 0 : C0 = C0 + 1
    Case 1 To 5 : C1 = C1 + 1
    Case 7, 9, 11 : C7 = C7 + 1
    Case Else : Ce = Ce + 1
  End Select
Next
W = 1000
Select Case W
  Case 999 : Cw = Cw + 1
  Case 1000 : Cw = Cw + 2
End Select
)",
       "",
       {{"c0", Kind::Byte, 1}, {"c1", Kind::Byte, 5}, {"c7", Kind::Byte, 3}, {"ce", Kind::Byte, 12},
        {"cw", Kind::Byte, 2}}},
      // A bit parameter or local compared with a constant right after a call (or an array
      // element read): the call leaves the compiler's index-on-stack state behind.
      {"bit locals compared after a call", "m88", R"(
Declare Sub SetIt(f As Bit, v As Byte)
Declare Function Both(a As Bit, b As Bit) As Byte
Declare Sub Nop2()
Dim R As Byte, Q As Byte, Fl As Bit, R2 As Byte, R3 As Byte, R4 As Byte, A(3) As Byte
Fl = 1
R = 0
SetIt(Fl, 7)
Q = R
SetIt(0, 9)
R2 = Both(1, Fl)
R3 = Both(Fl, 0)
R4 = 0
A(1) = 5
Nop2()
)",
       R"(
Sub SetIt(f As Bit, v As Byte)
  If f = 1 Then R = v Else R = 100 + v
End Sub

Function Both(a As Bit, b As Bit) As Byte
  If a = 1 And b = 1 Then
    Return 1
  Else
    Return 0
  End If
End Function

Sub Nop2()
  Local g As Bit
  g = 1
  R4 = A(1)
  If g = 1 Then R4 = 3
End Sub
)",
       {{"q", Kind::Byte, 7}, {"r", Kind::Byte, 109}, {"r2", Kind::Byte, 1}, {"r3", Kind::Byte, 0}, {"r4", Kind::Byte, 3}}},
  };
  return programs;
}

class ExploreNumeric : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ExploreNumeric, EveryVariableHoldsWhatTheAuthorExpects) {
  const Program& p = Programs()[GetParam()];
  SCOPED_TRACE(p.title);
  const std::string dev = p.device;
  auto run = RunBasic("$device = " + dev + "\n$clock = 8\n$stack = 64\n" + p.body + "End\n" + p.procs,
                      "atmega" + dev.substr(1), 50'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (const Expect& e : p.expected) EXPECT_EQ(Read(*run, e), e.value) << e.name << "(" << e.index << ")";
}

std::string TestName(const ::testing::TestParamInfo<std::size_t>& p) {
  std::string n;
  for (char c : std::string(Programs()[p.param].title)) n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Programs, ExploreNumeric, ::testing::Range<std::size_t>(0, Programs().size()), TestName);

}  // namespace
}  // namespace qbc::test
