// The simulator runner on small hand-written programs.
#include "tests/support/sim_runner.h"

#include <gtest/gtest.h>

#include <string>

namespace qbc::test {
namespace {

// ATmega8 at 4 MHz, 9600 baud (UBRR 25); UCSRC written after UBRRL, as the compiler does.
const char* const kM8UartInit = R"(
.include "m8def.inc"
.cseg
.org 0
  rjmp start
start:
  ldi r16, low(RAMEND)
  out SPL, r16
  ldi r16, high(RAMEND)
  out SPH, r16
  ldi r16, 0
  out UBRRH, r16
  ldi r16, 25
  out UBRRL, r16
  ldi r16, (1<<URSEL)|(1<<UCSZ1)|(1<<UCSZ0)
  out UCSRC, r16
  ldi r16, (1<<TXEN)|(1<<RXEN)
  out UCSRB, r16
)";

TEST(SimRunner, SendsUartBytesAtTheProgrammedBaudRate) {
  std::string prog = std::string(kM8UartInit) + R"(
  ldi ZL, low(text*2)
  ldi ZH, high(text*2)
next:
  lpm r16, Z+
  tst r16
  breq done
wait:
  sbis UCSRA, UDRE
  rjmp wait
  out UDR, r16
  rjmp next
done:
  cli
end:
  rjmp end
text: .db "Hello, world", 13, 10, 0, 0
)";
  auto sim = RunAsm(prog, {.mcu = "atmega8", .frequency = 4000000});
  EXPECT_EQ(sim->Output(), "Hello, world\r\n");
  // 14 bytes of 10 bits at 9600 baud: about 58,000 cycles at 4 MHz. simavr taken alone would
  // read the UCSRC write as UBRRH = 6 and need more than 3 million.
  EXPECT_LT(sim->Cycles(), 70000u);
  EXPECT_GT(sim->Cycles(), 45000u);
}

TEST(SimRunner, ReadsSramAtADataLabelFromTheMap) {
  auto sim = RunAsm(R"(
.include "m8def.inc"
.dseg
first: .byte 1
counter: .byte 2
.cseg
  ldi r16, 0x34
  sts counter, r16
  ldi r16, 0x12
  sts counter+1, r16
  ldi r17, 7
  cli
end: rjmp end
)");
  ASSERT_TRUE(sim->Symbol("COUNTER").has_value());
  EXPECT_EQ(*sim->Symbol("counter"), 0x61u);
  EXPECT_EQ(sim->SramWord(*sim->Symbol("counter")), 0x1234);
  EXPECT_EQ(sim->Reg(17), 7);
  EXPECT_FALSE(sim->Symbol("nosuchlabel").has_value());
}

// A polling echo; 300 bytes is far more than simavr's receive FIFO holds.
TEST(SimRunner, EchoesQueuedInputWithoutLosingBytes) {
  std::string prog = std::string(kM8UartInit) + R"(
loop:
  sbis UCSRA, RXC
  rjmp loop
  in r16, UDR
wait:
  sbis UCSRA, UDRE
  rjmp wait
  out UDR, r16
  cpi r16, 13
  brne loop
  cli
end:
  rjmp end
)";
  std::string input;
  for (int i = 0; i < 300; ++i) input.push_back(static_cast<char>('!' + i % 90));
  input += "\r";
  auto sim = RunAsm(prog, {}, input);
  EXPECT_EQ(sim->Output(), input);
  EXPECT_EQ(sim->PendingInput(), 0u);
}

// Receive by interrupt while the main program waits in a self-jump with interrupts on:
// the runner keeps going while input is queued, then stops at the End loop.
TEST(SimRunner, KeepsRunningWhileAnInterruptDrivenProgramWaitsForInput) {
  std::string prog = R"(
.include "m8def.inc"
.dseg
count: .byte 1
.cseg
.org 0
  rjmp start
.org URXCaddr
  rjmp rx
.org 0x20
start:
  ldi r16, low(RAMEND)
  out SPL, r16
  ldi r16, high(RAMEND)
  out SPH, r16
  clr r16
  sts count, r16
  ldi r16, 25
  out UBRRL, r16
  ldi r16, (1<<RXEN)|(1<<TXEN)|(1<<RXCIE)
  out UCSRB, r16
  sei
idle:
  rjmp idle
rx:
  in r17, UDR
  lds r16, count
  inc r16
  sts count, r16
  out UDR, r17
  reti
)";
  auto sim = RunAsm(prog, {}, "abcde");
  EXPECT_EQ(sim->Sram(*sim->Symbol("count")), 5);
  EXPECT_EQ(sim->Output(), "abcde");
}

