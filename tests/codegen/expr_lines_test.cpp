// The instruction lines that the expression, operand and assignment generators write, for
// a state filled by hand (device profile, variables, registers).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/assignment.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/flash_tables.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/driver/keyword_dispatch.h"
#include "compiler/driver/keyword_list.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "tests/support/basic_program.h"
#include "compiler/base/symbols.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

using Lines = std::vector<std::string>;

// A compiler state on an m8-like device (RamEnd 0x45F, hardware multiplier) with a few
// variables and registers.
struct Gen {
  test::CompilerFixture f;
  CompilerState& st = f.st;

  explicit Gen(int ramEnd = 0x45F, bool megaCore = true) {
    st.dev.RamEnd = ramEnd;
    st.dev.LpmPostIncrement = megaCore;
    st.dev.HardwareMultiplier = megaCore;
    Var("b", kTypeByte, 1);
    Var("c", kTypeByte, 1);
    Var("i", kTypeInteger, 2);
    Var("w", kTypeWord, 2);
    Var("l", kTypeLong, 4);
    Var("f", kTypeFloat, 4);
    Var("flag", kTypeBit, 9);
    Var("arr", kTypeByte, 3);
    Reg("portb", 0x18);
    Reg("pb3", 3);
    Reg("gpior1", 0x2A);
    Reg("ucsr0a", 0xC0);
    Reg("udre0", 5);
  }
  void Var(const std::string& name, std::uint8_t type, int size) {
    GlobalVarRecord& v = st.sym.GlobalVars[++st.sym.GlobalVarCount];
    v.Name = name;
    v.VarType = type;
    v.Size = static_cast<std::int16_t>(size);
    v.ElementSize = static_cast<std::uint8_t>(type == kTypeBit ? size : 1);
  }
  void Reg(const std::string& name, int value) {
    for (int k = 1;; ++k) {
      if (st.sym.IoRegisters[k].Name.empty()) {
        st.sym.IoRegisters[k].Name = name;
        st.sym.IoRegisters[k].Value = static_cast<std::int16_t>(value);
        return;
      }
    }
  }
  // Tokenizes `source` and runs `gen` on its first line; the lines written, with the
  // layout separators shown as "_" (MnemonicIndent) and "." (OperandSeparator).
  Lines Run(const std::string& source, const std::function<void(CompilerState&)>& gen) {
    f.LoadSource(source + "\n");
    st.out.Clear();
    gen(st);
    Lines out;
    std::string text = st.out.Str();
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      std::string line = text.substr(start, end - start);
      std::string shown;
      for (std::size_t k = 0; k < line.size(); ++k) {
        if (line.compare(k, 2, "\t\t") == 0) {
          shown += "_";
          ++k;
        } else if (line[k] == '\t') {
          shown += ".";
        } else {
          shown += line[k];
        }
      }
      out.push_back(shown);
      start = end + 2;
    }
    return out;
  }
  Lines Assign(const std::string& source) { return Run(source, [](CompilerState& s) { CompileAssignment(s); }); }
  std::string Errors() const { return f.report.Text(); }
};

// The keywords are the rows' words and the syntax words; a syntax word that gets a row as
// well would dispatch where its statement expects to read it.
TEST(Dispatch, EveryRowIsAKeywordAndEveryKeywordHasARowOrIsSyntax) {
  const auto& rows = DispatchRows();
  ASSERT_FALSE(rows.empty());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_TRUE(IsKeyword(rows[i]->keyword)) << rows[i]->keyword << " has a row but is no keyword";
    if (i > 0) {
      EXPECT_NE(rows[i - 1]->keyword, rows[i]->keyword) << "two rows for one keyword";
    }
    EXPECT_FALSE(rows[i]->fn != nullptr && rows[i]->numbered != nullptr) << rows[i]->keyword;
    EXPECT_FALSE(rows[i]->fn.statement != nullptr && rows[i]->fn.value != nullptr) << rows[i]->keyword;
  }
  for (std::string_view word : KeywordList()) {
    const bool syntax = std::find(SyntaxWords().begin(), SyntaxWords().end(), word) != SyntaxWords().end();
    EXPECT_NE(FindDispatchRow(word) != nullptr, syntax) << word;
  }
}

