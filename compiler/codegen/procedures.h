#pragma once
// Sub and Function definitions, the frames on the software stack Y (an interrupt
// handler's too: its definition lies in codegen/handlers/), and the Return statement. The
// declarations (first pass) have entered the procedures and their parameters; a definition
// adds the locals and compiles the body.
//
// Frame layout (Y grows downward): the caller pushes the arguments in source order, high
// byte first, so the first parameter lies highest; the procedure lowers Y by its local
// bytes on entry (the last local lowest) and raises it again before "ret"; the caller
// releases the parameter bytes after the call.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Entered on "sub" / "function"; compile up to and including the closing "end" line.
void CompileSubDefinition(CompilerState& st);
void CompileFunctionDefinition(CompilerState& st);
// "return" expression: the value in the result registers of the Function's type.
void CompileReturnStatement(CompilerState& st);

// One "local" line (entered on "local"); returns the frame bytes it added.
std::uint8_t DeclareLocalList(CompilerState& st);
// Steps one token on and declares the local named there; returns its frame bytes.
std::uint8_t DeclareNextLocal(CompilerState& st);
// The parameter list of a definition line, checked name by name against the declaration.
void ParseParamDeclList(CompilerState& st);
// One parameter of a definition line: its type code, or 0 when it is not declared or its
// type differs.
std::uint8_t CheckParamDecl(CompilerState& st);
// Index of the first LocalVars record owned by CurrentSubName (its first parameter); 0
// when there is none.
int FindFirstLocalOfSub(CompilerState& st);

// The definition of the procedure at record `k - 1` (`kind` "Sub", "Function" or
// "Interrupt" names it in the messages) becomes the current one and is marked defined. A
// procedure is defined where no block is open, or the code of the block around it would
// run on into the procedure's return: that is reported. False for a second body of the
// same procedure, which is reported and gets no entry label of its own.
bool EnterDefinition(CompilerState& st, const std::string& kind, const std::string& name, int k);

// The frame of a body: the "local" lines after its definition line (which must end first)
// declared, counted in the current procedure's record and checked for reach.
struct BodyFrame {
  int localBytes = 0;
  int firstLocal = 0;  // LocalVars index of the first local
};
BodyFrame DeclareBodyFrame(CompilerState& st);
// The body's entry on the frame: Y lowered by the local bytes, string locals pointed at
// their texts and made empty.
void EmitBodyFrameEntry(CompilerState& st, const BodyFrame& frame);

// "sbiw"/"adiw" of yl (or another pair) by any count: one line per 63 bytes.
void EmitAdjustPair(CompilerState& st, const char* mnemonic, const char* pair, int bytes);

}  // namespace qbc
