#pragma once
// Helpers above the output writer shared by the expression and statement generators:
// library calls with the device's call mnemonic, bit operands. Every line itself is
// written by AsmWriter::Instr; how a register is reached is io_access's.
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// A call of a library routine: CallMnemonic, OperandSeparator, label.
void EmitCall(CompilerState& st, std::string_view label);
// The call of library routine `label` together with the used flag that makes the link
// step write that routine: a call without its routine cannot be written this way.
void CallLibrary(CompilerState& st, std::string_view label, UsedFlag flag);

// The byte address of flash label `label` into Z ("ldi" of byte1 and byte2 of label*2),
// and its third byte into RAMPZ (through r18) on a chip whose flash reaches beyond 64 KB.
void EmitLoadFlashLabelZ(CompilerState& st, const std::string& label);

// The device-file value of a register (looked up in lower case), or -1 when the name is no
// register of the device.
int IoRegisterValue(CompilerState& st, std::string_view name);

// The numeric value of a bit text: digits, a named constant's value, or a device bit name
// (such as udre0); -1 when it is none of these.
int BitTextValue(CompilerState& st, std::string_view bit);
// The bit text as it is written into an instruction: the decimal value when it is known,
// else the text unchanged.
std::string BitOperand(CompilerState& st, const std::string& bit);
// "0x" and two hexadecimal digits of 2 to the power of the bit (upper case, as the Set
// and Reset statements write their masks).
std::string BitMaskText(int bit);

// A cell of the data segment written among the code's lines (after an empty line:
// ".DSEG", the label and ".byte" with its size, ".CSEG"), counted with the system
// variables.
void EmitDataCell(CompilerState& st, const std::string& label, int bytes);

// Decimal text of a number without a leading blank.
std::string Dec(long value);

}  // namespace qbc
