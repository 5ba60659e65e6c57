// The text of the T6963C driver routines for the wiring: the port access forms chosen by
// each register's address (m128 PORTF and port G lie in extended I/O, PINF at I/O 0),
// the split layout's half tests, and the blocks written only when used.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// The lines from `at` up to the next empty line, each with its TABs as one blank, joined
// by "; ".
std::string Lines(const std::string& asm_text, std::size_t at) {
  std::string out;
  for (auto end = asm_text.find('\n', at); end != std::string::npos; end = asm_text.find('\n', at)) {
    std::string line = asm_text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    line = std::regex_replace(line, std::regex("^\\s+"), "");
    line = std::regex_replace(line, std::regex("\\t+"), " ");
    out += (out.empty() ? "" : "; ") + line;
  }
  return out;
}

// The block after the header line `header`.
std::string Block(const std::string& asm_text, const std::string& header) {
  const auto at = asm_text.find(header);
  if (at == std::string::npos) return "(no " + header + ")";
  return Lines(asm_text, asm_text.find('\n', at) + 1);
}

// The block from the line that opens with `label` (a routine without a header).
std::string FromLabel(const std::string& asm_text, const std::string& label) {
  const auto at = asm_text.find("\n" + label);
  if (at == std::string::npos) return "(no " + label + ")";
  return Lines(asm_text, at + 1);
}

CompiledBasic Compile(const std::string& device, const std::string& glcd, const std::string& body) {
  return CompileBasic("$device = " + device + "\n$clock = 16\n$stack = 32\n" + glcd +
                      "$gctrl rd = 0, wr = 1, cd = 2, ce = 3\nDim B As Byte\n" + body + "\nEnd\n");
}

TEST(T6963Routines, PortFormsFollowEachRegistersAddress) {
  struct Case {
    const char* device;
    const char* glcd;
    const char* header;
    const char* lines;
  } cases[] = {
      // the control lines high before they turn outputs: no strobe on the way out of reset
      {"m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 64, 8\n", "T6963C GraphLcdSet",
       "_Tini: ldi zl,0xff; out DDRA,zl; ldi zl,0x0F; out PORTC,zl; out DDRC,zl; ret"},
      {"m128", "$glcd t6963c, data = portf, ctrl = portg, 240, 64, 8\n", "T6963C GraphLcdSet",
       "_Tini: ldi zl,0xff; sts DDRF,zl; ldi zl,0x0F; sts PORTG,zl; sts DDRG,zl; ret"},
      // a status read is a strobe of its own, held for the access time (three cycles at
      // 16 MHz and one more), and the wait gives up after 4000 polls
      {"m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 64, 8\n", "T6963C Bussy Check",
       "_Tbusy:; push r24; push r25; ldi r24,160; ldi r25,15; clr r0; out DDRA,r0; _Tbus1:; cbi PORTC,0; "
       "cbi PORTC,3; nop; nop; nop; nop; in r0,PINA; sbi PORTC,3; sbi PORTC,0; sbrs r0,0; rjmp _Tbus2; sbrc r0,1; "
       "rjmp _Tbus3; _Tbus2: sbiw r24,1; brne _Tbus1; _Tbus3: clr r0; com r0; out DDRA,r0; pop r25; pop r24; ret"},
      // PINF is at I/O address 0: "lds zl,PINF" would read r0
      {"m128", "$glcd t6963c, data = portf, ctrl = portg, 240, 64, 8\n", "T6963C Bussy Check",
       "_Tbusy:; push zl; push r24; push r25; ldi r24,160; ldi r25,15; clr r0; sts DDRF,r0; _Tbus1:; lds zl,PORTG; "
       "cbr zl,1; cbr zl,8; sts PORTG,zl; nop; nop; nop; nop; in r0,PINF; lds zl,PORTG; sbr zl,8; sbr zl,1; "
       "sts PORTG,zl; sbrs r0,0; rjmp _Tbus2; sbrc r0,1; rjmp _Tbus3; _Tbus2: sbiw r24,1; brne _Tbus1; _Tbus3: "
       "clr r0; com r0; sts DDRF,r0; pop r25; pop r24; pop zl; ret"},
      {"m128", "$glcd t6963c, data = portg, ctrl = portf, 240, 64, 8\n", "T6963C Write /",
       "_Twr: rcall _Tbusy; push zl; lds zl,PORTF; cbr zl,4; sts PORTF,zl; sts PORTG,r20; lds zl,PORTF; cbr zl,2; "
       "cbr zl,8; sts PORTF,zl; lds zl,PORTF; sbr zl,8; sbr zl,2; sts PORTF,zl; lds zl,PORTF; sbr zl,4; "
       "sts PORTF,zl; pop zl; ret"},
      {"m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 64, 8\n", "T6963C Command",
       "_Tcmd: rcall _Tbusy; out PORTA,r20; cbi PORTC,1; cbi PORTC,3; sbi PORTC,3; sbi PORTC,1; ret"},
  };
  for (const Case& c : cases) {
    const CompiledBasic compiled = Compile(c.device, c.glcd, "GlcdInit");
    EXPECT_EQ(Block(compiled.asm_text, c.header), c.lines) << c.device << " " << c.glcd;
  }
}

