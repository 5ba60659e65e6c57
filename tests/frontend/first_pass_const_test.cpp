#include "compiler/frontend/const_statement.h"

#include <gtest/gtest.h>

#include "compiler/base/compile_failure.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct ConstCase {
  const char* source;  // the Const lines, the last one defining "r"
  const char* value;
  std::uint8_t type;
};

// The value text and type a constant is stored with.
std::pair<std::string, int> Defined(test::CompilerFixture& f, const std::string& name) {
  int i = FindConst(f.st, name);
  if (i == 0) return {"<none>", -1};
  return {f.st.sym.Constants[i].Value, f.st.sym.Constants[i].ConstType};
}

void RunConstLines(test::CompilerFixture& f, const std::string& source) {
  f.LoadSource(source);
  while (f.st.TokText() == "const") {
    CompileConstStatement(f.st);
    ASSERT_TRUE(f.st.TokText() == "<EOL>") << f.st.TokText();
    CheckStatementEnd(f.st);
  }
}

TEST(ConstStatement, FoldsLeftToRight) {
  const ConstCase cases[] = {
      {"const r = 10\n", "10", 8},
      {"const a = 10\nconst r = a * 2 + 1\n", "21", 8},
      {"const r = 7 / 2\n", "3.5", 8},
      {"const r = 1 + 2 * 3\n", "9", 8},  // no precedence: the language's own rule
      {"const r = - 5\n", "-5", 8},
      {"const r = &h1F\n", "31", 8},
      {"const r = &b101\n", "5", 8},
      {"const r = 3 5\n", "5", 8},  // two operands without operator keep the second
      {"const r =\n", "0", 8},
      {"const r = \"hello\"\n", "hello", 12},
      {"const true = 1\nconst r = true + 1\n", "2", 8},
      // A number with a point or an exponent is one operand; the fold goes on after it.
      {"const r = 2.5 + 1\n", "3.5", 8},
      {"const r = 1 + 2.5\n", "3.5", 8},
      {"const a = 4\nconst r = a + 1.5 * 2\n", "11", 8},  // "1.5" split after a name
      {"const r = 1e3 + 1\n", "1001", 8},
      {"const r = 2.5e-1 * 4\n", "1", 8},
      {"const r = 1e+2 / 4\n", "25", 8},
      {"const r = 1 / 3\n", "0.333333333333333", 8},
  };
  for (const ConstCase& c : cases) {
    test::CompilerFixture f;
    RunConstLines(f, c.source);
    auto [value, type] = Defined(f, "r");
    EXPECT_EQ(value, c.value) << c.source;
    EXPECT_EQ(type, c.type) << c.source;
    EXPECT_EQ(f.st.ErrorCount, 0) << c.source << f.report.Text();
    EXPECT_EQ(f.st.out.LineCount(), 0u) << c.source;
  }
}

TEST(ConstStatement, SeveralDefinitionsOnOneLineAndErrorsStayInTheirDefinition) {
  test::CompilerFixture f;
  RunConstLines(f, "const a = 1, b = x + 2, s = \"t\", c = 3\n");
  EXPECT_EQ(Defined(f, "a").first, "1");
  EXPECT_EQ(Defined(f, "b").first, "2");  // x is no constant: reported, folded as 0
  EXPECT_EQ(Defined(f, "s"), (std::pair<std::string, int>{"t", 12}));
  EXPECT_EQ(Defined(f, "c").first, "3");
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_NE(f.report.Text().find("Can not be variable here!"), std::string::npos);
}

TEST(ConstStatement, ReportsBadNamesOperatorsAndDuplicates) {
  struct Case {
    const char* source;
    const char* message;
  } cases[] = {
      {"const print = 1\n", "print is ilegal name for Constant!"},
      {"const a = 2 ^ 3\n", "Operation not allowed!"},
      {"const a = &q1\n", "Must be numeric constant"},
      {"const a = 1\nconst a = 2\n", "Const a already defined!"},
      {"const a 5\n", "Missing \"=\""},
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    RunConstLines(f, c.source);
    EXPECT_NE(f.report.Text().find(c.message), std::string::npos) << c.source << f.report.Text();
  }
  test::CompilerFixture dup;
  RunConstLines(dup, "const a = 1\nconst a = 2\n");
  EXPECT_EQ(Defined(dup, "a").first, "1");
}

TEST(ConstStatement, ErrorAtTheLineEndStaysOnTheLine) {
  test::CompilerFixture f;
  f.LoadSource("const a = &\nconst b = 2\n");
  CompileConstStatement(f.st);
  EXPECT_EQ(f.st.TokText(), "<EOL>");
  EXPECT_EQ(Defined(f, "a").first, "0");
}

TEST(ConstStatement, DivisionByZeroEndsTheCompilation) {
  test::CompilerFixture f;
  f.LoadSource("const a = 1 / 0\n");
  EXPECT_THROW(CompileConstStatement(f.st), CompileFailure);
}

}  // namespace
}  // namespace qbc
