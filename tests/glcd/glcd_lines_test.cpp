// The lines every graphic LCD statement writes for each controller, and what each refuses.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kGlcd[] = {
    "",
    "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\n",
    "$glcd ks0108, data = porta, ctrl = portd, 128, 64, 2\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n",
    "$glcd sed1520, data = porta, ctrl = portc, 122, 32\n$gctrl a0 = 0, rw = 1, e1 = 2, e2 = 3\n",
    "$glcd pcd8544, sdin = portb.0, sclk = portb.1, dc = portb.2, sce = portb.3\n",
};

struct Compiled {
  std::string lines;   // the statement's lines, TABs as one blank, joined by "; "
  std::string errors;  // the report's messages, "Not supported yet" ones (routines of
                       // controllers still to come) left out
};

Compiled CompileStatement(int type, const std::string& statement) {
  const std::string source = std::string("$device = m32\n$clock = 8\n$stack = 40\n") + kGlcd[type] +
                             "Dim B As Byte , I As Integer , W As Word , Pic(4) As Flash Byte , F As Float , L As Long\n" + statement +
                             "\nEnd\nPic = 1 , 1 , 1 , 0\n";
  const CompiledBasic c = CompileBasic(source);
  Compiled out;
  const std::string marker = "----" + statement + "--";
  auto at = c.asm_text.find(marker);
  if (at != std::string::npos) {
    at = c.asm_text.find('\n', at) + 1;
    for (auto end = c.asm_text.find('\n', at); end != std::string::npos; end = c.asm_text.find('\n', at)) {
      std::string line = c.asm_text.substr(at, end - at);
      at = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line.starts_with(";-Line")) break;
      line = std::regex_replace(line, std::regex("^\\s+"), "");
      line = std::regex_replace(line, std::regex("\\t+"), " ");
      out.lines += (out.lines.empty() ? "" : "; ") + line;
    }
  }
  std::smatch m;
  std::string report = c.report;
  const std::regex message("\\d+\\. (.*?) \\(\"");
  while (std::regex_search(report, m, message)) {
    if (!m[1].str().starts_with("Not supported yet")) out.errors += (out.errors.empty() ? "" : " / ") + m[1].str();
    report = m.suffix();
  }
  return out;
}

constexpr const char* kNotSupported = "!Not supported by this graphic LCD!";
constexpr const char* kT6963Only = "!T6963c only!";

// An expected text is the lines, or "!" and the messages that the report begins with; a
// statement refused for its controller writes no call.
void ExpectCompiled(const Compiled& got, const std::string& want, const std::string& what) {
  if (!want.starts_with("!")) {
    EXPECT_EQ(got.errors, "") << what;
    EXPECT_EQ(got.lines, want) << what;
    return;
  }
  EXPECT_TRUE(got.errors.starts_with(want.substr(1))) << what << ": " << got.errors;
  const bool refused = want == kNotSupported || want == kT6963Only || want == "!Graphic LCD is not configured!";
  if (refused) {
    EXPECT_EQ(got.lines.find("call"), std::string::npos) << what << ": " << got.lines;
  }
}

struct Row {
  const char* statement;
  const char* by_type[4];  // T6963C, HD61202, SED1520, PCD8544: the lines, or "!" and the message
};