TEST(SimRunner, StartsLikeTheChipNotLikeAClearedSimulator) {
  const char* prog = R"(
.include "%s"
  in r20, SPL
  in r21, SPH
  cli
end: rjmp end
)";
  char text[256];
  snprintf(text, sizeof text, prog, "m8def.inc");
  auto m8 = RunAsm(text, {.mcu = "atmega8"});
  EXPECT_EQ(m8->Reg(20), 0);  // ATmega8: SP is 0 after reset
  EXPECT_EQ(m8->Reg(21), 0);
  bool any_nonzero = false;
  for (uint32_t a = 0x60; a < 0x70; ++a) any_nonzero |= m8->Sram(a) != 0;
  EXPECT_TRUE(any_nonzero) << "SRAM should not start cleared";
  EXPECT_NE(m8->Reg(5), 0);

  snprintf(text, sizeof text, prog, "m168def.inc");
  auto m168 = RunAsm(text, {.mcu = "m168"});
  EXPECT_EQ(m168->Reg(20) | (m168->Reg(21) << 8), 0x4FF);  // ATmega168: SP is RAMEND
}

// Where simavr differs from the chip: a stopped timer keeps its count, and a 1 written
// to an external interrupt flag clears that flag alone. Pins are driven from outside and
// watched.
TEST(SimRunner, BehavesLikeTheChipWhereSimavrDiffers) {
  const std::string prog = DeviceInclude("m8") + R"(
  ldi r16, 0x04
  out TCNT1H, r16
  ldi r16, 0xD2
  out TCNT1L, r16
  in r20, TCNT1L
  in r21, TCNT1H
  ldi r16, 77
  out TCNT0, r16
  in r22, TCNT0
  ldi r16, 0x0A      ; INT0 and INT1 on falling edges (interrupts stay off)
  out MCUCR, r16
  sbi DDRB, 0
  sbi PORTB, 0
wait:
  sbic PIND, 2
  rjmp wait
  nop
  in r23, GIFR
  ldi r16, 0x40      ; clear INT0's flag
  out GIFR, r16
  in r24, GIFR
  cli
end: rjmp end
)";
  auto a = AssembleAsm(prog);
  ASSERT_TRUE(a.ok) << a.output;
  SimRunner sim({.mcu = "atmega8"});
  ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  sim.WatchPin('B', 0);
  sim.DrivePin('D', 2, 1);
  sim.DrivePin('D', 3, 1);
  EXPECT_EQ(sim.Run(2000), SimStop::CycleCap);  // waiting for PD2 to go low
  sim.DrivePin('D', 3, 0);
  sim.DrivePin('D', 2, 0);
  EXPECT_EQ(sim.Run(), SimStop::EndLoop);
  EXPECT_EQ(sim.Reg(20) | (sim.Reg(21) << 8), 1234);
  EXPECT_EQ(sim.Reg(22), 77);
  EXPECT_EQ(sim.Reg(23) & 0xC0, 0xC0);
  EXPECT_EQ(sim.Reg(24) & 0xC0, 0x80);
  ASSERT_FALSE(sim.PinEdges('B', 0).empty());
  EXPECT_EQ(sim.PinEdges('B', 0).back().level, 1);
}