// The data read: the status with C/D high in strobes of their own (_Tbusy), then the byte
// in one strobe with C/D low, sampled after the access time. Waiting on status bits with
// C/D low read bits of the data byte and hung on a byte whose bit 1 is 0.
TEST(T6963Routines, TheDataReadTakesTheStatusBeforeDroppingCd) {
  const CompiledBasic c = Compile("m128", "$glcd t6963c, data = portf, ctrl = portc, 240, 64, 8\n", "B = GRead(1 , 2)");
  EXPECT_EQ(Block(c.asm_text, "T6963C Read /"),
            "_Trd: ldi r20,0xc5; rcall _Tcmd; rcall _Tbusy; clr r0; sts DDRF,r0; com r0; sts PORTF,r0; cbi PORTC,2; "
            "cbi PORTC,0; cbi PORTC,3; nop; nop; nop; nop; in r26,PINF; sbi PORTC,3; sbi PORTC,0; sbi PORTC,2; "
            "sts DDRF,r0; ret");
}

// Point's routine reads through _Trd: a program whose only T6963C statement is Point gets it.
TEST(T6963Routines, PointAloneGetsTheReadRoutine) {
  const CompiledBasic c = Compile("m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 64, 8\n", "B = Point(1 , 2)");
  EXPECT_NE(c.asm_text.find("_Trd:"), std::string::npos);
}

