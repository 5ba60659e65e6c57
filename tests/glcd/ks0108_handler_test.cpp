// A Timer0 handler (Save All) draws on a KS0108 panel while the main program converts
// floats to text and computes Exp: the drawing routines' scratch registers are the ones the
// float routines hold their values in, so the handler must keep them. Every text and
// result must equal the one computed with the handler off, and the panel shows the box.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/basic_program.h"
#include "tests/support/host_drawing.h"
#include "tests/support/ks0108_model.h"

namespace qbc::test {
namespace {

std::string Program(bool handler) {
  std::string p =
      // The hardware stack holds main's float text with the drawing handler on top.
      "$device = m32\n$clock = 8\n$stack = 100\n"
      "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n"
      "Dim Want(41) As String * 15, Wexp(41) As Float, S As String * 15, G As Float, F As Float\n"
      "Dim N As Byte, K As Byte, Bad As Word, Ticks As Word\n"
      "Declare Interrupt Ovf0()\n$timer0 = timer, prescale = 256\n"
      "GlcdInit\nGCls\nBad = 0\nTicks = 0\n"
      "For N = 1 To 40\n  F = N * 1.37\n  Want(N) = Str(F)\n  F = F / 25\n  Wexp(N) = Exp(F)\nNext\n";
  if (handler) p += "Enable Ovf0\n";
  p += "Enable Interrupts\nStart Timer0\n"
       "For K = 1 To 8\n  For N = 1 To 40\n    F = N * 1.37\n    S = Str(F)\n"
       "    If S <> Want(N) Then Bad = Bad + 1\n    F = F / 25\n    G = Exp(F)\n"
       "    If G <> Wexp(N) Then Bad = Bad + 1\n  Next\nNext\n"
       "Disable Interrupts\nEnd\n"
       "Interrupt Ovf0(), Save All\n  Ticks = Ticks + 1\n  Box(10 , 10 , 30 , 20) , 1\nEnd Interrupt\n";
  return p;
}

TEST(Ks0108Handler, DrawingInTheHandlerLeavesFloatTextAndExpAlone) {
  for (bool handler : {true, false}) {
    SCOPED_TRACE(handler ? "with the handler" : "without the handler");
    std::unique_ptr<Ks0108Model> lcd;
    SimOptions options{.mcu = "atmega32", .frequency = 8'000'000u, .max_cycles = 400'000'000};
    auto run = RunBasicWith(Program(handler), options, {},
                            [&](SimRunner& sim) { lcd = std::make_unique<Ks0108Model>(sim, Ks0108Wiring{}, 8); });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Word("bad"), 0);
    HostDrawing box(128, 64);
    if (handler) {
      EXPECT_GT(run->Word("ticks"), 20);
      box.Box(10, 10, 30, 20);
    } else {
      EXPECT_EQ(run->Word("ticks"), 0);
    }
    EXPECT_TRUE(lcd->Panel().SameAs(box.Art(), handler ? "ks0108_handler_box" : "ks0108_handler_none"));
  }
}

}  // namespace
}  // namespace qbc::test