// Every keyword that gives a value names what it gives: the expression typer reads the
// values an operand can take from that column, and a function without one would be typed
// as nothing (an expression around it worked in its first operand's type). Shift and
// Rotate are statements that also give the moved value.
TEST(Dispatch, EveryFunctionRowNamesItsResult) {
  for (const DispatchRow* row : DispatchRows()) {
    const bool function = row->generator.ends_with("Function") || row->generator.ends_with("Access") ||
                          row->keyword == "shift" || row->keyword == "rotate";
    EXPECT_EQ(row->result != RowResult::kNone, function) << row->keyword;
    EXPECT_EQ(YieldsValue(*row), function) << row->keyword;
    // a function's generator takes the type its value is wanted in (one not built yet has
    // none)
    const bool statementGenerator = row->fn.statement != nullptr || row->numbered.statement != nullptr;
    EXPECT_FALSE(function && statementGenerator) << row->keyword;
    EXPECT_FALSE(!function && (row->fn.value != nullptr || row->numbered.value != nullptr)) << row->keyword;
  }
  EXPECT_EQ(FindDispatchRow("val")->result, RowResult::kInteger);
  EXPECT_EQ(FindDispatchRow("timer1")->result, RowResult::kWord);
  EXPECT_EQ(FindDispatchRow("timer2")->result, RowResult::kByte);
  EXPECT_EQ(FindDispatchRow("chr")->result, RowResult::kChar);
}

TEST(Dispatch, RowsShareGeneratorsAndTakeTheirNumber) {
  EXPECT_EQ(FindDispatchRow("timer1")->generator, FindDispatchRow("counter1")->generator);
  EXPECT_EQ(FindDispatchRow("compare1a")->generator, "CompilePwm1AStatement");
  EXPECT_EQ(FindDispatchRow("pwm1a")->generator, "CompilePwm1AStatement");
  EXPECT_EQ(FindDispatchRow("print")->generator, FindDispatchRow("print0")->generator);
  EXPECT_EQ(FindDispatchRow("print1")->generator, "CompilePrint1Statement");
  EXPECT_EQ(FindDispatchRow("int7")->generator, "CompileIntSenseStatement");
  for (const auto& [word, uart] : {std::pair{"baud", 0}, {"baud0", 0}, {"baud1", 1}, {"baud2", 2}, {"baud3", 3}}) {
    EXPECT_EQ(FindDispatchRow(word)->numbered.statement, &CompileBaudStatement) << word;
    EXPECT_EQ(FindDispatchRow(word)->number, uart) << word;
  }
  EXPECT_EQ(FindDispatchRow("find8")->fn.value, &CompileFind8Function);
  for (const char* word : {"def", "next", "loop", "true", "off", "jtag"}) EXPECT_EQ(FindDispatchRow(word), nullptr) << word;
}

// Words that are no keywords never dispatch, not even an array named like a statement of
// another dialect or a future one: its element is an assignment target.
TEST(Dispatch, AnArrayNamedLikeANonKeywordRowIsAssigned) {
  for (const char* name : {"int8", "int15", "counter6", "capture2", "wreset"}) {
    auto run = test::RunBasic(std::string("$device = m8\n$clock = 8\n$stack = 32\nDim ") + name +
                              "(3) As Byte\n" + name + "(2) = 5\n" + name + "(1) = " + name + "(2) + 1\nEnd\n");
    ASSERT_TRUE(run->ok) << name << "\n" << run->Diagnostics();
    EXPECT_EQ(run->Byte(name, 2), 5) << name;
    EXPECT_EQ(run->Byte(name, 1), 6) << name;
  }
}