const Row kRows[] = {
    {"Pset(1 , 2) , 3",
     {"ldi zl,byte1(3); ldi r16,1; ldi r17,2; mov r13,zl; call _Tpix", "ldi zl,byte1(3); ldi r16,1; ldi r17,2; call _HDPs",
      "ldi zl,byte1(3); ldi r16,1; ldi r17,2; call _S0Ps", kNotSupported}},
    {"Circle(1 , 2 , 3) , 1",
     {"ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _TCir", "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _HDCir",
      "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _S0Cir", kNotSupported}},
    {"Line(1 , 2 , 3 , 4) , 1",
     {"ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _TLin",
      "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _HDLin",
      "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _S0Lin", kNotSupported}},
    {"LineH(1 , 2 , 3) , 1",
     {"ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _TLiH", "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _HDLiH",
      "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _S0LiH", kNotSupported}},
    {"LineV(1 , 2 , 3) , 1",
     {"ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _TLiV", "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _HDLiV",
      "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; call _S0LiV", kNotSupported}},
    {"Box(1 , 2 , 3 , 4) , 1",
     {"ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _TBox",
      "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _HDBox",
      "ldi zl,byte1(1); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _S0Box", kNotSupported}},
    {"Fill(1 , 2 , 3 , 4) , 255",
     {"ldi zl,byte1(255); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _Tfill",
      "ldi zl,byte1(255); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _HDFBo",
      "ldi zl,byte1(255); ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _S0FBo", kNotSupported}},
    {"Inverse(1 , 2 , 3 , 4)",
     {"ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _TInv", "ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _HDInv",
      "ldi r16,1; ldi r17,2; ldi r21,3; ldi r22,4; call _S0Inv", "!Missing \")\" / Syntax error!"}},
    {"Inverse(B)", {"!Missing \",\" / Parameter load error! / Missing \",\" / Parameter load error! / Missing \",\" / "
                    "Parameter load error! / Missing \")\"",
                    "!Missing \",\" / Parameter load error! / Missing \",\" / Parameter load error! / Missing \",\" / "
                    "Parameter load error! / Missing \")\"",
                    "!Missing \",\" / Parameter load error! / Missing \",\" / Parameter load error! / Missing \",\" / "
                    "Parameter load error! / Missing \")\"",
                    "lds zl,b; call _PcInv"}},
    {"B = Point(1 , 2)",
     {"ldi r16,1; ldi r17,2; call _TPnt; sts b,zl", "ldi r16,1; ldi r17,2; call _HDPnt; sts b,zl",
      "ldi r16,1; ldi r17,2; call _S0Pnt; sts b,zl", kNotSupported}},
    {"ImgSet(1 , 2) , Pic",
     {"ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); ldi r16,1; ldi r17,2; call _Timg",
      "ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); ldi r16,1; ldi r17,2; call _HDimg",
      "ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); ldi r16,1; ldi r17,2; call _S0img",
      "ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); ldi r16,1; ldi r17,2; call _Pcimg"}},
    {"ImgSet(1 , 2 , B + 1) , Pic",
     {"lds zl,b; push zl; ldi zl,byte1(1); pop r24; add zl,r24; push zl; ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); pop r20; ldi r16,1; ldi r17,2; call _TimA",
      "lds zl,b; push zl; ldi zl,byte1(1); pop r24; add zl,r24; push zl; ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); pop r20; ldi r16,1; ldi r17,2; call _HDimA",
      "lds zl,b; push zl; ldi zl,byte1(1); pop r24; add zl,r24; push zl; ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); pop r20; ldi r16,1; ldi r17,2; call _S0imA",
      "lds zl,b; push zl; ldi zl,byte1(1); pop r24; add zl,r24; push zl; ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); pop r20; ldi r16,1; ldi r17,2; call _PcimA"}},
    {"FontSet Pic",
     {"ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); call _Fnt", "ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); call _Fnt",
      "ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); call _Fnt", "ldi zl,byte1(pic*2); ldi zh,byte2(pic*2); call _Fnt"}},
    {"GCls", {"call _TgCls", "call _HDCls", "call _S0Cls", "call _PcCls"}},
    {"TCls", {"call _TtCls", kT6963Only, kT6963Only, kT6963Only}},
    {"GlcdInit", {"call _Tini", "call _HDini", "call _S0ini", "call _NkIni"}},
    {"GLcd(1 , 2) , B",
     {"ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _TFBW",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _HDBW",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _S0BW",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _PcBW"}},
    {"GNum(1 , 2) , B",
     {"ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _TNBW",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _HDBW",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _S0BW",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _PcBW"}},
    {"GLcd(1 , 2) , Hex W ; Chr(65)",
     {"ldi r16,1; ldi r17,2; push r16; push r17; lds zl,w; lds zh,w+1; pop r17; pop r16; call _TFhw; push r16; push r17; ldi zl,byte1(65); pop r17; pop r16; call _TFchr",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,w; lds zh,w+1; pop r17; pop r16; call _HDhw; push r16; push r17; ldi zl,byte1(65); pop r17; pop r16; call _HDchr",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,w; lds zh,w+1; pop r17; pop r16; call _S0hw; push r16; push r17; ldi zl,byte1(65); pop r17; pop r16; call _S0chr",
      "ldi r16,1; ldi r17,2; push r16; push r17; lds zl,w; lds zh,w+1; pop r17; pop r16; call _PcHw; push r16; push r17; ldi zl,byte1(65); pop r17; pop r16; call _PcChr"}},
    {"TxtAreaSet 30",
     {"ldi zl,byte1(30); sts txtarea,zl; call _TxtA", kT6963Only, kT6963Only, kT6963Only}},
    {"GrpAreaSet B",
     {"lds zl,b; sts grparea,zl; call _GrpA", kT6963Only, kT6963Only, kT6963Only}},
    {"TxtHomeSet", {"call _TxtH", kT6963Only, kT6963Only, kT6963Only}},
    {"GrpHomeSet : B = 1", {"call _GrpH; ldi zl,byte1(1); sts b,zl", kT6963Only, kT6963Only, kT6963Only}},
    {"TxtHomeSet W",
     {"lds zl,w; lds zh,w+1; sts txthome,zl; sts txthome+1,zh; mov r16,zl; mov r17,zh; call _TxtH1", kT6963Only, kT6963Only, kT6963Only}},
    {"GrpHomeSet 512",
     {"ldi zl,byte1(512); ldi zh,byte2(512); sts grphome,zl; sts grphome+1,zh; mov r16,zl; mov r17,zh; call _GrpH1", kT6963Only, kT6963Only, kT6963Only}},
    {"GCursor 1 , 2", {"ldi r16,1; ldi r17,2; call _Tadr2; ldi r20,0x21; call _Tcmd", kT6963Only, kT6963Only, kT6963Only}},
    // the text layer: the position kept across each item's code, items one after the other
    {"TLcd(1 , 2) , B ; Hex(W) ; Chr(66) ; \"a\"",
     {"ldi r16,1; ldi r17,2; push r16; push r17; lds zl,b; call _B2Str; pop r17; pop r16; call _TBW; push r16; "
      "push r17; lds zl,w; lds zh,w+1; pop r17; pop r16; call _Thw; push r16; push r17; ldi zl,byte1(66); pop r17; "
      "pop r16; call _Tchr; push r16; push r17; ldi zl,byte1(S000*2); ldi zh,byte2(S000*2); pop r17; pop r16; call _Tsc",
      kT6963Only, kT6963Only, kT6963Only}},
    {"TLcd(1 , 2) , Hex(I + 1)",
     {"ldi r16,1; ldi r17,2; push r16; push r17; lds zl,i; lds zh,i+1; push zh; push zl; ldi zl,byte1(1); "
      "ldi zh,byte2(1); pop r24; pop r25; add zl,r24; adc zh,r25; pop r17; pop r16; call _Thw",
      kT6963Only, kT6963Only, kT6963Only}},
    {"GCommand 5", {"ldi r20,5; call _Tcmd", kNotSupported, kNotSupported, "ldi r20,5; call _PcSer"}},
    {"GWrite(1 , 2) , 7",
     {"ldi zl,byte1(7); ldi r16,1; ldi r17,2; call _Twri", "ldi zl,byte1(7); ldi r16,1; ldi r17,2; mov r0,zl; call _HDwr",
      "ldi zl,byte1(7); ldi r16,1; ldi r17,2; mov r0,zl; call _S0wr", "ldi zl,byte1(7); ldi r16,1; ldi r17,2; mov r0,zl; call _PcWr"}},
    {"B = GRead(1 , 2)",
     {"ldi r16,1; ldi r17,2; call _Trdy; sts b,zl", "ldi r16,1; ldi r17,2; call _HDrd; mov zl,r0; sts b,zl",
      "ldi r16,1; ldi r17,2; call _S0rd; mov zl,r0; sts b,zl", kNotSupported}},
};

TEST(GlcdLines, EveryStatementOnEveryController) {
  for (const Row& row : kRows)
    for (int type = 1; type <= 4; ++type) {
      ExpectCompiled(CompileStatement(type, row.statement), row.by_type[type - 1],
                     std::string(row.statement) + " on " + std::to_string(type));
    }
}

// Contrast belongs to the PCD8544: elsewhere it is reported once and still compiled.
TEST(GlcdLines, ContrastOnThePcd8544Only) {
  ExpectCompiled(CompileStatement(4, "Contrast = 40"), "ldi zl,byte1(40); call _Pcnst", "pcd8544");
  for (int type : {0, 1, 2, 3}) {
    const Compiled c = CompileStatement(type, "Contrast = 40");
    EXPECT_EQ(c.errors, "Just for Nokia3310!") << type;
  }
}

TEST(GlcdLines, EveryStatementWithoutGlcdIsRefused) {
  for (const Row& row : kRows) {
    const Compiled c = CompileStatement(0, row.statement);
    EXPECT_EQ(c.errors, "Graphic LCD is not configured!") << row.statement;
    ExpectCompiled(c, "!Graphic LCD is not configured!", row.statement);
  }
}

// Faults of the argument loading, each shown by the lines it makes.
TEST(GlcdLines, ArgumentsReachTheirRegistersAndStopAtTheStatementEnd) {
  struct Case {
    int type;
    const char* statement;
    const char* lines;  // or "!" and the messages
  } cases[] = {
      // The 16-bit divide uses r21: the computed argument waits on the stack and every
      // one-instruction load comes after all code.
      {1, "Line(0 , 0 , 100 , I / 3) , 1",
       "lds zl,i; lds zh,i+1; push zh; push zl; ldi zl,byte1(3); ldi zh,byte2(3); pop r24; pop r25; call Di16s; "
       "push zl; ldi zl,byte1(1); pop r22; ldi r16,0; ldi r17,0; ldi r21,100; call _TLin"},
      // The scan for an operator ends at ":", not in the next statement.
      {4, "GCommand B : B = B + 1", "lds r20,b; call _PcSer; lds zl,b; push zl; ldi zl,byte1(1); pop r24; add zl,r24; sts b,zl"},
      // Point and GRead are bytes: a word takes them with a clear high byte.
      {1, "W = GRead(1 , I + 1)",
       "lds zl,i; lds zh,i+1; push zh; push zl; ldi zl,byte1(1); ldi zh,byte2(1); pop r24; pop r25; add zl,r24; "
       "adc zh,r25; mov r17,zl; ldi r16,1; call _Trdy; clr zh; sts w,zl; sts w+1,zh"},
      {2, "W = Point(2 , I + 1)",
       "lds zl,i; lds zh,i+1; push zh; push zl; ldi zl,byte1(1); ldi zh,byte2(1); pop r24; pop r25; add zl,r24; "
       "adc zh,r25; mov r17,zl; ldi r16,2; call _HDPnt; clr zh; sts w,zl; sts w+1,zh"},
      // TLcd: a float's text goes to the string routine; Hex takes bytes and words only
      {1, "TLcd(0 , 1) , F",
       "ldi r16,0; ldi r17,1; push r16; push r17; lds r22,f; lds r23,f+1; lds r24,f+2; lds r25,f+3; ldi r19,0x06; "
       "call _Fstr; ldi zl,byte1(_s1tmp); ldi zh,byte2(_s1tmp); pop r17; pop r16; call _Tst"},
      {1, "TLcd(0 , 1) , Hex(L) ; B", "!Must be Byte or Word!"},
      {4, "GCommand &o17", "!Parameter load error!"},
      {4, "GCommand Q", "!Unknown identifier "},
      {4, "GCommand \"a\"", "!Parameter load error!"},
      {4, "GCommand &hA5", "ldi r20,165; call _PcSer"},
      {4, "GCommand &b101", "ldi r20,5; call _PcSer"},
  };
  for (const Case& c : cases) {
    ExpectCompiled(CompileStatement(c.type, c.statement), c.lines, c.statement);
  }
}

}  // namespace
}  // namespace qbc::test
