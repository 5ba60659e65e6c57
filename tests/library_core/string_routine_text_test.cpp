// Layout of the routine texts: headers, label and separator columns, the lines that
// depart from the common pattern, and the device variants of the flash read.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compiler/frontend/number_format_cells.h"
#include "compiler/library/comm/text_to_number.h"
#include "compiler/library/core/bit_var_routines.h"
#include "compiler/library/core/num_to_text.h"
#include "compiler/library/core/string_routines.h"
#include "tests/library_core/text_routine_bench.h"

namespace qbc {
namespace {

struct TextCase {
  const char* name;
  std::function<void(CompilerState&)> emit;
  std::vector<std::string> lines;  // consecutive lines expected right after the header
};

std::string Text(const TextCase& c, const test::libfix::Device& d,
                 const std::function<void(CompilerState&)>& configure = nullptr) {
  return test::libfix::Emit(d, c.emit, configure);
}

TEST(RoutineText, HeadersAndFirstLines) {
  const std::vector<TextCase> cases = {
      {"StrCmp", EmitStringCompareRoutine,
       {";////// StringCompare /////////////////////", "_StrCmp:clt", "_StrC3:\tld\t\tr24,X+"}},
      {"StCCp", EmitStringConstCompareRoutine,
       {";////// StringConstCompare ////////////////", "_StCCp:\tpush\txl", "\t\tpush\txh",
        "_StCC2:\tld\t\tr24,X+", "\t\tlpm\tr0,Z+"}},
      {"LenS", EmitLenStrRoutine, {";////// Len Str ///////////////////////////", "_LenS:\tclr\t\tr22"}},
      {"LenC", EmitLenStrConstRoutine,
       {";////// Len StrConst //////////////////////", "_LenC:\tclr\t\tr22", "_LenC1:\tlpm\tr0,Z+"}},
      {"StStr", EmitStoreStrRoutine, {";////// StoreStr //////////////////////////", "_StStr:\ttst\t\tr20"}},
      {"StStC", EmitStoreStrConstRoutine,
       {";////// StoreStrConst /////////////////////", "_StStC:\ttst\t\tr20", "\t\tbreq\t_StSC4",
        "_StSC3:\tlpm\tr0,Z+"}},
      {"StrI", EmitInitStrArrayRoutine, {";////// Init StrArray ////////////////////", "_StrI:\tmov\t\tr24,zl"}},
      {"Lcase", EmitLcaseRoutine, {";////// Lcase ////////////////////////////", "_Lcase:\tld\t\tr24,Z+"}},
      {"Ucase", EmitUcaseRoutine, {";////// Ucase ////////////////////////////", "_Ucase:\tld\t\tr24,Z+"}},
      {"StBit", EmitStoreBitVarRoutine, {";////// Store BitVar //////////////////////", "_StBit:\tclt"}},
      {"VaBit", EmitVaBitRoutine, {";////// Store BitVar //////////////////////", "_VaBit:\tsec"}},
      {"ByteToStr", EmitByteToStrRoutine, {";////// ByteToStr ////////////////////////", "_B2str:\tclr\t\tzh"}},
      {"IntToStr", EmitIntToStrRoutine, {";////// IntToStr //////////////////////////", "_B2str:\tclr\tzh"}},
      {"LongToStr", EmitLongToStrRoutine,
       {";////// LongToStr ////////////////////////", "_I2str:\tsbrs\tzh,0x07"}},
      {"Hex", EmitNumToHexRoutine, {";////// Num to Hex  //////////////////////", "_ToHL:\tpush\tyl"}},
      {"StrToNum", EmitStrToNumRoutine, {";////// String to Num /////////////////////"}},
      {"HexToNum", EmitHexStrToNumRoutine,
       {";////// HexString to Num //////////////////", "_Sb2Hx:\tmov\t\tr18,r20", "\t\trjmp\t_Hx2N0",
        "_Hx2Nm:\tclr\t\tr18"}},
  };
  for (const TextCase& c : cases) {
    std::string want = "\n";
    for (const std::string& l : c.lines) want += l + "\n";
    EXPECT_EQ(Text(c, test::libfix::M8()).substr(0, want.size()), want) << c.name;
  }
}

TEST(RoutineText, FlashReadWithoutPostIncrementAndWithElpm) {
  const TextCase c{"LenC", EmitLenStrConstRoutine, {}};
  auto classic = Text(c, test::libfix::M8(), [](CompilerState& st) { st.dev.LpmPostIncrement = st.dev.ElpmPostIncrement = false; });
  EXPECT_NE(classic.find("_LenC1:\tlpm\n\t\tadiw\tzl,0x01\n\t\ttst\t\tr0\n"), std::string::npos);
  EXPECT_NE(Text(c, test::libfix::M128()).find("_LenC1:\telpm\tr0,Z+\n"), std::string::npos);
}

TEST(RoutineText, LongNegationKeepsItsBlanksAndLeadLinesFollowTheSetting) {
  auto lead = [](CompilerState& st) { st.Cells<NumberFormatCells>().LeadChar = '*'; };
  const TextCase l{"LongToStr", EmitLongToStrRoutine, {}};
  const std::string plain = Text(l, test::libfix::M8());
  EXPECT_NE(plain.find("\t\tsubi\tzl, -0x01\n\t\tsbci\tzh, -0x01\n\t\tsbci\tr18,-0x01\n"), std::string::npos);
  EXPECT_NE(plain.find("\t\tsubi\tr22, -0x30\n"), std::string::npos);
  EXPECT_EQ(plain.find("_lchr"), std::string::npos);
  EXPECT_EQ(plain.find("r25"), std::string::npos);
  const std::string with_lead = Text(l, test::libfix::M8(), lead);
  EXPECT_NE(with_lead.find("\t\tldi\t\tr25,0x0a\n_S2st1:\tsbrs\tr19,0x07\n"), std::string::npos);
  // One-byte RAM addresses: no yh lines.
  const std::string small = Text(l, test::libfix::Tn2313(), lead);
  EXPECT_EQ(small.find("yh"), std::string::npos);
}

}  // namespace
}  // namespace qbc