TEST(Dispatch, WordWithoutRowIsAnAssignmentAndSkipOperandPushFollowsTheKeyword) {
  Gen g;
  g.Run("true = 1", [](CompilerState& s) {
    s.sticky.SkipOperandPush = true;
    DispatchKeyword(s);
  });
  EXPECT_TRUE(g.st.expr.StatementContext);
  EXPECT_NE(g.Errors().find("Unknown identifier true"), std::string::npos);

  g.Run("timer0", [](CompilerState& s) {
    s.sticky.SkipOperandPush = true;
    DispatchKeyword(s);
  });
  EXPECT_TRUE(g.st.sticky.SkipOperandPush);
  g.Run("sin", [](CompilerState& s) {
    s.sticky.SkipOperandPush = true;
    DispatchKeyword(s);
  });
  EXPECT_FALSE(g.st.sticky.SkipOperandPush);
}

struct ConstantCase {
  const char* name;
  const char* source;  // the tokens at TokenIndex 0
  const char* text;    // the text handed to the loader
  std::uint8_t wanted;
  bool skip;
  bool indexOnStack;
  int ramEnd;
  Lines lines;
  int tokenIndexAfter;
};

TEST(Constants, LoadsByWantedTypeAndRegisterSet) {
  const std::vector<ConstantCase> cases = {
      {"negative byte", "5", "-", kTypeByte, false, false, 0x45F, {"_ldi_zl,byte1(-5)"}, 1},
      {"exponent joined", "1.5e - 3", "1.5e", kTypeFloat, false, false, 0x45F,
       {"_ldi_r22,byte1(0x3ac49ba6)", "_ldi_r23,byte2(0x3ac49ba6)", "_ldi_r24,byte3(0x3ac49ba6)",
        "_ldi_r25,byte4(0x3ac49ba6)"},
       2},
      {"word by its own type", "1000", "1000", 0, false, false, 0x45F,
       {"_ldi_zl,byte1(1000)", "_ldi_zh,byte2(1000)"}, 0},
      {"long into the left operand", "7", "7", kTypeLong, true, false, 0x45F,
       {"_ldi_r24,byte1(7)", "_ldi_r25,byte2(7)", "_ldi_r16,byte3(7)", "_ldi_r17,byte4(7)"}, 0},
      {"float", "2.5", "2.5", kTypeFloat, false, false, 0x45F,
       {"_ldi_r22,byte1(0x40200000)", "_ldi_r23,byte2(0x40200000)", "_ldi_r24,byte3(0x40200000)",
        "_ldi_r25,byte4(0x40200000)"},
       0},
      {"integer constant as float", "100", "100", kTypeFloat, true, false, 0x45F,
       {"_ldi_r18,byte1(0x42c80000)", "_ldi_r19,byte2(0x42c80000)", "_ldi_r20,byte3(0x42c80000)",
        "_ldi_r21,byte4(0x42c80000)"},
       0},
      {"byte in string context, small RAM", "65", "65", kTypeString, false, false, 0xDF, {"_ldi_zl,byte1(65)"}, 0},
      {"byte in string context, large RAM", "65", "65", kTypeString, false, false, 0x45F,
       {"_ldi_zl,byte1(65)", "_clr_zh"}, 0},
      {"word wanted as bit", "1000", "1000", kTypeBit, false, false, 0x45F, {"_ldi_zl,byte1(1000)"}, 0},
      {"bit after an index", "1", "1", kTypeBit, false, true, 0x45F, {}, 0},
      // a float literal wanted as a word: its integer part (the assembler takes no "1.5")
      {"float as word", "1.5", "1.5", kTypeWord, false, false, 0x45F, {"_ldi_zl,byte1(1)", "_ldi_zh,byte2(1)"}, 0},
  };
  for (const ConstantCase& c : cases) {
    Gen g(c.ramEnd);
    Lines got = g.Run(c.source, [&](CompilerState& s) {
      s.sticky.SkipOperandPush = c.skip;
      s.expr.IndexOnStack = c.indexOnStack;
      EmitLoadConstant(s, c.text, c.wanted);
    });
    EXPECT_EQ(got, c.lines) << c.name;
    EXPECT_EQ(g.st.src.TokenIndex, c.tokenIndexAfter) << c.name;
    EXPECT_EQ(g.st.ErrorCount, 0) << c.name;
  }
}