// Two polled conversions: the flag the first one raised is kept by a written 0 and cleared
// by a written 1, so the second waits for its own end; channel 10 of the ATmega2560 reads
// its voltage too.
TEST(SimRunner, ConvertsInjectedVoltagesAsTheChipsAdc) {
  struct Case {
    const char* mcu;
    const char* device;
    int first, second;  // channels
    const char* select_second;
  };
  const Case cases[] = {
      {"atmega8", "m8", 3, 5, "  ldi r16, (1<<REFS0)|5\n  out ADMUX, r16\n"},
      {"atmega2560", "m2560", 1, 10,
       "  ldi r16, (1<<REFS0)|2\n  sts ADMUX, r16\n  ldi r16, 1<<MUX5\n  sts ADCSRB, r16\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mcu);
    const bool io = std::string(c.device) == "m8";
    auto out = [&](const std::string& reg, const std::string& r) {
      return io ? "  out " + reg + ", " + r + "\n" : "  sts " + reg + ", " + r + "\n";
    };
    auto in = [&](const std::string& r, const std::string& reg) {
      return io ? "  in " + r + ", " + reg + "\n" : "  lds " + r + ", " + reg + "\n";
    };
    const std::string wait = in("r16", "ADCSRA") + "  sbrs r16, ADIF\n  rjmp PC-" + (io ? "2" : "3") + "\n";
    const std::string prog = DeviceInclude(c.device) + "  ldi r16, (1<<REFS0)|" + std::to_string(c.first) +
                             "\n" + out("ADMUX", "r16") + "  ldi r16, (1<<ADEN)|(1<<ADSC)|7\n" +
                             out("ADCSRA", "r16") + wait + in("r20", "ADCL") + in("r21", "ADCH") +
                             "  ldi r16, (1<<ADEN)|7\n" + out("ADCSRA", "r16") + in("r22", "ADCSRA") +
                             "  ldi r16, (1<<ADEN)|(1<<ADIF)|7\n" + out("ADCSRA", "r16") + in("r23", "ADCSRA") +
                             c.select_second + "  ldi r16, (1<<ADEN)|(1<<ADSC)|7\n" + out("ADCSRA", "r16") + wait +
                             in("r24", "ADCL") + in("r25", "ADCH") + "  cli\nend: rjmp end\n";
    auto a = AssembleAsm(prog);
    ASSERT_TRUE(a.ok) << a.output << prog;
    SimRunner sim({.mcu = c.mcu});
    ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
    sim.SetAdcReferences(5000, 2560);
    sim.SetAdcInput(c.first, 2500);
    sim.SetAdcInput(c.second, 1000);
    EXPECT_EQ(sim.Run(), SimStop::EndLoop);
    EXPECT_EQ(sim.Reg(20) | (sim.Reg(21) << 8), 1023 * 2500 / 5000);
    EXPECT_EQ(sim.Reg(22) & 0x10, 0x10);  // a written 0 keeps the flag
    EXPECT_EQ(sim.Reg(23) & 0x10, 0);     // a written 1 clears it
    EXPECT_EQ(sim.Reg(24) | (sim.Reg(25) << 8), 1023 * 1000 / 5000);
    // 25 ADC clocks of 128 cycles for each conversion
    EXPECT_GT(sim.Cycles(), 2u * 13 * 128);
  }
}

// The EEPROM starts from avra's image and keeps what the program wrote.
TEST(SimRunner, LoadsAndReadsTheEeprom) {
  const std::string prog = DeviceInclude("m168") + R"(
.eseg
  .db 0x11, 0x22, 0x33
.cseg
  ldi r16, 1
  out EEARL, r16
  clr r16
  out EEARH, r16
  sbi EECR, EERE
  in r20, EEDR
  ldi r16, 0x1F
  out EEARH, r16
  ldi r16, 0xFF
  out EEARL, r16
  ldi r16, 0xA5
  out EEDR, r16
  sbi EECR, EEMPE
  sbi EECR, EEPE
wait:
  sbic EECR, EEPE
  rjmp wait
  cli
end: rjmp end
)";
  auto a = AssembleAsm(prog);
  ASSERT_TRUE(a.ok) << a.output;
  SimRunner sim({.mcu = "atmega168"});
  ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  ASSERT_TRUE(sim.LoadEeprom(a.eep_path));
  EXPECT_EQ(sim.Run(), SimStop::EndLoop);
  EXPECT_EQ(sim.Reg(20), 0x22);
  const std::vector<uint8_t> ee = sim.Eeprom();
  ASSERT_EQ(ee.size(), 512u);
  EXPECT_EQ(ee[0], 0x11);
  EXPECT_EQ(ee[2], 0x33);
  EXPECT_EQ(ee[3], 0xFF);  // erased
  EXPECT_EQ(ee[0x1FF], 0xA5);
}

