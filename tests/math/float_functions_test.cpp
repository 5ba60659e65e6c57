// The float function keywords on the simulator: each takes its argument as a float, calls
// its routine and hands the result back in the type the expression wants.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "compiler/base/dispatch_row.h"
#include "compiler/driver/keyword_dispatch.h"
#include "compiler/statements/math/float_functions.h"
#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

float AsFloat(std::uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

struct Case {
  std::string expr;  // the function applied to the variable X (and Y)
  double x;
  double y;
  std::function<double(double, double)> exact;
};

// Runs every case as R(i) = expr with X and Y set, and compares with the host's libm
// within the error measured for the float library.
void ExpectFloatResults(const std::string& head, const std::vector<Case>& cases, const std::string& mcu = "m128") {
  std::string src = head + "Dim X As Float, Y As Float\nDim R(" + std::to_string(cases.size()) + ") As Float\n";
  for (size_t i = 0; i < cases.size(); ++i) {
    src += "X = " + std::to_string(cases[i].x) + "\nY = " + std::to_string(cases[i].y) + "\n";
    src += "R(" + std::to_string(i) + ") = " + cases[i].expr + "\n";
  }
  src += "End\n";
  auto run = RunBasic(src, mcu, 50'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (size_t i = 0; i < cases.size(); ++i) {
    const float x = static_cast<float>(cases[i].x), y = static_cast<float>(cases[i].y);
    const double want = cases[i].exact(x, y);
    const double got = AsFloat(run->FloatBits("r", static_cast<int>(4 * i)));
    EXPECT_NEAR(got, want, 4e-7 + 4e-6 * std::fabs(want)) << cases[i].expr << " with X = " << x << ", Y = " << y;
  }
}

const std::string kHead = "$device = m128\n$clock = 8\n$stack = 64\n";

std::vector<Case> RadianCases() {
  using std::atan2;
  return {
      {"Sin(X)", 0.5, 0, [](double x, double) { return std::sin(x); }},
      {"Sin(X)", -2.5, 0, [](double x, double) { return std::sin(x); }},
      {"Cos(X)", 1.2, 0, [](double x, double) { return std::cos(x); }},
      {"Tan(X)", 0.7, 0, [](double x, double) { return std::tan(x); }},
      {"Asin(X)", 0.3, 0, [](double x, double) { return std::asin(x); }},
      {"Acos(X)", -0.6, 0, [](double x, double) { return std::acos(x); }},
      {"Atan(X)", 4.0, 0, [](double x, double) { return std::atan(x); }},
      {"Atan2(X, Y)", 1.0, -2.0, [](double x, double y) { return atan2(x, y); }},
      {"Sinh(X)", 1.5, 0, [](double x, double) { return std::sinh(x); }},
      {"Cosh(X)", -0.8, 0, [](double x, double) { return std::cosh(x); }},
      {"Tanh(X)", 0.4, 0, [](double x, double) { return std::tanh(x); }},
      {"Exp(X)", 2.5, 0, [](double x, double) { return std::exp(x); }},
      {"Log(X)", 10.0, 0, [](double x, double) { return std::log(x); }},
      {"Log10(X)", 250.0, 0, [](double x, double) { return std::log10(x); }},
      {"Pow(X, Y)", 2.0, 10.0, [](double x, double y) { return std::pow(x, y); }},
      {"Pow(X, Y)", 3.5, 0.5, [](double x, double y) { return std::pow(x, y); }},
      {"Sqr(X)", -3.25, 0, [](double x, double) { return x * x; }},
      {"Sqrt(X)", 2.0, 0, [](double x, double) { return std::sqrt(x); }},
      {"DegToRad(X)", 90.0, 0, [](double x, double) { return x * kPi / 180; }},
      {"RadToDeg(X)", 1.0, 0, [](double x, double) { return x * 180 / kPi; }},
      {"Sin(Cos(X)) + 1", 0.9, 0, [](double x, double) { return std::sin(std::cos(x)) + 1; }},
      {"Pow(2, 10) - X", 24.0, 0, [](double x, double) { return 1024 - x; }},
  };
}

// The routine rows are found by member, not by their place in the table: every keyword of
// the family finds its own row, and no two keywords share a member.
TEST(FloatFunctions, EveryKeywordFindsItsRoutineRow) {
  std::vector<int> members;
  for (const DispatchRow* row : DispatchRows()) {
    if (row->numbered.value != &CompileFloatFunction) continue;
    EXPECT_TRUE(FloatMemberHasRow(row->number)) << row->keyword;
    EXPECT_EQ(std::count(members.begin(), members.end(), row->number), 0) << row->keyword;
    members.push_back(row->number);
  }
  EXPECT_EQ(members.size(), 19u);
  EXPECT_FALSE(FloatMemberHasRow(-1));
}

TEST(FloatFunctions, MatchTheHostLibraryInRadians) { ExpectFloatResults(kHead, RadianCases()); }

// Every function and operator in a program of its own, on a chip reached by rcall and one
// reached by call: each routine a function's routine calls must come with it.
TEST(FloatFunctions, EachBuildsAndRunsInAProgramOfItsOwn) {
  std::vector<Case> cases = RadianCases();
  const std::vector<Case> more = {
      {"Int(X)", -2.75, 0, [](double x, double) { return std::trunc(x); }},
      {"Fract(X)", 2.75, 0, [](double x, double) { return x - std::trunc(x); }},
      {"Abs(X)", -2.5, 0, [](double x, double) { return std::fabs(x); }},
      {"X + Y", 1.5, 2.25, [](double x, double y) { return x + y; }},
      {"X - Y", 1.5, 2.25, [](double x, double y) { return x - y; }},
      {"X * Y", 1.5, 2.25, [](double x, double y) { return x * y; }},
      {"X / Y", 1.5, 2.25, [](double x, double y) { return x / y; }},
      {"-X", 1.5, 0, [](double x, double) { return -x; }},
  };
  cases.insert(cases.end(), more.begin(), more.end());
  for (const char* mcu : {"m8", "m128"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(mcu) + ": " + c.expr);
      ExpectFloatResults("$device = " + std::string(mcu) + "\n$clock = 8\n$stack = 64\n", {c}, mcu);
    }
  }
}

