// The PC keyboard's lines as the assembler source shows them: the calls of PcKey() and
// PcKeySend, the three routine blocks with the lines in the low I/O space, the forms for
// ports beyond the bit instructions' reach, "noinit", and the messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Program(const std::string& device, const std::string& lines) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\nDim B As Byte\n" + lines + "End\n";
}

// Data on PD2, clock on PD3: every register in reach of sbi/cbi/sbis/sbic.
const char* kLowIoRoutines =
    ";////// PCkey /////////////////////////////\r\n"
    "_PCkey:\tldi\t\tr24,0x08\r\n_PCk1:\tsbic\tPIND,3\r\n\t\trjmp\t_PCk1\r\n_PCk2:\trcall\t_PCwt\r\n"
    "\t\tsec\r\n\t\tsbis\tPIND,2\r\n\t\tclc\r\n\t\tror\t\tzl\r\n\t\tdec\t\tr24\r\n\t\tbrne\t_PCk2\r\n"
    "\t\trcall\t_PCwt\r\n\t\trcall\t_PCwt\r\n_PCk5:\tsbis\tPIND,3\r\n\t\trjmp\t_PCk5\r\n\t\tret\r\n"
    "\r\n;////// PCkey pulse wait //////////////////\r\n"
    "_PCwt:\tsbis\tPIND,3\r\n\t\trjmp\t_PCwt\r\n_PC15:\tsbic\tPIND,3\r\n\t\trjmp\t_PC15\r\n\t\tret\r\n"
    "\r\n;////// PCkey ini /////////////////////////\r\n"
    "_PCini:\tcbi\t\tDDRD,3\r\n\t\tsbi\t\tPORTD,3\r\n\t\tldi\t\tzl,0xf0\r\n\t\trcall\t_PCsnd\r\n"
    "\t\tldi\t\tzl,0x03\r\n"
    // the clock held low 1 ms, the request to send, the clock let go
    "_PCsnd:\tcbi\t\tPORTD,3\r\n\t\tsbi\t\tDDRD,3\r\n\t\tmov\t\tr24,zl\r\n\t\tldi\t\tzl,0x01\r\n"
    "\t\trcall\t_Wms\r\n\t\tmov\t\tzl,r24\r\n\t\tcbi\t\tPORTD,2\r\n\t\tsbi\t\tDDRD,2\r\n"
    "\t\tcbi\t\tDDRD,3\r\n\t\tsbi\t\tPORTD,3\r\n"
    "\t\tldi\t\tr24,0x08\r\n\t\tset\r\n_PCk8:\tsbic\tPIND,3\r\n\t\trjmp\t_PCk8\r\n\t\tlsr\t\tzl\r\n"
    "\t\tbrcc\t_PCk9\r\n\t\tsbi\t\tPORTD,2\r\n\t\tbrts\t_PCk7\r\n\t\tset\r\n\t\trjmp\t_PC10\r\n"
    "_PCk7:\tclt\r\n\t\trjmp\t_PC10\r\n_PCk9:\tcbi\t\tPORTD,2\r\n_PC10:\tsbis\tPIND,3\r\n\t\trjmp\t_PC10\r\n"
    "\t\tdec\t\tr24\r\n\t\tbrne\t_PCk8\r\n_PC11:\tsbic\tPIND,3\r\n\t\trjmp\t_PC11\r\n\t\tbrtc\t_PC17\r\n"
    "\t\tsbi\t\tPORTD,2\r\n\t\trjmp\t_PC12\r\n_PC17:\tcbi\t\tPORTD,2\r\n_PC12:\trcall\t_PCwt\r\n"
    "\t\tcbi\t\tDDRD,2\r\n\t\tsbi\t\tPORTD,2\r\n\t\trcall\t_PCwt\r\n_PC16:\tsbis\tPIND,3\r\n\t\trjmp\t_PC16\r\n"
    "\t\tldi\t\tzl,0x16\r\n\t\trcall\t_Wms\r\n\t\tret\r\n";

