// The text of the T6963C driver routines for the wiring: the port access forms chosen by
// each register's address (m128 PORTF and port G lie in extended I/O, PINF at I/O 0),
// the split layout's half tests, and the blocks written only when used.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// The block after the header line `header` up to the next empty line, each line with its
// TABs as one blank, joined by "; ".
std::string Block(const std::string& asm_text, const std::string& header) {
  auto at = asm_text.find(header);
  if (at == std::string::npos) return "(no " + header + ")";
  at = asm_text.find('\n', at) + 1;
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

}  // namespace
}  // namespace qbc::test