TEST(Constants, FloatBeyondTheRangeIsACompileError) {
  Gen g;
  Lines got = g.Assign("f = 1e39");
  const Lines storeOnly = {"_sts_f,r22", "_sts_f+1,r23", "_sts_f+2,r24", "_sts_f+3,r25"};
  EXPECT_EQ(got, storeOnly);  // no load of a pattern
  EXPECT_NE(g.Errors().find("Float constant out of range!"), std::string::npos);
  EXPECT_EQ(g.st.ErrorCount, 1);
}

TEST(Expressions, OperatorsAndFactors) {
  struct Case {
    const char* source;
    Lines lines;
  };
  const std::vector<Case> cases = {
      {"c = b mod c",
       {"_lds_zl,b", "_push.zl", "_lds_zl,c", "_pop_r24", "_rcall.Div8u", "_mov_zl,r22", "_sts_c,zl"}},
      {"l = l mod l",
       {"_lds_zl,l", "_lds_zh,l+1", "_lds_r18,l+2", "_lds_r19,l+3", "_push.r19", "_push.r18", "_push.zh", "_push.zl",
        "_lds_zl,l", "_lds_zh,l+1", "_lds_r18,l+2", "_lds_r19,l+3", "_pop_r24", "_pop_r25", "_pop_r16", "_pop_r17",
        "_rcall.Div32", "_mov_zl,r24", "_mov_zh,r25", "_mov_r18,r16", "_mov_r19,r17", "_sts_l,zl", "_sts_l+1,zh",
        "_sts_l+2,r18", "_sts_l+3,r19"}},
      {"b = &hFF", {"_ldi_zl,byte1(255)", "_sts_b,zl"}},
      {"b = &b101", {"_ldi_zl,byte1(5)", "_sts_b,zl"}},
      // one operator: the left operand goes straight into r24
      {"b = b + c", {"_lds_r24,b", "_lds_zl,c", "_add_zl,r24", "_sts_b,zl"}},
      {"i = -i", {"_lds_zl,i", "_lds_zh,i+1", "_com_zl", "_com_zh", "_adiw.zl,0x01", "_sts_i,zl", "_sts_i+1,zh"}},
      // a byte and a word negate too (two's complement)
      {"b = -c", {"_lds_zl,c", "_neg_zl", "_sts_b,zl"}},
      {"w = -w", {"_lds_zl,w", "_lds_zh,w+1", "_com_zl", "_com_zh", "_adiw.zl,0x01", "_sts_w,zl", "_sts_w+1,zh"}},
      {"b = not c", {"_lds_zl,c", "_com_zl", "_sts_b,zl"}},
      {"w = w and w", {"_lds_r24,w", "_lds_r25,w+1", "_lds_zl,w", "_lds_zh,w+1", "_and_zl,r24", "_and.zh,r25",
                       "_sts_w,zl", "_sts_w+1,zh"}},
  };
  for (const Case& c : cases) {
    Gen g;
    EXPECT_EQ(g.Assign(c.source), c.lines) << c.source;
    EXPECT_EQ(g.st.ErrorCount, 0) << c.source << g.Errors();
  }
}

TEST(Expressions, ParenthesesNestAndWrongConstantsReport) {
  Gen g;
  int deepest = 0;
  g.Run("(((b)))", [&](CompilerState& s) {
    ParseExpression(s, kTypeByte);
    deepest = s.expr.ParenDepth;
  });
  EXPECT_EQ(deepest, 0);
  EXPECT_EQ(g.st.ErrorCount, 0);
  g.Assign("b = &x1");
  EXPECT_NE(g.Errors().find("Wrong numeric constant identifier"), std::string::npos);
}

