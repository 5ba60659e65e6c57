#pragma once
// Emitters of the single-precision function library: the polynomial engine with its
// table reads, fraction and modulo splits, power, exponential, logarithms, square root,
// the trigonometric, inverse trigonometric and hyperbolic functions.
//
// Register contract (the float core's): A = r25..r22 (argument and result), B = r21..r18
// (second operand). Besides A, B and the core's scratch set (r0, r7, X, Z, T) a function
// changes nothing; whatever else it uses it saves and restores.
//
// The functions reach the core only through its packed entry points (_Fmul, _Fpow2,
// _Fadd, _Fsub, _Fdiv, _Finv, _Fxsf, _Fs2f, _Fba, _Fnan, _Fclr, _F2e), whose contracts
// are exact; the unpacked forms are left to the core itself.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

void EmitFloatPotRoutine(CompilerState& st);        // _Fpot, _Flpm, _Fodd, _Fod1
void EmitFloatModfRoutine(CompilerState& st);       // _Fmodf
void EmitFloatModRoutine(CompilerState& st);        // _Fmod
void EmitFloatIntRoutine(CompilerState& st);        // _Fint
void EmitFloatFractRoutine(CompilerState& st);      // _Ffrac
void EmitFloatPowRoutine(CompilerState& st);        // _Fpow
void EmitFloatExpRoutine(CompilerState& st);        // _Fexp, _Fexpz, _Fexpn, _Fexpb, _Fhyp, _Fnear, _Fpl1, _Fone, table _FtblExp
void EmitFloatLogRoutine(CompilerState& st);        // _Flog, _Fln, _Flnc, _Fe2f, table _FtblLn
void EmitFloatSqrtRoutine(CompilerState& st);       // _Fsqrt
void EmitFloatSinCosRoutine(CompilerState& st);     // _Fsin, _Fcos, tables _FtblSin, _FtblCos
void EmitFloatTanRoutine(CompilerState& st);        // _Ftan, table _FtblTan
void EmitFloatQuadrantRoutine(CompilerState& st);   // _Fquad
void EmitFloatAsinAcosRoutine(CompilerState& st);   // _FASin, _FACos, _FAsh, _FAsq, table _Ftbl_Asin
void EmitFloatAtanRoutine(CompilerState& st);       // _FAtan, table _FtblAtan
void EmitFloatAtan2Routine(CompilerState& st);      // _FAtan2
void EmitFloatSinhRoutine(CompilerState& st);       // _Fsinh, table _FtblSinh
void EmitFloatCoshRoutine(CompilerState& st);       // _Fcosh
void EmitFloatTanhRoutine(CompilerState& st);       // _Ftanh, table _FtblTanh

// Writes a block of function text (as AsmWriter::Text does). On a chip with movw a move of
// a register pair, two mov lines "mov rA,rB" and "mov rA+1,rB+1" with A and B even, is
// written as one movw, which takes half the flash and one cycle less. Calls and jumps stay
// rcall and rjmp: the functions together are longer than rcall's reach of 2K words, and
// the link step lengthens each one whose target lies beyond it (codegen/far_jumps.h).
void EmitFloatFunctionText(CompilerState& st, std::string_view text);

// Loads the byte address of a coefficient table for _Fpot: Z, and on devices with more
// than 64 KB of flash also r21 = the address's third byte, which _Fpot puts into RAMPZ
// for its reads (the tables stand behind their routines, at the end of the program).
void EmitFloatTableAddress(CompilerState& st, std::string_view table);

// One flash byte at Z into `reg`, stepping Z: "lpm reg,Z+" (elpm above 64 KB) where the
// device has it, otherwise the bare load into r0, a pointer step and a copy. `label` comes
// with its own padding (empty: the plain indent).
void EmitFloatTableRead(CompilerState& st, const std::string& label, const std::string& reg);

}  // namespace qbc