// A function brings the routines it calls and no others: the trigonometric functions
// reduce without the float modulo, and the two-argument ones take their first argument
// off the stack without the float comparison.
TEST(FloatFunctions, EachLinksOnlyTheRoutinesItCalls) {
  for (const char* expr : {"Sin(X)", "Cos(X)", "Tan(X)", "Asin(X)", "Acos(X)", "Atan(X)", "Atan2(X, Y)", "Sinh(X)",
                           "Cosh(X)", "Tanh(X)", "Exp(X)", "Log(X)", "Log10(X)", "Pow(X, Y)"}) {
    const CompiledBasic c = CompileBasic(kHead + "Dim X As Float, Y As Float, R As Float\nR = " + expr + "\nEnd\n");
    ASSERT_EQ(c.error_count, 0) << c.report;
    for (const char* label : {"\n_Fmod:", "\n_Fmodf:", "\n_Fcmp:", "\n_Fcmf:"})
      EXPECT_EQ(c.asm_text.find(label), std::string::npos) << expr << " links " << label + 1;
  }
}

// Every float function in one program, with a comparison and a float text, on every size
// of flash (above 8 KB the link step writes whatever call or jump lies beyond rcall's
// reach as call or jmp; an 8 KB chip's rcall reaches around the flash).
TEST(FloatFunctions, AllInOneProgramOnEveryFlashSize) {
  std::vector<Case> cases = RadianCases();
  cases.push_back({"Int(X) + Fract(Y)", -2.75, 0.5, [](double x, double y) { return std::trunc(x) + y; }});
  for (const char* mcu : {"m8", "m16", "m128", "m2560"}) {
    SCOPED_TRACE(mcu);
    ExpectFloatResults(std::string("$device = ") + mcu + "\n$clock = 8\n$stack = 64\n", cases, mcu);
  }
  // the ATmega103 (no movw: the longest text) assembles; the simulator has no model of it
  std::string src = "$device = m103\n$clock = 8\n$baud = 9600\n$stack = 64\nDim X As Float, Y As Float, R As Float\nX = 0.5\nY = 2\n";
  for (const Case& c : cases) src += "R = " + c.expr + "\n";
  auto run = RunBasic(src + "If R > X Then Print R\nEnd\n", "m103");
  EXPECT_EQ(run->compiled.error_count, 0) << run->Diagnostics();
  EXPECT_TRUE(run->assembled.ok) << run->Diagnostics();
}