TEST(Operators, ComparePopsOnlyWhatWasPushed) {
  Gen g;
  Lines bytes = g.Run("", [](CompilerState& s) {
    s.sticky.SkipOperandPush = true;
    EmitCompareOperator(s, kTypeByte);
  });
  EXPECT_EQ(bytes, (Lines{"_cp_r24,zl"}));
  // with the left operand already in r24:r25 nothing was pushed: popping would take the
  // return address off the stack
  Lines ints = g.Run("", [](CompilerState& s) {
    s.sticky.SkipOperandPush = true;
    EmitCompareOperator(s, kTypeInteger);
  });
  EXPECT_EQ(ints, (Lines{"_cp_r24,zl", "_cpc_r25,zh"}));
  Lines pushed = g.Run("", [](CompilerState& s) {
    s.sticky.SkipOperandPush = false;
    EmitCompareOperator(s, kTypeInteger);
  });
  EXPECT_EQ(pushed, (Lines{"_pop_r24", "_pop_r25", "_cp_r24,zl", "_cpc_r25,zh"}));
}

TEST(Operators, StringOperandCannotBePushed) {
  Gen g;
  g.Run("a b", [](CompilerState& s) {
    s.sticky.OperandType = kTypeString;
    EmitPushOperand(s, kTypeNone);
  });
  EXPECT_NE(g.Errors().find("Unsupported operation!"), std::string::npos);
  EXPECT_EQ(g.st.src.TokenIndex, 0);
}

TEST(Operators, ByteMultiplyByDevice) {
  Gen mega;
  EXPECT_EQ(mega.Assign("b = b * c"), (Lines{"_lds_r24,b", "_lds_zl,c", "_mul_zl,r24", "_movw.zl,r0", "_sts_b,zl"}));
  Gen classic(0x45F, false);
  EXPECT_EQ(classic.Assign("b = b * c"), (Lines{"_lds_r24,b", "_lds_zl,c", "_rcall.Mpy8u", "_sts_b,zl"}));
  EXPECT_TRUE(classic.st.used[NeedMul8u]);
  Gen m103;
  m103.st.dev.HardwareMultiplier = false;  // lpm Rd,Z+ but no multiplier
  EXPECT_EQ(m103.Assign("b = b * c"), (Lines{"_lds_r24,b", "_lds_zl,c", "_rcall.Mpy8u", "_sts_b,zl"}));
  EXPECT_TRUE(m103.st.used[NeedMul8u]);
}

TEST(Operands, AddressesOfEveryStoredType) {
  for (const char* name : {"i", "w", "l", "f"}) {
    Gen g;
    Lines got = g.Run(name, [](CompilerState& s) { EmitLoadVarAddress(s, "z", kTypeNone); });
    EXPECT_EQ(got, (Lines{std::string("_ldi_zl,byte1(") + name + ")", std::string("_ldi_zh,byte2(") + name + ")"}))
        << name;
  }
  Gen g;
  Lines got = g.Run("flag", [](CompilerState& s) { EmitLoadVarAddress(s, "x", kTypeNone); });
  EXPECT_TRUE(got.empty());
  EXPECT_NE(g.Errors().find("has no address"), std::string::npos);
  EXPECT_EQ(g.st.src.TokenIndex, 1);
}

