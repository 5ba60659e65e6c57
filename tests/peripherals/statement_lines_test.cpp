// The lines each peripheral statement writes where it stands, and the lines of its routine
// that differ by form: SPI, ShiftOut/ShiftIn, Sound, Key/NoKey with their key signal, RC5
// and DTMF. One table per area; each case is a program's lines and a block of the
// assembler source that must appear as given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// Lines as the assembler source holds them, each ended by CR LF.
std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* l : lines) text += std::string(l) + "\r\n";
  return text;
}

struct LinesCase {
  const char* device;
  std::string lines;        // the program after $device, $clock and $stack
  std::string block;        // expected in the assembler source
  const char* absent = "";  // a text the source must not hold
};

void ExpectBlocks(const std::vector<LinesCase>& cases) {
  for (const LinesCase& c : cases) {
    SCOPED_TRACE(std::string(c.device) + ":\n" + c.lines);
    const auto compiled =
        CompileBasic("$device = " + std::string(c.device) + "\n$clock = 8\n$stack = 32\n" + c.lines + "\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_NE(compiled.asm_text.find(c.block), std::string::npos) << compiled.asm_text;
    if (*c.absent != 0) {
      EXPECT_EQ(compiled.asm_text.find(c.absent), std::string::npos) << compiled.asm_text;
    }
  }
}

constexpr const char* kVars =
    "Dim B As Byte, W As Word, I As Integer, L As Long, A(4) As Byte, WA(3) As Word, S As String * 5\n";

// SpiOut sends the lowest byte first; SpiIn takes the first byte as the highest; the block
// forms pass the address in X and the count in zl.
TEST(StatementLines, Spi) {
  const std::string spi = std::string("$spi = 16, msb, master, low, low\n") + kVars;
  const std::vector<LinesCase> cases = {
      {"m8", spi + "SpiOut B; W; L",
       Lines({"\t\tlds\t\tzl,b", "\t\trcall\t_SpiO", "\t\tlds\t\tzl,w", "\t\tlds\t\tzh,w+1", "\t\trcall\t_SpiO",
              "\t\tmov\t\tzl,zh", "\t\trcall\t_SpiO", "\t\tlds\t\tzl,l", "\t\tlds\t\tzh,l+1", "\t\tlds\t\tr18,l+2",
              "\t\tlds\t\tr19,l+3", "\t\trcall\t_SpiO", "\t\tmov\t\tzl,zh", "\t\trcall\t_SpiO", "\t\tmov\t\tzl,r18",
              "\t\trcall\t_SpiO", "\t\tmov\t\tzl,r19", "\t\trcall\t_SpiO"})},
      {"m8", spi + "SpiOut A, 3",
       Lines({"\t\tldi\t\txl,byte1(a)", "\t\tldi\t\txh,byte2(a)", "\t\tpush\txl", "\t\tpush\txh",
              "\t\tldi\t\tzl,byte1(3)", "\t\tpop\txh", "\t\tpop\txl", "\t\trcall\t_SpAll"})},
      {"m8", spi + "SpiIn B; W; L",
       Lines({"\t\trcall\t_SPIch", "\t\tsts\t\tb,zl", "\t\trcall\t_SPIch", "\t\tmov\t\tzh,zl", "\t\trcall\t_SPIch",
              "\t\tsts\t\tw,zl", "\t\tsts\t\tw+1,zh", "\t\trcall\t_SPIch", "\t\tmov\t\tr19,zl", "\t\trcall\t_SPIch",
              "\t\tmov\t\tr18,zl", "\t\trcall\t_SPIch", "\t\tmov\t\tzh,zl", "\t\trcall\t_SPIch", "\t\tsts\t\tl,zl",
              "\t\tsts\t\tl+1,zh", "\t\tsts\t\tl+2,r18", "\t\tsts\t\tl+3,r19"})},
      // An element: the index pushed high byte first, X at the element, the bytes stored
      // through X.
      {"m8", spi + "SpiIn WA(1)",
       Lines({"\t\tldi\t\tzl,byte1(1)", "\t\tldi\t\tzh,byte2(1)", "\t\tpush\tzh", "\t\tpush\tzl",
              "\t\tldi\t\txl,byte1(wa)", "\t\tldi\t\txh,byte2(wa)", "\t\tpop\t\tr24", "\t\tpop\t\tr25", "\t\tlsl\t\tr24",
              "\t\trol\t\tr25", "\t\tadd\t\txl, r24", "\t\tadc\t\txh, r25", "\t\tld\t\tzl,X", "\t\tclr\t\tzh",
              "\t\trcall\t_SPIch", "\t\tmov\t\tzh,zl", "\t\trcall\t_SPIch", "\t\tst\t\tX+,zl", "\t\tst\t\tX,zh"})},
      {"m8", spi + "SpiIn A(2)", Lines({"\t\tld\t\tzl,X", "\t\trcall\t_SPIch", "\t\tst\t\tX,zl"})},
      // A string: its length in r25, its address in X.
      {"m8", spi + "SpiIn S",
       Lines({"\t\tldi\t\tr25,5", "\t\tldi\t\txl,byte1(s)", "\t\tldi\t\txh,byte2(s)", "\t\trcall\t_SPIst"})},
      {"m8", spi + "SpiIn A, 4",
       Lines({"\t\tldi\t\txl,byte1(a)", "\t\tldi\t\txh,byte2(a)", "\t\tpush\txl", "\t\tpush\txh",
              "\t\tldi\t\tzl,byte1(4)", "\t\tpop\txh", "\t\tpop\txl", "\t\trcall\t_SPIal"})},
      // The function sends the low byte of its value and yields the byte received.
      {"m8", spi + "B = Spi(W)", Lines({"\t\tlds\t\tzl,w", "\t\trcall\t_SpiO", "\t\tsts\t\tb,zl"})},
      // On a chip with more than 8 KB of flash the calls are calls.
      {"m128", spi + "SpiOut B", Lines({"\t\tlds\t\tzl,b", "\t\tcall\t_SpiO"})},
  };
  ExpectBlocks(cases);
}

// ShiftOut sends integers and words low byte first and longs lowest byte first; ShiftIn
// takes as many bytes as the wanted type holds, the first the highest.
TEST(StatementLines, ShiftOutAndShiftIn) {
  const std::string shift = std::string(
                                "$shiftout data = portb.0, clock = portb.1, msb\n"
                                "$shiftin data = portc.2, clock = portc.3, lsb\n") +
                            kVars;
  const std::vector<LinesCase> cases = {
      {"m8", shift + "ShiftOut B; W",
       Lines({"\t\tlds\t\tzl,b", "\t\trcall\t_Sout", "\t\tlds\t\tzl,w", "\t\tlds\t\tzh,w+1", "\t\trcall\t_Sout",
              "\t\tmov\t\tzl,zh", "\t\trcall\t_Sout"})},
      {"m8", shift + "ShiftOut I", Lines({"\t\tlds\t\tzl,i", "\t\tlds\t\tzh,i+1", "\t\trcall\t_Sout", "\t\tmov\t\tzl,zh",
                            "\t\trcall\t_Sout"})},
      {"m8", shift + "ShiftOut L",
       Lines({"\t\tlds\t\tr19,l+3", "\t\trcall\t_Sout", "\t\tmov\t\tzl,zh", "\t\trcall\t_Sout", "\t\tmov\t\tzl,r18",
              "\t\trcall\t_Sout", "\t\tmov\t\tzl,r19", "\t\trcall\t_Sout"})},
      {"m8", shift + "ShiftOut A, 2",
       Lines({"\t\tldi\t\txl,byte1(a)", "\t\tldi\t\txh,byte2(a)", "\t\tpush\txl", "\t\tpush\txh",
              "\t\tldi\t\tzl,byte1(2)", "\t\tpop\txh", "\t\tpop\txl", "\t\trcall\t_SOAll"})},
      {"m8", shift + "B = ShiftIn", Lines({"\t\trcall\t_Sin", "\t\tsts\t\tb,zl"})},
      {"m8", shift + "W = ShiftIn",
       Lines({"\t\trcall\t_Sin", "\t\tmov\t\tzh,zl", "\t\trcall\t_Sin", "\t\tsts\t\tw,zl", "\t\tsts\t\tw+1,zh"})},
      {"m8", shift + "L = ShiftIn",
       Lines({"\t\trcall\t_Sin", "\t\tmov\t\tr19,zl", "\t\trcall\t_Sin", "\t\tmov\t\tr18,zl", "\t\trcall\t_Sin",
              "\t\tmov\t\tzh,zl", "\t\trcall\t_Sin", "\t\tsts\t\tl,zl", "\t\tsts\t\tl+1,zh", "\t\tsts\t\tl+2,r18",
              "\t\tsts\t\tl+3,r19"})},
  };
  ExpectBlocks(cases);
}

// The half period waits on the stack while the group count is compiled, then goes to zh.
TEST(StatementLines, Sound) {
  const std::vector<LinesCase> cases = {
      {"m8", "$sound = portd.5\nDim B As Byte, W As Word\nSound B, 3",
       Lines({"\t\tlds\t\tzl,b", "\t\tpush\tzl", "\t\tldi\t\tzl,byte1(3)", "\t\tpop\t\tzh", "\t\trcall\t_Sound"})},
      {"m8", "$sound = portd.5\nDim B As Byte, W As Word\nSound 100, W",
       Lines({"\t\tldi\t\tzl,byte1(100)", "\t\tpush\tzl", "\t\tlds\t\tzl,w", "\t\tpop\t\tzh", "\t\trcall\t_Sound"})},
      {"m2560", "$sound = porth.3\nSound 4, 2",
       Lines({"\t\tldi\t\tzl,byte1(4)", "\t\tpush\tzl", "\t\tldi\t\tzl,byte1(2)", "\t\tpop\t\tzh", "\t\tcall\t_Sound"})},
  };
  ExpectBlocks(cases);
}

// Key() and NoKey() are calls; the routines differ by the $key line's form: keys in line
// (active low with the reset's set-up call, active high), the debounce time, the matrix
// with its own NoKey, and ports beyond the I/O instructions.
TEST(StatementLines, KeyAndNoKey) {
  const std::vector<LinesCase> cases = {
      {"m8", "$key rows = portb &hF0\nDim K As Byte\nK = Key()\nNoKey()",
       Lines({"\t\trcall\t_Key", "\t\tsts\t\tk,zl", "", ";-Line--0007----NoKey()--", "\t\trcall\t_NKey"})},
      // In line, active low: the rows become inputs with pull-ups at reset.
      {"m8", "$key rows = portb &hF0\nDim K As Byte\nK = Key()",
       Lines({"_KyIni:", "\t\tin\t\tzl,DDRB", "\t\tldi\t\tr24,240", "\t\tcom\t\tr24", "\t\tand\t\tzl,r24",
              "\t\tout\t\tDDRB,zl", "\t\tin\t\tzl,PORTB", "\t\tori\t\tzl,240", "\t\tout\t\tPORTB,zl", "\t\tret",
              "_Key:", "\t\tin\t\tr24,PINB", "\t\tandi\tr24,240", "\t\tcpi\t\tr24,240", "\t\tbreq\t_Key1",
              "\t\tldi\t\tzl,0x14", "\t\trcall\t_Wms", "\t\tin\t\tzl,PINB", "\t\tandi\tzl,240", "\t\tcp\t\tr24,zl",
              "\t\tbrne\t_Key1", "_KeyS:\tcom\t\tzl", "\t\tandi\tzl,240", "\t\tret", "",
              ";////// NoKey /////////////////////////", "_NKey:", "\t\tin\t\tr24,PINB", "\t\tandi\tr24,240",
              "\t\tcpi\t\tr24,240", "\t\tbreq\t_Kout", "\t\trjmp\t_NKey", "_Key1:\tclr\t\tzl", "_Kout:\tret"})},
      {"m8", "$key rows = portb &hF0\nDim K As Byte", Lines({"\t\trcall\t_KyIni"})},
      // A debounce time of its own.
      {"m8", "$key rows = portb &hF0, 50", Lines({"\t\tbreq\t_Key1", "\t\tldi\t\tzl,50", "\t\trcall\t_Wms"})},
      // Active high: a key reads 1, no set-up call, the reading returned as it is.
      {"m8", "$key rows = portb &h0F, hi",
       Lines({"_Key:", "\t\tin\t\tr24,PINB", "\t\tandi\tr24,15", "\t\ttst\t\tr24", "\t\tbreq\t_Key1",
              "\t\tldi\t\tzl,0x14", "\t\trcall\t_Wms", "\t\tin\t\tzl,PINB", "\t\tandi\tzl,15", "\t\tcp\t\tr24,zl",
              "\t\tbrne\t_Key1", "\t\tret", "", ";////// NoKey /////////////////////////", "_NKey:",
              "\t\tin\t\tr24,PINB", "\t\tandi\tr24,15", "\t\ttst\t\tr24", "\t\tbreq\t_Kout"}),
       "rcall\t_KyIni"},
      // The matrix: the code from the lowest row and column, no set-up call; its NoKey
      // drives the columns low and waits for every row to read high.
      {"m8", "$key rows = portb &hF0, cols = portd &h0F",
       Lines({"\t\tin\t\tzh,PIND", "\t\tcom\t\tzh", "\t\tandi\tzh,15", "\t\tcpi\t\tzh,0", "\t\tbreq\t_Key1", "",
              "\t\tclr\t\tr25", "_Key2:\tinc\t\tr25", "\t\tlsr\t\tr24", "\t\tbrcs\t_Key3", "\t\trjmp\t_Key2", "",
              "_Key3:\tser\t\tzl", "_Key4:\tinc\t\tzl", "\t\tlsr\t\tzh", "\t\tbrcs\t_Key5", "\t\trjmp\t_Key4", "",
              "_Key5:\tldi\t\tr24,0x08", "\t\trcall\tMpy8u", "\t\tadc\t\tzl,r25", "_KeyS:\tret", "_Key1:\tclr\t\tzl",
              "_Kout:\tret", "", ";////// NoKey /////////////////////////", "_NKey:", "\t\tin\t\tzl,DDRD",
              "\t\tori\t\tzl,15", "\t\tout\t\tDDRD,zl"}),
       "_KyIni"},
      {"m8", "$key rows = portb &hF0, cols = portd &h0F",
       Lines({"_NKey1:", "\t\tin\t\tr24,PINB", "\t\tandi\tr24,240", "\t\tcpi\t\tr24,240", "\t\tbrne\t_NKey1",
              "\t\tret"})},
      // Extended I/O: lds/sts on DDRF and PORTF of the m128, in on its PINF.
      {"m128", "$key rows = portf &h0F, cols = portf &hF0",
       Lines({"_Key:", "\t\tlds\t\tzl,DDRF", "\t\tori\t\tzl,240", "\t\tsts\t\tDDRF,zl", "\t\tlds\t\tzl,PORTF",
              "\t\tldi\t\tr24,240", "\t\tcom\t\tr24", "\t\tand\t\tzl,r24", "\t\tsts\t\tPORTF,zl"})},
      {"m128", "$key rows = portf &h0F, cols = portf &hF0",
       Lines({"\t\tin\t\tzh,PINF", "\t\tcom\t\tzh", "\t\tandi\tzh,240"})},
      {"m2560", "$key rows = portk &hF0, cols = portj &h0F",
       Lines({"\t\tlds\t\tr24,PINK", "\t\tandi\tr24,240", "\t\tcpi\t\tr24,240"})},
  };
  ExpectBlocks(cases);
}

// The key signal stands in _Key after the debounce check, only while KeyBeep is not 0: a
// pulse of its milliseconds on its pin (high or low), or a tone through _Sound.
TEST(StatementLines, KeySignal) {
  const std::vector<LinesCase> cases = {
      {"m8", "$key rows = portb &hF0, cols = portd &h0F, portd.6, 3, hi\nDim KeyBeep As Byte",
       Lines({"\t\tadc\t\tzl,r25", "\t\tlds\t\tr23,KeyBeep", "\t\tcpi\t\tr23,0x00", "\t\tbreq\t_KeyS",
              "\t\tmov\t\tr23,zl", "\t\tsbi\t\tPORTD, 6", "\t\tldi\t\tzl, 3", "\t\trcall\t_Wms", "\t\tcbi\t\tPORTD, 6",
              "\t\tmov\t\tzl,r23", "_KeyS:\tret"})},
      {"m8", "$key rows = portb &hF0, 50, portd.5, 2, lo\nDim KeyBeep As Byte",
       Lines({"\t\tbrne\t_Key1", "\t\tlds\t\tr23,KeyBeep", "\t\tcpi\t\tr23,0x00", "\t\tbreq\t_KeyS",
              "\t\tmov\t\tr23,zl", "\t\tcbi\t\tPORTD, 5", "\t\tldi\t\tzl, 2", "\t\trcall\t_Wms", "\t\tsbi\t\tPORTD, 5",
              "\t\tmov\t\tzl,r23", "_KeyS:\tcom\t\tzl"})},
      {"m128", "$key rows = portf &h0F, cols = portf &h70, portf.7, 2, lo\nDim KeyBeep As Byte",
       Lines({"\t\tmov\t\tr23,zl", "\t\tlds\t\tzl,PORTF", "\t\tcbr\t\tzl,1<<7", "\t\tsts\t\tPORTF,zl",
              "\t\tldi\t\tzl, 2", "\t\trcall\t_Wms", "\t\tlds\t\tzl,PORTF", "\t\tsbr\t\tzl,1<<7", "\t\tsts\t\tPORTF,zl",
              "\t\tmov\t\tzl,r23", "_KeyS:\tret"})},
      {"m2560", "$key rows = portk &hF0, cols = portj &h0F, portl.5, 2, hi\nDim KeyBeep As Byte",
       Lines({"\t\tmov\t\tr23,zl", "\t\tlds\t\tzl,PORTL", "\t\tsbr\t\tzl,1<<5", "\t\tsts\t\tPORTL,zl",
              "\t\tldi\t\tzl, 2", "\t\trcall\t_Wms", "\t\tlds\t\tzl,PORTL", "\t\tcbr\t\tzl,1<<5", "\t\tsts\t\tPORTL,zl",
              "\t\tmov\t\tzl,r23", "_KeyS:\tret"})},
      {"m8", "$sound = portc.0\n$key rows = portb &hF0, cols = portd &h0F, sound 4, 1\nDim KeyBeep As Byte",
       Lines({"\t\tlds\t\tr23,KeyBeep", "\t\tcpi\t\tr23,0x00", "\t\tbreq\t_KeyS", "\t\tmov\t\tr23,zl",
              "\t\tldi\t\tzh, 4", "\t\tldi\t\tzl, 1", "\t\trcall\t_Sound", "\t\tmov\t\tzl,r23", "_KeyS:\tret"})},
      // Keys in line, active high, carry no signal.
      {"m8", "$key rows = portb &h0F, hi, portd.5, 2, hi\nDim KeyBeep As Byte",
       Lines({"\t\tbrne\t_Key1", "\t\tret"}), "KeyBeep"},
  };
  ExpectBlocks(cases);
}

// RC5 stores the address from zh and the command from zl; a wider target gets its byte
// zero-extended while the command waits on the stack. The receiver reads its pin by the
// pin register's address.
TEST(StatementLines, Rc5) {
  const char* vars = "Dim B As Byte, W As Word, L As Long\n";
  const std::string m8 = std::string("$rc5 = portd.2\n") + vars;
  const std::string m2560 = std::string("$rc5 = portl.2\n") + vars;
  const std::string b_w = m8 + "Rc5(B, W)";
  const std::string b_b = m2560 + "Rc5(B, B)";
  const std::vector<LinesCase> cases = {
      {"m8", b_w,
       Lines({"\t\trcall\t_RC5", "\t\tsts\t\tb,zh", "\t\tclr\t\tzh", "\t\tsts\t\tw,zl", "\t\tsts\t\tw+1,zh"})},
      {"m8", m8 + "Rc5(L, B)",
       Lines({"\t\trcall\t_RC5", "\t\tpush\tzl", "\t\tmov\t\tzl,zh", "\t\tclr\t\tzh", "\t\tclr\t\tr18",
              "\t\tclr\t\tr19", "\t\tsts\t\tl,zl", "\t\tsts\t\tl+1,zh", "\t\tsts\t\tl+2,r18", "\t\tsts\t\tl+3,r19",
              "\t\tpop\t\tzl", "\t\tsts\t\tb,zl"})},
      // The classic megas: TCCR0 and TIMSK, the pin by the skips.
      {"m8", b_w,
       Lines({"\t\tsei", "_RC53:\tsbic\tPIND,2", "\t\trjmp\t_RC53", "\t\tldi\t\tzl,3", "\t\tout\t\tTCCR0,zl"})},
      {"m8", b_w,
       Lines({"\t\tout\t\tTCNT0,r25", "\t\tclc", "\t\tsbic\tPIND,2", "\t\tsec", "\t\trol\t\tzl"})},
      // The newer megas: TCCR0B and TIMSK0 (beyond the I/O space).
      {"m88", "$rc5 = portd.2\nDim B As Byte\nRc5(B, B)",
       Lines({"\t\tlds\t\tr25,TIMSK0", "\t\tpush\tr25", "\t\tori\t\tr25,(1<<TOIE0)", "\t\tsts\t\tTIMSK0,r25", "\t\tsei",
              "_RC53:\tsbic\tPIND,2", "\t\trjmp\t_RC53", "\t\tldi\t\tzl,3", "\t\tout\t\tTCCR0B,zl"})},
      // PINL of the m2560 lies beyond the skips: read into r25 in the routine (Timer0
      // stands still there), into r23 kept on the stack in the handler.
      {"m2560", b_b,
       Lines({"_RC53:", "\t\tlds\t\tr25,PINL", "\t\tsbrc\tr25,2", "\t\trjmp\t_RC53"})},
      {"m2560", b_b, Lines({"_RC50:", "\t\tlds\t\tr25,PINL", "\t\tsbrs\tr25,2", "\t\trjmp\t_RC50"})},
      {"m2560", b_b,
       Lines({"\t\tout\t\tTCNT0,r25", "\t\tpush\tr23", "\t\tclc", "\t\tlds\t\tr23,PINL", "\t\tsbrc\tr23,2",
              "\t\tsec", "\t\tpop\t\tr23", "\t\trol\t\tzl"})},
      // The handler stands with the $rc5 line that points the vector at it.
      {"m8", "$rc5 = portd.2", Lines({".ORG\t\tOVF0addr", "\t\trjmp\tIntN9"})},
      {"m8", "$rc5 = portd.2", Lines({"IntN9:", "\t\tldi\t\tr25,34", "\t\tout\t\tTCNT0,r25"})},
  };
  ExpectBlocks(cases);
}

// DTMF loads its key code into zl and claims the Timer1 overflow vector for the handler,
// which writes the compare register by its address.
TEST(StatementLines, Dtmf) {
  const std::vector<LinesCase> cases = {
      {"m8", "$dtmf = portb.1, 20\nDim B As Byte\nDtmf(B)", Lines({"\t\tlds\t\tzl,b", "\t\trcall\t_DTMF"})},
      {"m8", "$dtmf = portb.1, 20\nDtmf(3)", Lines({"\t\tldi\t\tzl,byte1(3)", "\t\trcall\t_DTMF"})},
      {"m8", "$dtmf = portb.1, 20\nDtmf(3)", Lines({".ORG\t\tOVF1addr", "\t\trjmp\tIntN8"})},
      // The tone's milliseconds, with the handler's interrupt on only around them.
      {"m8", "$dtmf = portb.1, 20\nDtmf(3)",
       Lines({"\t\tin\t\tr25,TIMSK", "\t\tpush\tr25", "\t\tori\t\tr25,(1<<TOIE1)", "\t\tout\t\tTIMSK,r25", "\t\tsei",
              "\t\tldi\t\tzl,0x14", "\t\trcall\t_Wms", "\t\tpop\t\tr25", "\t\tout\t\tTIMSK,r25", "\t\tpop\t\tr25",
              "\t\tout\t\tSREG,r25"})},
      {"m8", "$dtmf = portb.1, 20\nDtmf(3)",
       Lines({"\t\tclr\t\tr24", "\t\tout\t\tOCR1AH,r24", "\t\tmov\t\tr24,r7", "\t\tadd\t\tr24,r6",
              "\t\tout\t\tOCR1AL,r24"})},
      {"m88", "$dtmf = portb.1, 20\nDtmf(3)",
       Lines({"\t\tclr\t\tr24", "\t\tsts\t\tOCR1AH,r24", "\t\tmov\t\tr24,r7", "\t\tadd\t\tr24,r6",
              "\t\tsts\t\tOCR1AL,r24"})},
      {"m88", "$dtmf = portb.1, 20\nDtmf(3)", Lines({".ORG\t\tOVF1addr", "\t\trjmp\tIntN13"})},
  };
  ExpectBlocks(cases);
}

}  // namespace
}  // namespace qbc::test