// The image routines: a byte is written only inside the panel's byte columns (30 of 8
// pixels or 40 of 6 on a 240-pixel panel) and rows, a row addressed only when its first
// byte shows; the column and row stop at 255; no width or height writes nothing. The
// flash read steps Z by itself where the chip can (elpm on the m128, lpm on the m32 and m168)
// or with adiw (AT90S8515).
TEST(T6963Routines, ImageRoutinesCutAtTheEdgesInEveryFlashReadForm) {
  const std::string walk_tail =
      "brsh _Tig4; cpi r17,@H; brsh _Tig4; rcall _Twrb; _Tig4: inc r16; brne _Tig5; dec r16; _Tig5: dec r15; "
      "brne _Tig3; inc r17; brne _Tig6; dec r17; _Tig6: dec r9; brne _Tig1; ret; _Tig8: add r17,r9; brcc _Tig9; "
      "ser r17; _Tig9: ret";
  struct Case {
    const char* device;
    const char* glcd;
    const char* fs;
    const char* columns;
    const char* height;
    const char* read_byte;  // the walk's read into r20
    const char* set;        // _Tset
  } cases[] = {
      {"m128", "$glcd t6963c, data = portf, ctrl = portg, 240, 64, 8\n", "0", "30", "64", "_Tig3: elpm r20,Z+",
       "_Tset: elpm r8,Z+; elpm r9,Z+; ret"},
      {"m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 128, 2\n", "1", "40", "128", "_Tig3: lpm r20,Z+",
       "_Tset: lpm r8,Z+; lpm r9,Z+; ret"},
      {"m168", "$glcd t6963c, data = portd, ctrl = portc, 240, 64, 8\n", "0", "30", "64", "_Tig3: lpm r20,Z+",
       "_Tset: lpm r8,Z+; lpm r9,Z+; ret"},
      {"90s8515", "$glcd t6963c, data = porta, ctrl = portc, 240, 64, 8\n", "0", "30", "64",
       "_Tig3: lpm; adiw zl,0x01; mov r20,r0",
       "_Tset: lpm; adiw zl,0x01; mov r8,r0; lpm; adiw zl,0x01; mov r9,r0; ret"},
  };
  for (const Case& c : cases) {
    const CompiledBasic compiled =
        CompileBasic("$device = " + std::string(c.device) + "\n$clock = 16\n$stack = 32\n" + c.glcd +
                     "$gctrl rd = 0, wr = 1, cd = 2, ce = 3, fs = " + c.fs +
                     "\nDim Pic(4) As Flash Byte\nImgSet(1 , 2) , Pic\nImgSet(1 , 2 , 1) , Pic\nEnd\nPic = 1 , 1 , 255 , 0\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    std::string walk = "_TiGet: mov r14,r16; tst r8; breq _Tig8; tst r9; breq _Tig9; _Tig1: mov r16,r14; cpi r16,@C; "
                       "brsh _Tig2; cpi r17,@H; brsh _Tig2; rcall _TaPut; _Tig2: mov r15,r8; " +
                       std::string(c.read_byte) + "; cpi r16,@C; " + walk_tail;
    for (auto [key, value] : {std::pair<std::string, std::string>{"@C", c.columns}, {"@H", c.height}})
      for (auto at = walk.find(key); at != std::string::npos; at = walk.find(key, at + value.size()))
        walk.replace(at, key.size(), value);
    EXPECT_EQ(FromLabel(compiled.asm_text, "_TiGet:"), walk) << c.device;
    EXPECT_EQ(Block(compiled.asm_text, "T6963C ImgSet /"),
              "_Timg: rcall _Tset; rcall _TiGet; ret; " + std::string(c.set)) << c.device;
    EXPECT_EQ(Block(compiled.asm_text, "T6963C ImgArraySet /"),
              "_Tima: rcall _Tset; rcall _Timm; rcall _TiGet; ret; _Timm: mov r14,zl; mov r15,zh; mov zl,r20; "
              "clr zh; mov r24,r8; clr r25; rcall Mp16u; mov r24,r9; rcall Mp16u; add zl,r14; adc zh,r15; ret")
        << c.device;
  }
}

TEST(T6963Routines, SplitAddressingTestsTheHalvesAndPlainDoesNot) {
  const std::string split =
      Compile("m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 128, 2\n", "TCls : GCls").asm_text;
  EXPECT_NE(split.find("cpi\t\tr17,8\r\n\t\tbrmi\t_TtAd1\r\n\t\tsubi\tr17,8"), std::string::npos);
  EXPECT_NE(split.find("cpi\t\tr17,16\r\n\t\tbrne\t_TtC1"), std::string::npos);
  EXPECT_NE(split.find("cpi\t\tr17,64\r\n\t\tbrmi\t_TgAd2\r\n\t\tsubi\tr17,64"), std::string::npos);
  EXPECT_NE(split.find("ldi\t\tr21,128"), std::string::npos);
  const std::string plain =
      Compile("m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 128, 8\n", "TCls : GCls").asm_text;
  EXPECT_EQ(plain.find("add\t\tr17,r20"), std::string::npos);
  EXPECT_NE(plain.find("_TtAd1:"), std::string::npos);
  EXPECT_NE(plain.find("_TgAd2:"), std::string::npos);
  // no TLcd: no character write, _Twrb right after _Twr
  EXPECT_EQ(plain.find("Write Byte"), std::string::npos);
}

// The lines from the one starting with `label` up to the next empty line, as Block().
std::string RoutineFrom(const std::string& asm_text, const std::string& label) {
  const auto at = asm_text.find("\n" + label);
  if (at == std::string::npos) return "(no " + label + ")";
  return Block("\x01\n" + asm_text.substr(at + 1), "\x01");
}

const char* const kTextProgram =
    "Dim W As Word , S As String * 4 , Fnt(4) As Flash Byte\n"
    "TLcd(1 , 2) , B ; S ; \"ab\" ; Hex(B) ; Hex(W) ; Chr(B)\n"
    "FontSet Fnt\nGLcd(1 , 2) , B ; \"x\" ; Hex B ; Hex W ; Chr(B)\nGNum(1 , 2) , B ; \"1\"";

// The text-layer and glyph routines: the fixed text once, then the lines that follow the
// panel (rows and columns for the cuts at the edges), the "fs" setting and the device
// (flash reads, the font's third address byte on the large chips).
TEST(T6963Routines, TextLayerAndGlyphRoutines) {
  struct Case {
    const char* device;
    const char* glcd;
    const char* fs;
    const char* put;   // _TtWr: rows, columns of the panel
    const char* sfnt;  // _SFnt: byte columns, pixel rows, the font's address
  } cases[] = {
      {"m128", "$glcd t6963c, data = portf, ctrl = portc, 240, 128, 2\n", "1",
       "_TtWr: cpi r17,16; brsh _TtWr1; cpi r16,40; brsh _TtWr1; lds r0,TxtArea; cp r16,r0; brsh _TtWr1; inc r16; "
       "rjmp _Twrb; _TtWr1: ret",
       "_SFnt: cpi r16,40; brsh _SFnt1; cpi r17,128; brsh _SFnt1; push zl; push zh; push r17; lds zl,_fntL; "
       "lds zh,_fntH; in r18,RAMPZ; push r18; lds r18,_fnt3; out RAMPZ,r18; rcall _Tima; pop r18; out RAMPZ,r18; "
       "pop r17; pop zh; pop zl; _SFnt1: ret"},
      {"m32", "$glcd t6963c, data = porta, ctrl = portc, 240, 64, 8\n", "0",
       "_TtWr: cpi r17,8; brsh _TtWr1; cpi r16,30; brsh _TtWr1; lds r0,TxtArea; cp r16,r0; brsh _TtWr1; inc r16; "
       "rjmp _Twrb; _TtWr1: ret",
       "_SFnt: cpi r16,30; brsh _SFnt1; cpi r17,64; brsh _SFnt1; push zl; push zh; push r17; lds zl,_fntL; "
       "lds zh,_fntH; rcall _Tima; pop r17; pop zh; pop zl; _SFnt1: ret"},
      // 128 / 6 leaves a column of two pixels, which still shows
      {"m32", "$glcd t6963c, data = porta, ctrl = portc, 128, 64, 8\n", "1",
       "_TtWr: cpi r17,8; brsh _TtWr1; cpi r16,21; brsh _TtWr1; lds r0,TxtArea; cp r16,r0; brsh _TtWr1; inc r16; "
       "rjmp _Twrb; _TtWr1: ret",
       "_SFnt: cpi r16,22; brsh _SFnt1; cpi r17,64; brsh _SFnt1; push zl; push zh; push r17; lds zl,_fntL; "
       "lds zh,_fntH; rcall _Tima; pop r17; pop zh; pop zl; _SFnt1: ret"},
  };
  // (GLcd's Hex W takes the hardware stack deepest: a glyph drawn and each of its rows
  // addressed, 35 bytes on the m32 and 36 with the m128's RAMPZ, as painted on the chip)
  auto compile = [](const Case& c) {
    const CompiledBasic compiled =
        CompileBasic("$device = " + std::string(c.device) + "\n$clock = 8\n$stack = 40\n" + c.glcd +
                     "$gctrl rd = 0, wr = 1, cd = 2, ce = 3, fs = " + c.fs + "\nDim B As Byte\n" + kTextProgram +
                     "\nEnd\nFnt = 1 , 1 , 1 , 2\n");
    EXPECT_EQ(compiled.error_count, 0) << c.device << " " << compiled.report;
    return compiled.asm_text;
  };
  const std::string m128 = compile(cases[0]);
  struct Routine {
    const char* label;
    const char* lines;
  } fixed[] = {
      {"_TBW:", "_TBW: rcall _TtAdr; _TBW2: ld r20,Z+; subi r20,0x20; brlo _TBW1; rcall _TtWr; rjmp _TBW2; _TBW1: ret"},
      {"_Tst:", "_Tst: rcall _TtAdr; mov xl,zl; mov xh,zh; _Tst2: ld r20,X+; subi r20,0x20; brlo _Tst1; rcall _TtWr; "
                "rjmp _Tst2; _Tst1: ret"},
      {"_Tsc:", "_Tsc: rcall _TtAdr; _Tsc2: elpm r20,Z+; subi r20,0x20; brlo _Tsc1; rcall _TtWr; rjmp _Tsc2; _Tsc1: ret"},
      {"_Thb:", "_Thb: rcall _TtAdr; rcall _Thb1; ret; _Thw: rcall _TtAdr; push zl; mov zl,zh; rcall _Thb1; pop zl; "
                "_Thb1: push zl; swap zl; rcall _Th; pop zl; _Th: andi zl,0x0f; subi zl,-0x10; cpi zl,0x1a; brlo _Th1; "
                "subi zl,-0x07; rjmp _Th1; _Th1: mov r20,zl; rcall _TtWr; ret"},
      {"_Tchr:", "_Tchr: rcall _TtAdr; mov r20,zl; subi r20,0x20; rcall _TtWr; ret"},
      {"_TFBW:", "_TFBW: ld r20,Z+; subi r20,0x20; brlo _TSch1; rcall _SFnt; rjmp _TFBW; _TSch1: ret"},
      {"_TNBW:", "_TNBW: ld r20,Z+; subi r20,0x30; brlo _TNch1; rcall _SFnt; rjmp _TNBW; _TNch1: ret"},
      {"_TFsc:", "_TFsc: elpm r20,Z+; subi r20,0x20; brlo _TFsc1; rcall _SFnt; rjmp _TFsc; _TFsc1: ret"},
      {"_TNsc:", "_TNsc: elpm r20,Z+; subi r20,0x30; brlo _TNsc1; rcall _SFnt; rjmp _TNsc; _TNsc1: ret"},
      // the word entry of the font hex is not the text layer's _Thw
      {"_TFhw:", "_TFhw: push zl; mov zl,zh; rcall _TFhb; pop zl; _TFhb: push zl; swap zl; rcall _TFh; pop zl; "
                 "_TFh: andi zl,0x0f; subi zl,-0x10; cpi zl,0x1a; brlo _TFh1; subi zl,-0x07; rjmp _TFh1; "
                 "_TFh1: mov r20,zl; rcall _SFnt; ret"},
      {"_TFchr:", "_TFchr: subi zl,0x20; brlo _Tch1; mov r20,zl; rcall _SFnt; _Tch1: ret"},
      // the address routine keeps the position, which _TtWr moves on
      {"_TtAdr:", "_TtAdr: push zl; push zh; push r16; push r17; lds zl,TxtArea; clr zh; mov r14,r16; clr r20; "
                  "cpi r17,8; brmi _TtAd1; subi r17,8; ldi r20,0x80; _TtAd1: mov r24,r17; clr r25; clr r17; "
                  "rcall Mp16u; add zl,r14; adc zh,r17; mov r16,zl; mov r17,zh; lds zl,TxtHome; lds zh,TxtHome+1; "
                  "add r16,zl; adc r17,zh; add r17,r20; rcall _Tadr; pop r17; pop r16; pop zh; pop zl; ret"},
  };
  for (const Routine& r : fixed) EXPECT_EQ(RoutineFrom(m128, r.label), r.lines) << r.label;
  // TLcd and GLcd both print words in hex: one _Thw only (a label defined twice does not assemble)
  int thw = 0;
  for (auto at = m128.find("\n_Thw:"); at != std::string::npos; at = m128.find("\n_Thw:", at + 1)) ++thw;
  EXPECT_EQ(thw, 1);

  for (const Case& c : cases) {
    const std::string text = compile(c);
    EXPECT_EQ(RoutineFrom(text, "_TtWr:"), c.put) << c.device << " " << c.glcd << " fs " << c.fs;
    EXPECT_EQ(RoutineFrom(text, "_SFnt:"), c.sfnt) << c.device << " " << c.glcd << " fs " << c.fs;
  }
}

}  // namespace
}  // namespace qbc::test
