// The statements on UARTs 1 to 3: each talks to its own UART only; a UART the device lacks
// is a compile error.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/uart/uart_program.h"

namespace qbc::test {
namespace {

// Every statement on UART n, with input on UART n and nothing on UART 0.
std::string PortBody(int n) {
  const std::string u = std::to_string(n);
  return "Dim B As Byte\nDim W As Word\nDim S As String * 4\nDim Blk As String * 4\nBlk = \"qqqq\"\n"
         "Input" + u + " \"in\" ; B\n"
         "InputBin" + u + " W\n"
         "InputBin" + u + " Blk, 3\n"
         "Input" + u + " S\n"
         "Print" + u + " \"b=\" ; B ; \" \" ; Hex(W) ; \" \" ; S ; Blk\n"
         "PrintBin" + u + " B ; W\n"
         "PrintBin" + u + " Blk, 2\n"
         "End\n";
}

std::string BaudLines(int n) {
  std::string lines;
  for (int k = 1; k <= n; ++k) lines += "$baud" + std::to_string(k) + " = 38400\n";
  return lines;
}

struct PortCase {
  const char* device;
  int uart;
};

void PrintTo(const PortCase& c, std::ostream* os) { *os << c.device << " UART " << c.uart; }

class StatementsOnPort : public ::testing::TestWithParam<PortCase> {};

TEST_P(StatementsOnPort, ReadAndWriteTheirOwnUart) {
  const PortCase& c = GetParam();
  const std::string input = std::string("5\r") + "\x12\x34" + "xyz" + "ab\r";
  auto run = RunUart(c.device, PortBody(c.uart), {{input, c.uart}}, BaudLines(c.uart));
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(c.uart), std::string("inb=5 1234 abxyzq\r\n\x05\x34\x12xy", 24));
  EXPECT_EQ(run->sim->Output(0), "");
  EXPECT_EQ(run->Word("w"), 0x1234);
}

INSTANTIATE_TEST_SUITE_P(Uarts, StatementsOnPort,
                         ::testing::Values(PortCase{"m128", 1}, PortCase{"m2560", 1}, PortCase{"m2560", 2},
                                           PortCase{"m2560", 3}, PortCase{"m2561", 1}),
                         [](const ::testing::TestParamInfo<PortCase>& p) {
                           return std::string(p.param.device) + "Uart" + std::to_string(p.param.uart);
                         });

// Strings and Hex on UARTs 0 and 1 of one program: each UART's text routines have labels of
// their own, also to an assembler that ignores case.
TEST(UartPorts, StringsAndHexOnTwoUartsAssemble) {
  auto run = RunUart("m128",
                     "Dim S As String * 4\nDim W As Word\nS = \"ab\"\nW = &H1F\n"
                     "Print S ; Hex(W) ; \"c\"\nPrint1 S ; Hex(W) ; \"c\"\nEnd\n",
                     {}, "$baud1 = 38400\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(0), "ab001Fc\r\n");
  EXPECT_EQ(run->sim->Output(1), "ab001Fc\r\n");
}

// The UART's registers come from the chip's device file: the ATmega328P, 165, 169 and the
// AT90PWM2/3 keep theirs beyond the I/O space under the newer names, and every form of the
// set-up (divisor, double speed, frame format, the Baud statement, enable) assembles.
TEST(UartPorts, EverySetUpFormAssemblesOnTheNewerUarts) {
  for (const char* device : {"m328p", "m165", "m169", "pwm2", "pwm3"}) {
    SCOPED_TRACE(device);
    for (const char* lines : {"$baud = 9600, double\n", "$baud = 9600, e, 8, 1\n", "Baud = 4800\n"}) {
      SCOPED_TRACE(lines);
      const auto compiled = CompileBasic(UartProgram(device, std::string(lines) +
                                                                 "Dim B As Byte\nPrint \"x\" ; B\nInput B\n"
                                                                 "Disable Uart0\nEnable Uart0\nEnd\n"));
      ASSERT_EQ(compiled.error_count, 0) << compiled.report;
      const AsmResult assembled = AssembleAsmFile(compiled.asm_path);
      EXPECT_TRUE(assembled.ok) << assembled.output;
    }
  }
}

TEST(UartPorts, UartsTheStatementsCannotReachAreCompileErrors) {
  struct Missing {
    const char* device;
    const char* line;
    const char* message;
  };
  const Missing cases[] = {
      {"m8", "Print1 \"x\"", "Not second UART available!"},
      {"m168", "Input1 B", "Not second UART available!"},
      {"m128", "InputBin2 B", "Not third UART available!"},
      {"m128", "PrintBin3 B", "Not forth UART available!"},
      // The ATmega2561 has two USARTs (avra's file gave it the 2560's four, and Print2 waited
      // for ever on registers the chip lacks).
      {"m2561", "$baud2 = 9600", "Not third UART available!"},
      {"m2561", "Print2 \"x\"", "Not third UART available!"},
      {"m2561", "Input3 B", "Not forth UART available!"},
      {"m2561", "Baud3 = 9600", "Not forth UART available!"},
      // A software UART's channel needs an Open for the statement's direction.
      {"m8", "Print #1, B", "Channel not opened for Output!"},
      {"m8", "PrintBin #1, B", "Channel not opened for Output!"},
      {"m8", "Input #1, B", "Channel not opened for Input!"},
      {"m8", "InputBin #1, B", "Channel not opened for Input!"},
  };
  for (const Missing& m : cases) {
    const auto compiled = CompileBasic(UartProgram(m.device, std::string("Dim B As Byte\n") + m.line + "\nEnd\n"));
    EXPECT_EQ(compiled.error_count, 1) << m.device << " " << m.line << "\n" << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError(m.message, 6)) << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
