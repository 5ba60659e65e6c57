#pragma once
// The float functions as float_timing.h times them on the simulated ATmega88: the float
// library's text for that chip, each function's entry beside avr-libc's, and the operands
// of an argument table.
#include <cstdint>
#include <string>

#include "compiler/base/flags/float_flags.h"
#include "compiler/base/state.h"
#include "compiler/library/core/float_core.h"
#include "compiler/library/core/float_functions.h"
#include "tests/float/float_func_reference.h"
#include "tests/float/float_timing.h"
#include "tests/support/routine_bench.h"

namespace qbc::test::floattime {

// The float library for the ATmega88 (lpm Rd,Z+, mul, movw): the core, the arithmetic, the
// square root, the scaling and the splits, and with `functions` every float function.
inline std::string Mega88Library(bool functions = true) {
  CompilerState st;
  st.ResetCompilerGlobals();
  bench::SetChipProfile(st, {.ram_start = 0x100, .ram_end = 0x4FF, .flash_bytes = 8192, .mega_core = true,
                             .multiplier = true});
  st.dev.MovwInstruction = true;
  for (auto emit : {EmitFloatCoreRoutines, EmitFloatAddSubRoutine, EmitFloatMulRoutine, EmitFloatDivRoutine,
                    EmitFloatSqrtRoutine, EmitFloatToExpRoutine, EmitFloatModRoutine, EmitFloatModfRoutine})
    emit(st);
  if (functions) {
    for (const UsedFlag f : {NeedFsin, NeedFACos, NeedFtan, NeedFAtan, NeedFAtan2, NeedFpow, NeedFexp, NeedFlog,
                             NeedFsinh, NeedFcosh, NeedFtanh})
      st.used.Set(f);
    for (auto emit : {EmitFloatSinCosRoutine, EmitFloatAsinAcosRoutine, EmitFloatTanRoutine, EmitFloatQuadrantRoutine,
                      EmitFloatAtanRoutine, EmitFloatAtan2Routine, EmitFloatPowRoutine, EmitFloatPotRoutine,
                      EmitFloatLogRoutine, EmitFloatExpRoutine, EmitFloatSinhRoutine, EmitFloatCoshRoutine,
                      EmitFloatTanhRoutine})
      emit(st);
  }
  return st.out.Str();
}

// The functions measured: our entry and avr-libc's. DegToRad is a multiplication by the
// float nearest pi/180 on both sides (a wrapper each, DegToRadWrapper and kLibmDegToRad).
struct Function {
  floatref::Fn fn;
  const char* ours;
  const char* libm;
  bool two_args;
};
inline const Function kFunctions[] = {
    {floatref::Fn::Sin, "_Fsin", "sin", false},       {floatref::Fn::Cos, "_Fcos", "cos", false},
    {floatref::Fn::Tan, "_Ftan", "tan", false},       {floatref::Fn::Asin, "_FASin", "asin", false},
    {floatref::Fn::Acos, "_FACos", "acos", false},    {floatref::Fn::Atan, "_FAtan", "atan", false},
    {floatref::Fn::Atan2, "_FAtan2", "atan2", true},  {floatref::Fn::Sinh, "_Fsinh", "sinh", false},
    {floatref::Fn::Cosh, "_Fcosh", "cosh", false},    {floatref::Fn::Tanh, "_Ftanh", "tanh", false},
    {floatref::Fn::Exp, "_Fexp", "exp", false},       {floatref::Fn::Log, "_Fln", "log", false},
    {floatref::Fn::Log10, "_Flog", "log10", false},   {floatref::Fn::Pow, "_Fpow", "pow", true},
    {floatref::Fn::DegToRad, "_Fd2r", "d2r", false},
};
// The multiplication DegToRad compiles to, as a routine: A times the float `factor`.
inline std::string DegToRadWrapper(std::uint32_t factor) {
  std::string t = "\n_Fd2r:";
  for (int i = 0; i < 4; ++i) t += "\tldi\tr" + std::to_string(18 + i) + "," + bench::Hex2((factor >> (8 * i)) & 0xFF) + "\n";
  return t + "\trjmp\t_Fmul\n";
}
inline const char* const kLibmDegToRad = "d2r:\tldi\tr18,0x35\n\tldi\tr19,0xFA\n\tldi\tr20,0x8E\n\tldi\tr21,0x3C\n\trjmp\t__mulsf3\n";

inline Operands OperandsOf(const floatref::Args& args) {
  Operands ops;
  for (auto [x, y] : args) ops.push_back({floatref::Bits(x), floatref::Bits(y)});
  return ops;
}

}  // namespace qbc::test::floattime
