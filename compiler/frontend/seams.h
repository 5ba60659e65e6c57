#pragma once
// Entry points that one part of the compiler calls and another part builds. Functions not
// built yet have a placeholder in pending.cpp that passes over the statement and writes
// nothing.
#include <string>

#include "compiler/frontend/code_meta_statements.h"
#include "compiler/frontend/device_loader.h"  // ParseDeviceMetaStatement for `$device`
#include "compiler/frontend/state.h"

namespace qbc {

// Stages of a compilation, called by the driver.
void ScanDeclarations(CompilerState& st);       // first pass: declarations and metastatements
void EmitProgramPrologue(CompilerState& st);    // program head: data segment, vectors, start-up
void EmitLibraryAndSummary(CompilerState& st);  // link step: string pool, library, summaries

// Generators the statement loop hands statements to.
void DispatchKeyword(CompilerState& st);
void CompileSubCall(CompilerState& st, const std::string& name);
void CompileLabelDefinition(CompilerState& st);
void CompileAssignment(CompilerState& st);
void CompileMetaStatement(CompilerState& st);  // metastatements met in the code pass
void Compile1WireStatement(CompilerState& st);
void EmitLoadConstant(CompilerState& st, const std::string& text);

// Metastatement handlers the first pass dispatches to, each entered on its word.
void ParseDefMetaStatement(CompilerState& st);         // $def: register aliases
void ParseSpiMetaStatement(CompilerState& st);         // $spi
void ParsePeripheralMetaStatement(CompilerState& st);  // $com1 $key $i2c $pckey $1wire $dtmf
                                                       // $sound $shiftout $shiftin $lcd $rc5
void ParseGraphicLcdMetaStatement(CompilerState& st);  // $glcd $gctrl

// Writes the call of the configured graphic display's init routine.
void CompileGlcdInitStatement(CompilerState& st);

// Frame variables (locals and parameters of a procedure), by their 1-based index in
// LocalVars or by name: loads into the working registers (the second-operand registers
// when SkipOperandPush is set) converted to WantedType, stores from the register `reg`.
void EmitLoadFrameVar(CompilerState& st, int localIndex);
void EmitLoadFrameVarBit(CompilerState& st, int localIndex, const std::string& bit);
void EmitStoreFrameVar(CompilerState& st, const std::string& name, const std::string& reg);
void EmitStoreFrameVarBit(CompilerState& st, const std::string& name, const std::string& bit);
// A call of a declared Function inside an expression; TokenIndex on its name.
void CompileFunctionCall(CompilerState& st, const std::string& name);

// The string constant pool and string addresses.
int AddStringConstant(CompilerState& st, const std::string& text);  // pool entry number
void EmitLoadFlashAddressZ(CompilerState& st, int poolNumber);
void EmitLoadVarAddressZ(CompilerState& st, const std::string& name);
// String assignments, entered on "=" (the array form after the index and ")").
void CompileStringAssignment(CompilerState& st, const std::string& name, std::uint8_t size);
void CompileStringArrayAssignment(CompilerState& st, const std::string& name, std::uint8_t elementSize);

}  // namespace qbc