TEST(PcKeyLines, StatementsAndRoutines) {
  struct Case {
    const char* device;
    const char* lines;                 // program lines after the Dim
    std::vector<const char*> present;  // blocks the source holds, "\t" for a TAB
    std::vector<const char*> absent;
  };
  const std::vector<Case> cases = {
      {"m8", "$pckey data = portd.2, clock = portd.3\nB = PcKey()\nPcKeySend(B)\n",
       {kLowIoRoutines, "\t\trcall\t_PCini\r\n", "\t\trcall\t_PCkey\r\n", "\t\trcall\t_PCsnd\r\n", "_Wms:"},
       {}},
      // "noinit": pull-ups set by the start-up code, no _PCini, _PCsnd still under its header
      {"m8", "$pckey data = portd.2, clock = pind.3, noinit\nPcKeySend(&HED)\n",
       {"\t\tsbi\t\tPORTD,2\r\n\t\tsbi\t\tPORTD,3\r\n",
        "\r\n;////// PCkey ini /////////////////////////\r\n_PCsnd:\tcbi\t\tPORTD,3\r\n"},
       {"_PCini"}},
      // PINF of the ATmega128 is in the low I/O space, DDRF and PORTF are extended: _PCkey
      // and _PCwt keep the bit skips, _PCini goes through zl, _PCsnd through r25, kept.
      {"m128", "$pckey data = portf.6, clock = portf.7\nB = PcKey()\n",
       {"_PCkey:\tldi\t\tr24,0x08\r\n_PCk1:\tsbic\tPINF,7\r\n",
        "_PCwt:\tsbis\tPINF,7\r\n",
        "_PCini:\tlds\t\tzl,DDRF\r\n\t\tcbr\t\tzl,1<<7\r\n\t\tsts\t\tDDRF,zl\r\n"
        "\t\tlds\t\tzl,PORTF\r\n\t\tsbr\t\tzl,1<<7\r\n\t\tsts\t\tPORTF,zl\r\n",
        "_PCsnd:\tpush\tr25\r\n\t\tlds\t\tr25,PORTF\r\n\t\tcbr\t\tr25,1<<7\r\n\t\tsts\t\tPORTF,r25\r\n"
        "\t\tlds\t\tr25,DDRF\r\n\t\tsbr\t\tr25,1<<7\r\n\t\tsts\t\tDDRF,r25\r\n",
        "_PCk9:\tlds\t\tr25,PORTF\r\n\t\tcbr\t\tr25,1<<6\r\n\t\tsts\t\tPORTF,r25\r\n"
        "_PC10:\tsbis\tPINF,7\r\n",
        "\t\trcall\t_Wms\r\n\t\tpop\t\tr25\r\n\t\tret\r\n"},
       {}},
      // Port K of the ATmega2560: even its PIN register is extended.
      {"m2560", "$pckey data = porth.5, clock = portk.2, noinit\nB = PcKey()\n",
       {"_PCkey:\tpush\tr25\r\n\t\tldi\t\tr24,0x08\r\n_PCk1:\tlds\t\tr25,PINK\r\n\t\tsbrc\tr25,2\r\n"
        "\t\trjmp\t_PCk1\r\n",
        "\t\tsec\r\n\t\tlds\t\tr25,PINH\r\n\t\tsbrs\tr25,5\r\n\t\tclc\r\n",
        "\t\trjmp\t_PCk5\r\n\t\tpop\t\tr25\r\n\t\tret\r\n",
        "_PCwt:\tpush\tr25\r\n_PC13:\tlds\t\tr25,PINK\r\n\t\tsbrs\tr25,2\r\n\t\trjmp\t_PC13\r\n"
        "_PC15:\tlds\t\tr25,PINK\r\n\t\tsbrc\tr25,2\r\n\t\trjmp\t_PC15\r\n\t\tpop\t\tr25\r\n\t\tret\r\n"},
       {"sbi\t\tPORTH", "sbis\tPINK", "_PCini"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto compiled = CompileBasic(Program(c.device, c.lines));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    for (const char* block : c.present) EXPECT_NE(compiled.asm_text.find(block), std::string::npos) << block << "\n" << compiled.asm_text;
    for (const char* text : c.absent) EXPECT_EQ(compiled.asm_text.find(text), std::string::npos) << text;
  }
}

// The statements' own lines: the call after the parentheses, the byte widened for a word
// expression, the value in zl before _PCsnd.
TEST(PcKeyLines, StatementLines) {
  struct Case {
    const char* line;
    const char* code;  // the lines under the source line's comment
  };
  const Case cases[] = {
      {"B = PcKey()", "\t\trcall\t_PCkey\r\n\t\tsts\t\tb,zl\r\n"},
      {"W = PcKey() + 1",
       "\t\trcall\t_PCkey\r\n\t\tclr\t\tzh\r\n\t\tpush\tzh\r\n\t\tpush\tzl\r\n\t\tldi\t\tzl,byte1(1)\r\n"
       "\t\tldi\t\tzh,byte2(1)\r\n\t\tpop\t\tr24\r\n\t\tpop\t\tr25\r\n\t\tadd\t\tzl,r24\r\n"
       "\t\tadc\t\tzh,r25\r\n\t\tsts\t\tw,zl\r\n\t\tsts\t\tw+1,zh\r\n"},
      {"PcKeySend(B + 1)",
       "\t\tlds\t\tzl,b\r\n\t\tpush\tzl\r\n\t\tldi\t\tzl,byte1(1)\r\n\t\tpop\t\tr24\r\n"
       "\t\tadd\t\tzl,r24\r\n\t\trcall\t_PCsnd\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto compiled = CompileBasic(Program("m8", "$pckey data = portd.2, clock = portd.3\nDim W As Word\n" +
                                                         std::string(c.line) + "\n"));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    const std::string head = "----" + std::string(c.line) + "--\r\n";
    const std::size_t at = compiled.asm_text.find(head);
    ASSERT_NE(at, std::string::npos) << compiled.asm_text;
    EXPECT_EQ(compiled.asm_text.substr(at + head.size(), std::string(c.code).size()), c.code) << compiled.asm_text;
  }
}

TEST(PcKeyLines, Messages) {
  struct Case {
    const char* lines;
    const char* message;
  };
  const Case cases[] = {
      // without $pckey there are no lines to drive and no routine to call
      {"B = PcKey()\n", "PcKey not configured yet!"},
      {"PcKeySend(B)\n", "PcKey not configured yet!"},
      {"$pckey data = portd.2, clock = portd.3\nPcKeySend B\n", "Missing \"(\""},
      {"$pckey data = portd.2, clock = portd.3\nB = PcKey(\n", "Missing \")\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto compiled = CompileBasic(Program("m8", c.lines));
    const int line = std::string(c.lines).find('$') == 0 ? 6 : 5;
    EXPECT_TRUE(compiled.StartsWithError(c.message, line)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
