// The data lines of flash tables and the search calls, for a state filled by hand.
#include <gtest/gtest.h>

#include <string>

#include "compiler/codegen/assignment.h"
#include "compiler/codegen/data_list.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct Tables {
  test::CompilerFixture f;
  CompilerState& st = f.st;
  Tables() {
    st.dev.RamEnd = 0x45F;
    Table("tb", kTypeByte, 10);
    Table("tw", kTypeWord, 3);
    Table("ts", kTypeFlashString, 2);
  }
  void Table(const std::string& name, std::uint8_t type, int count) {
    GlobalVarRecord& v = st.sym.GlobalVars[++st.sym.GlobalVarCount];
    v.Name = name;
    v.VarType = type;
    v.ElementSize = static_cast<std::uint8_t>(type == kTypeWord ? 2 : 1);
    v.Size = static_cast<std::int16_t>(count * v.ElementSize);
    v.Storage = kStorageFlash;
    v.IndexType = kTypeByte;
  }
  std::string Compile(const std::string& source) {
    f.LoadSource(source);
    st.out.Clear();
    CompileAssignment(st);
    return st.out.Str();
  }
};

TEST(DataList, ElementTextsByType) {
  struct Case {
    const char* source;
    const char* text;
  };
  const Case cases[] = {
      {"tb = 1, 2, 3\n", "tb:\r\n\t\t.db\t0x01,0x02,0x03\r\n"},
      {"tb = -1, 300, &b101\n", "tb:\r\n\t\t.db\t0xff,0x2c,0x05\r\n"},
      {"tw = -2\n", "tw:\r\n\t\t.dw\t0xfffe\r\n"},
      {"tw = &hA5, 4660\n", "tw:\r\n\t\t.dw\t0xa5,0x1234\r\n"},
      {"ts = \"ab\", \"cd\"\n", "ts:\r\n\t\t.db\t\"ab\",0,\"cd\",0\r\n"},
      {"tb = 1, 2,\n3, 4\n", "tb:\r\n\t\t.db\t0x01,0x02\r\n\t\t.db\t0x03,0x04\r\n"},
  };
  for (const Case& c : cases) {
    Tables t;
    EXPECT_EQ(t.Compile(c.source), c.text) << c.source;
    EXPECT_EQ(t.st.ErrorCount, 0) << c.source << t.f.report.Text();
    EXPECT_TRUE(t.st.sym.GlobalVars[1].Initialized || std::string(c.source).rfind("tb", 0) != 0);
  }
}

TEST(DataList, ContinuedByteLineMustHoldAnEvenCount) {
  Tables t;
  EXPECT_EQ(t.Compile("tb = 1, 2, 3,\n4\n"), "tb:\r\n\t\t.db\t0x01,0x02,0x03\r\n\t\t.db\t0x04\r\n");
  EXPECT_NE(t.f.report.Text().find("Number of databytes in line must be even!"), std::string::npos);
  EXPECT_EQ(t.st.ErrorCount, 1);
}

TEST(DataList, ReturnsOneTokenAfterTheLastValue) {
  Tables t;
  t.Compile("tb = 1, 2 : tb = 3\n");
  EXPECT_EQ(t.st.TokText(), ":");
  t.Compile("tb = 1, 2\n");
  EXPECT_EQ(t.st.TokText(), "<EOL>");
}

TEST(DataList, WrongAmpersandWord) {
  Tables t;
  t.Compile("tb = &x12\n");
  EXPECT_NE(t.f.report.Text().find("Wrong!"), std::string::npos);
}

}  // namespace
}  // namespace qbc