// Float statements and conversions, each alone: the program assembles and runs to its end.
TEST(FloatFunctions, FloatStatementsBuildInAProgramOfTheirOwn) {
  const char* const lines[] = {
      "Print X",        "S = Str(X)",         "If X < Y Then B = 1", "If X = Y Then B = 1",
      "W = X",          "X = W",              "L = X",               "X = L",
      "I = X",          "X = B",              "Format(3, 2)\nPrint X", "X = Val(S)",
      "Y = X",          "Print X ; Y",
  };
  for (const char* mcu : {"m8", "m128"}) {
    for (const char* line : lines) {
      SCOPED_TRACE(std::string(mcu) + ": " + line);
      auto run = RunBasic("$device = " + std::string(mcu) +
                              "\n$clock = 8\n$stack = 64\n$baud = 9600\nDim X As Float, Y As Float, W As Word, "
                              "L As Long, I As Integer, B As Byte, S As String * 16\nS = \"1.5\"\nW = 3\n" +
                              line + "\nEnd\n",
                          mcu, 20'000'000);
      EXPECT_TRUE(run->ok) << run->Diagnostics();
    }
  }
}

// In degrees mode the trigonometric functions take and the inverse ones give degrees;
// DegToRad and RadToDeg convert in either mode.
TEST(FloatFunctions, DegreesModeConvertsAnglesOnly) {
  constexpr double r = kPi / 180;
  std::vector<Case> cases = {
      {"Sin(X)", 30.0, 0, [](double x, double) { return std::sin(x * r); }},
      {"Cos(X)", 60.0, 0, [](double x, double) { return std::cos(x * r); }},
      {"Tan(X)", 45.0, 0, [](double x, double) { return std::tan(x * r); }},
      {"Asin(X)", 0.5, 0, [](double x, double) { return std::asin(x) / r; }},
      {"Acos(X)", 0.5, 0, [](double x, double) { return std::acos(x) / r; }},
      {"Atan(X)", 1.0, 0, [](double x, double) { return std::atan(x) / r; }},
      {"Atan2(X, Y)", -1.0, -1.0, [](double x, double y) { return std::atan2(x, y) / r; }},
      {"Sinh(X)", 1.0, 0, [](double x, double) { return std::sinh(x); }},
      {"Exp(X)", 1.0, 0, [](double x, double) { return std::exp(x); }},
      {"DegToRad(X)", 180.0, 0, [](double x, double) { return x * r; }},
      {"RadToDeg(X)", 2.0, 0, [](double x, double) { return x / r; }},
  };
  ExpectFloatResults("$angles = deegrees\n" + kHead, cases);
}

// Int and Fract split a float exactly; every float function's result converts to an
// integer target as a float variable does, whatever the argument's type.
TEST(FloatFunctions, IntFractExactAndResultsConvertToTheWantedType) {
  auto run = RunBasic(kHead +
                          "Dim F As Float, G As Float, H As Float, K As Float\n"
                          "Dim W As Word, M As Word, I As Integer, B As Byte, L As Long, N As Byte\n"
                          "F = 123.75\nG = Int(F)\nH = Fract(F)\nK = -7.5\nK = Int(K)\n"
                          "W = Int(F)\nI = Int(K)\nN = 81\nB = Sqrt(N)\nL = RadToDeg(F)\n"
                          "M = 100\nF = DegToRad(M)\n"
                          "End\n",
                      "m128", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(AsFloat(run->FloatBits("g")), 123.0f);
  EXPECT_EQ(AsFloat(run->FloatBits("h")), 0.75f);
  EXPECT_EQ(AsFloat(run->FloatBits("k")), -7.0f);
  EXPECT_EQ(run->Word("w"), 123);
  EXPECT_EQ(run->Integer("i"), -7);
  EXPECT_EQ(run->Byte("b"), 9);
  EXPECT_EQ(static_cast<std::int32_t>(run->Long("l")), 7090);  // 123.75 * 57.2958 = 7090.4
  EXPECT_NEAR(AsFloat(run->FloatBits("f")), 100 * kPi / 180, 1e-6);
}

}  // namespace
}  // namespace qbc::test
