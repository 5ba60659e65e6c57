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
    v.ElementSize = static_cast<std::uint8_t>(type == kTypeLong ? 4 : type == kTypeWord || type == kTypeInteger ? 2 : 1);
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
      {"tb = -1, 255, &b101\n", "tb:\r\n\t\t.db\t0xff,0xff,0x05\r\n"},
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

// A long element takes two words whatever its notation.
TEST(DataList, LongElementsAreTwoWordsInEveryNotation) {
  Tables t;
  t.Table("tl", kTypeLong, 6);
  EXPECT_EQ(t.Compile("tl = &hFF, &b101, -100000, &h12345678, 4294967295, -2147483648\n"),
            "tl:\r\n\t\t.dw\t0x00ff,0x0000,0x0005,0x0000,0x7960,0xfffe,0x5678,0x1234,0xffff,0xffff,0x0000,0x8000\r\n");
  EXPECT_EQ(t.st.ErrorCount, 0) << t.f.report.Text();
}

// A value its element cannot hold is a compile error, not an assembler warning about a
// cut value.
TEST(DataList, ValuesThatDoNotFitTheElementAreErrors) {
  struct Case {
    const char* source;
    int errors;
  };
  const Case cases[] = {
      {"tb = 256\n", 1},        {"tb = -129\n", 1},       {"tb = &h100\n", 1},   {"tb = &b111111111\n", 1},
      {"tb = -128, &hff\n", 0}, {"ti = 32768\n", 1},      {"ti = -32769\n", 1},  {"ti = -32768, &hffff\n", 0},
      {"tw = 65536\n", 1},      {"tw = &h10000\n", 1},    {"tw = 65535\n", 0},   {"tw = &b1111111111\n", 0},
      {"tl = 4294967296\n", 1}, {"tl = -2147483649\n", 1}, {"tl = &h100000000\n", 1},
  };
  for (const Case& c : cases) {
    Tables t;
    t.Table("ti", kTypeInteger, 2);
    t.Table("tl", kTypeLong, 2);
    t.Compile(c.source);
    EXPECT_EQ(t.st.ErrorCount, c.errors) << c.source << t.f.report.Text();
    if (c.errors != 0) {
      EXPECT_NE(t.f.report.Text().find("Value does not fit the table's element type!"), std::string::npos) << c.source;
    }
  }
  Tables t;
  EXPECT_EQ(t.Compile("tw = &b1111111111\n"), "tw:\r\n\t\t.dw\t0x03ff\r\n");
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