TEST(Operands, RegisterBitsByAddressAndByName) {
  Gen g;
  // extended I/O is read with lds; a device bit name is its number
  EXPECT_EQ(g.Assign("b = ucsr0a.udre0"),
            (Lines{"_lds_zl,UCSR0A", "_bst_zl,5_.;store zl,bit 5 to T flag", "_clr_zl",
                   "_bld_zl,0_.;store T flag to zl bit 0", "_sts_b,zl"}));
  EXPECT_EQ(g.Assign("portb.3 = 1"), (Lines{"_sbi_PORTB,3"}));
  EXPECT_EQ(g.Assign("portb.pb3 = 0"), (Lines{"_cbi_PORTB,3"}));
  // an I/O register above 0x1F is read and written with in/out
  EXPECT_EQ(g.Assign("gpior1.3 = 1"), (Lines{"_in_zl,GPIOR1", "_sbr_zl,0x08", "_out_GPIOR1,zl"}));
  EXPECT_EQ(g.Assign("ucsr0a.udre0 = 0"), (Lines{"_lds_zl,UCSR0A", "_cbr_zl,0x20", "_sts_UCSR0A,zl"}));
  Lines stored = g.Assign("gpior1.1 = b");
  EXPECT_EQ(stored, (Lines{"_lds_zl,b", "_bst_zl,0", "_brtc.L0000", "_in_zl,GPIOR1", "_sbr_zl,0x02",
                           "_out_GPIOR1,zl", "_rjmp.L0001", "L0000:", "_in_zl,GPIOR1", "_cbr_zl,0x02",
                           "_out_GPIOR1,zl", "L0001:"}));
  EXPECT_EQ(g.st.ErrorCount, 0) << g.Errors();
}

TEST(Assignment, ConstantBitStores) {
  Gen g;
  EXPECT_EQ(g.Assign("flag = 1"), (Lines{"_set", "_bld_r4,1"}));
  EXPECT_EQ(g.Assign("b.2 = 0"), (Lines{"_clt", "_lds_zl,b", "_bld_zl,2", "_sts_b,zl"}));
  EXPECT_EQ(g.st.ErrorCount, 0);
  Lines wide = g.Assign("b.9 = 1");
  EXPECT_EQ(wide.front(), "_set");
  EXPECT_NE(g.Errors().find("From 0 to 7!"), std::string::npos);
  EXPECT_EQ(g.st.ErrorCount, 1);
}

TEST(Assignment, ArrayListStoresOneBytePerValue) {
  Gen g;
  EXPECT_EQ(g.Assign("arr = (1, 2, 3)"),
            (Lines{"_ldi_xl,byte1(arr)", "_ldi_xh,byte2(arr)", "_ldi_zl,byte1(1)", "_st_X+,zl", "_ldi_zl,byte1(2)",
                   "_st_X+,zl", "_ldi_zl,byte1(3)", "_st_X+,zl"}));
  EXPECT_EQ(g.st.ErrorCount, 0);
  g.Assign("arr = (1, 2, 3, 4)");
  EXPECT_NE(g.Errors().find("Too many values for ARR!"), std::string::npos);
}

TEST(Assignment, UnknownTargetStillCompilesTheRightSide) {
  Gen g;
  Lines got = g.Assign("nothing = b + 1");
  EXPECT_NE(g.Errors().find("Unknown identifier nothing"), std::string::npos);
  EXPECT_FALSE(got.empty());
  EXPECT_EQ(g.st.TokText(), "<EOL>");
}

TEST(VariableLoad, WideningAndFloatConversions) {
  Gen g;
  std::uint8_t after = 99;
  EXPECT_EQ(g.Run("", [&](CompilerState& s) {
    s.sticky.OperandType = kTypeWord;
    after = EmitLoadVariable(s, "w", kTypeNone);
  }),
            (Lines{"_lds_zl,w", "_lds_zh,w+1"}));
  EXPECT_EQ(after, kTypeWord);
  EXPECT_EQ(g.Run("", [](CompilerState& s) {
    s.sticky.OperandType = kTypeInteger;
    s.sticky.SkipOperandPush = true;
    EmitLoadVariable(s, "i", kTypeLong);
  }),
            (Lines{"_lds_r24,i", "_lds_r25,i+1", "_rcall._I2Lo"}));
  EXPECT_TRUE(g.st.used[NeedI2Lo]);
  EXPECT_FALSE(g.st.used[NeedI2L]);
  g.st.sym.LabelCounter = 4;
  EXPECT_EQ(g.Run("", [](CompilerState& s) {
    s.sticky.OperandType = kTypeInteger;
    s.sticky.SkipOperandPush = false;
    EmitLoadVariable(s, "i", kTypeFloat);
  }),
            (Lines{"_lds_r22,i", "_lds_r23,i+1", "_sbrc.r23,0x07", "_rjmp.L0004", "_clr_r24", "_clr_r25",
                   "_rjmp.L0005", "L0004:", "_ldi_r24,0xff", "_ldi_r25,0xff", "L0005:", "_rcall._Fs2f"}));
}