TEST(SimRunner, StopsForTheRightReason) {
  struct Case {
    const char* name;
    const char* body;
    SimStop stop;
  } cases[] = {
      // SLEEP with SE clear does nothing; the program goes on to its End loop.
      {"sleep without SE", "  ldi r16, 0\n  out MCUCR, r16\n  sleep\n  ldi r18, 9\n  cli\nend: rjmp end\n",
       SimStop::EndLoop},
      {"sleep with SE and interrupts off",
       "  cli\n  ldi r16, 1<<SE\n  out MCUCR, r16\n  sleep\n  ldi r18, 9\nend: rjmp end\n",
       SimStop::SleepInterruptsOff},
      {"endless loop that is not a self-jump", "a: nop\n  rjmp a\n", SimStop::CycleCap},
      {"jmp to itself on a chip with jmp", "  cli\nx: jmp x\n", SimStop::EndLoop},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool mega16 = std::string(c.name).find("jmp to itself") != std::string::npos;
    std::string prog = std::string(".include \"") + (mega16 ? "m16def.inc" : "m8def.inc") +
                       "\"\n" + c.body;
    auto sim = RunAsm(prog, {.mcu = mega16 ? "atmega16" : "atmega8", .max_cycles = 100000});
    SimStop s = sim->Run();  // a stopped program stays stopped
    EXPECT_EQ(SimStopName(s), SimStopName(c.stop));
    if (c.stop == SimStop::EndLoop && !mega16) {
      EXPECT_EQ(sim->Reg(18), 9);
    }
    if (c.stop == SimStop::SleepInterruptsOff) {
      EXPECT_NE(sim->Reg(18), 9);
    }
  }
}

TEST(SimRunner, AssemblerErrorsAreReported) {
  AsmResult a = AssembleAsm(".include \"m8def.inc\"\n  frob r1\n");
  EXPECT_FALSE(a.ok);
  EXPECT_NE(a.output.find("frob"), std::string::npos) << a.output;

  SimRunner sim({.mcu = "atmega9999"});
  EXPECT_FALSE(sim.Load("/nonexistent.hex"));
  EXPECT_FALSE(sim.Error().empty());
  EXPECT_EQ(sim.Run(), SimStop::NotLoaded);
}

}  // namespace
}  // namespace qbc::test

namespace qbc::test {
namespace {

// The compiler's device files give the UART 0 registers their numbered names on every chip;
// a program written with them sends on the simulated chip. (avra's own ATmega16/32 files
// call bit 0 of UDR "UDR0", which would send nothing.)
TEST(DeviceFilesOnTheSimulator, NumberedUartNamesReachTheUart) {
  for (const char* device : {"m8", "m16", "m32", "m88", "m168", "m328p"}) {
    SCOPED_TRACE(device);
    std::string prog = DeviceInclude(device) + R"(
.macro store  ; register, value in r16
.if @0 < 0x40
  out @0, r16
.else
  sts @0, r16
.endif
.endm
.cseg
.org 0
  ldi r16, low(RAMEND)
  out SPL, r16
  ldi r16, high(RAMEND)
  out SPH, r16
  ldi r16, 0
  store UBRR0H
  ldi r16, 25
  store UBRR0L
  ldi r16, (1<<TXEN0)
  store UCSR0B
  ldi r16, 'O'
  rcall send
  ldi r16, 'K'
  rcall send
  cli
end: rjmp end
send:
  mov r17, r16
wait:
.if UCSR0A < 0x40
  in r16, UCSR0A
.else
  lds r16, UCSR0A
.endif
  sbrs r16, UDRE0
  rjmp wait
  mov r16, r17
  store UDR0
  ret
)";
    auto sim = RunAsm(prog, {.mcu = device});
    EXPECT_EQ(sim->Output(), "OK");
  }
}

}  // namespace
}  // namespace qbc::test