TEST(VariableStore, ByTypeAndSourceRegister) {
  Gen g;
  auto store = [&](std::uint8_t wanted, std::uint8_t operand, bool skip, const char* name, const char* reg) {
    return g.Run("", [=](CompilerState& s) {
      s.sticky.OperandType = operand;
      s.sticky.SkipOperandPush = skip;
      EmitStoreVariable(s, name, reg, wanted);
    });
  };
  EXPECT_EQ(store(kTypeWord, kTypeWord, false, "w", "zl"), (Lines{"_sts_w,zl", "_sts_w+1,zh"}));
  EXPECT_EQ(store(kTypeWord, kTypeWord, true, "w", "r24"), (Lines{"_sts_w,r24", "_sts_w+1,r25"}));
  EXPECT_EQ(store(kTypeWord, kTypeFloat, false, "w", "r22"), (Lines{"_sts_w,r22", "_sts_w+1,r23"}));
  EXPECT_EQ(store(kTypeFloat, kTypeFloat, true, "f", "r22"),
            (Lines{"_sts_f,r18", "_sts_f+1,r19", "_sts_f+2,r20", "_sts_f+3,r21"}));
  EXPECT_EQ(store(kTypeBit, kTypeBit, false, "flag", "zl"), (Lines{"_bld_r4,1"}));
  EXPECT_TRUE(store(kTypeString, kTypeString, false, "b", "zl").empty());
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

TEST(Assignment, StringListForms) {
  Gen g;
  g.Var("s", kTypeString, 44);  // 4 elements of 11 bytes
  g.st.sym.GlobalVars[g.st.sym.GlobalVarCount].ElementSize = 11;
  Lines one = g.Assign("s = (\"abc\")");
  ASSERT_GE(one.size(), 5u);
  EXPECT_EQ(one[0], "_ldi_xl,byte1(s)");
  EXPECT_EQ(one[1], "_ldi_xh,byte2(s)");
  EXPECT_EQ(std::vector<std::string>(one.end() - 3, one.end()), (Lines{"_ldi_r21,4", "_ldi_r22,11", "_rcall._StrI"}));
  EXPECT_TRUE(g.st.used[NeedStrI]);
  EXPECT_TRUE(g.st.used[NeedStoreStrConst]);
  Lines two = g.Assign("s = (\"a\", \"b\")");
  int strz = 0;
  for (const auto& line : two) strz += line == "_rcall._StrZ";
  EXPECT_EQ(strz, 2);
  EXPECT_EQ(g.st.TokText(), "<EOL>");
  EXPECT_EQ(g.st.ErrorCount, 0) << g.Errors();
}

TEST(Assignment, SmallDeviceListClearsTheHighAddressByte) {
  Gen g(0xDF, false);
  // X is used whole: its high byte must be 0 on a device with 224 bytes of RAM too
  EXPECT_EQ(g.Assign("arr = (7)"), (Lines{"_ldi_xl,byte1(arr)", "_clr_xh", "_ldi_zl,byte1(7)", "_st_X+,zl"}));
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

TEST(Assignment, ErrorsStopAtTheEndOfTheLine) {
  for (const char* line : {"b = ", "b = (c", "b = c +", "arr(1 = 2"}) {
    Gen g;
    g.Assign(line);
    EXPECT_GE(g.st.ErrorCount, 1) << line;
    EXPECT_EQ(g.st.TokText(), "<EOL>") << line;
  }
}

}  // namespace
}  // namespace qbc
