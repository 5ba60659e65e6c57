// The link rows of the serial routines: the hardware UARTs (0 is the first, its names
// carry no digit) and the software Com channels 1 to 4, and the text-to-number routines
// that their input uses.
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/soft_com_flags.h"
#include "compiler/base/flags/uart_flags.h"
#include "compiler/library/comm/link_rows.h"
#include "compiler/library/comm/soft_com_routines.h"
#include "compiler/library/comm/soft_uart_interrupt.h"
#include "compiler/library/comm/text_to_number.h"
#include "compiler/library/comm/uart_input.h"
#include "compiler/library/comm/uart_output.h"
#include "compiler/frontend/uart_cells.h"

namespace qbc {

namespace {

// The flags of each hardware UART's routines, by UART number.
constexpr UsedFlag kGetChar[] = {NeedGetChar, NeedGetChar1, NeedGetChar2, NeedGetChar3};
constexpr UsedFlag kInput[] = {NeedInput, NeedInput1, NeedInput2, NeedInput3};
constexpr UsedFlag kPrintByte[] = {NeedPrintByte, NeedPrintByte1, NeedPrintByte2, NeedPrintByte3};
constexpr UsedFlag kPrintInteger[] = {NeedPrintInteger, NeedPrintInteger1, NeedPrintInteger2, NeedPrintInteger3};
constexpr UsedFlag kPrintWord[] = {NeedPrintWord, NeedPrintWord1, NeedPrintWord2, NeedPrintWord3};
constexpr UsedFlag kPrintLong[] = {NeedPrintLong, NeedPrintLong1, NeedPrintLong2, NeedPrintLong3};
constexpr UsedFlag kPrintString[] = {NeedPrintString, NeedPrintString1, NeedPrintString2, NeedPrintString3};
constexpr UsedFlag kPrintStringConst[] = {NeedPrintStringConst, NeedPrintStringConst1, NeedPrintStringConst2,
                                          NeedPrintStringConst3};
constexpr UsedFlag kPrintCrLf[] = {NeedPrintCrLf, NeedPrintCrLf1, NeedPrintCrLf2, NeedPrintCrLf3};
constexpr UsedFlag kPrintBinAll[] = {NeedPrintBinAll, NeedPrintBinAll1, NeedPrintBinAll2, NeedPrintBinAll3};
constexpr UsedFlag kInputBinAll[] = {NeedInputBinAll, NeedInputBinAll1, NeedInputBinAll2, NeedInputBinAll3};

bool GetCharWanted(const CompilerState& s, int uart) { return s.used[kGetChar[uart]] || s.used[kInput[uart]]; }
bool InputWanted(const CompilerState& s, int uart) { return s.used[kInput[uart]]; }
bool PrintNumberWanted(const CompilerState& s, int uart) {
  return s.used[kPrintByte[uart]] || s.used[kPrintInteger[uart]] || s.used[kPrintWord[uart]] ||
         s.used[kPrintLong[uart]];
}
bool PrintStringWanted(const CompilerState& s, int uart) { return s.used[kPrintString[uart]]; }
bool PrintStrConstWanted(const CompilerState& s, int uart) { return s.used[kPrintStringConst[uart]]; }
bool PrintCrLfWanted(const CompilerState& s, int uart) { return s.used[kPrintCrLf[uart]]; }
bool PrintBinAllWanted(const CompilerState& s, int uart) { return s.used[kPrintBinAll[uart]]; }
bool InputBinAllWanted(const CompilerState& s, int uart) { return s.used[kInputBinAll[uart]]; }

bool ComPrintNumberWanted(const CompilerState& s, int com) {
  return s.used[kComPrintByte[com - 1]] || s.used[kComPrintWord[com - 1]];
}
bool ComPrintStringWanted(const CompilerState& s, int com) { return s.used[kComPrintString[com - 1]]; }
bool ComPrintStrConstWanted(const CompilerState& s, int com) { return s.used[kComPrintStringConst[com - 1]]; }
bool SoftInputWanted(const CompilerState& s, int com) { return s.used[kSoftInput[com - 1]]; }
bool SoftInputBinAllWanted(const CompilerState& s, int com) { return s.used[kSoftInputBinAll[com - 1]]; }
// The polled channel routines; the interrupt-driven software UART replaces them.
bool SoftComOutputWanted(const CompilerState& s, int com) {
  return !s.Cells<UartCells>().SoftUartInterrupt && s.Cells<UartCells>().SoftComPorts[com - 1].PrintUsed;
}
bool SoftComInputWanted(const CompilerState& s, int com) {
  return !s.Cells<UartCells>().SoftUartInterrupt && s.Cells<UartCells>().SoftComPorts[com - 1].InputUsed;
}

const LinkRow kRows[] = {
    {70, "EmitGetCharRoutine", GetCharWanted, nullptr, EmitGetCharRoutine, 0},
    {80, "EmitGetChar1Routine", GetCharWanted, nullptr, EmitGetCharRoutine, 1},
    {90, "EmitGetChar2Routine", GetCharWanted, nullptr, EmitGetCharRoutine, 2},
    {100, "EmitGetChar3Routine", GetCharWanted, nullptr, EmitGetCharRoutine, 3},
    {120, "EmitPrintByteWordRoutine", PrintNumberWanted, nullptr, EmitPrintByteWordRoutine, 0},
    {130, "EmitPrint1ByteWordRoutine", PrintNumberWanted, nullptr, EmitPrintByteWordRoutine, 1},
    {140, "EmitPrint2ByteWordRoutine", PrintNumberWanted, nullptr, EmitPrintByteWordRoutine, 2},
    {150, "EmitPrint3ByteWordRoutine", PrintNumberWanted, nullptr, EmitPrintByteWordRoutine, 3},
    {160, "EmitPrintStringRoutine", PrintStringWanted, nullptr, EmitPrintStringRoutine, 0},
    {170, "EmitPrint2StringRoutine", PrintStringWanted, nullptr, EmitPrintStringRoutine, 2},
    {180, "EmitPrint3StringRoutine", PrintStringWanted, nullptr, EmitPrintStringRoutine, 3},
    {190, "EmitPrint1StringRoutine", PrintStringWanted, nullptr, EmitPrintStringRoutine, 1},
    {200, "EmitPrintStrConstRoutine", PrintStrConstWanted, nullptr, EmitPrintStrConstRoutine, 0},
    {210, "EmitPrint2StrConstRoutine", PrintStrConstWanted, nullptr, EmitPrintStrConstRoutine, 2},
    {220, "EmitPrint3StrConstRoutine", PrintStrConstWanted, nullptr, EmitPrintStrConstRoutine, 3},
    {230, "EmitPrint1StrConstRoutine", PrintStrConstWanted, nullptr, EmitPrintStrConstRoutine, 1},
    {240, "EmitPrintCharRoutine", PrintCrLfWanted, nullptr, EmitPrintCharRoutine, 0},
    {250, "EmitPrint2CharRoutine", PrintCrLfWanted, nullptr, EmitPrintCharRoutine, 2},
    {260, "EmitPrint3CharRoutine", PrintCrLfWanted, nullptr, EmitPrintCharRoutine, 3},
    {270, "EmitPrint1CharRoutine", PrintCrLfWanted, nullptr, EmitPrintCharRoutine, 1},
    {280, "EmitCom1PrintStrConstRoutine", ComPrintStrConstWanted, nullptr, EmitComPrintStrConstRoutine, 1},
    {290, "EmitCom1PrintStringRoutine", ComPrintStringWanted, nullptr, EmitComPrintStringRoutine, 1},
    {300, "EmitCom2PrintStrConstRoutine", ComPrintStrConstWanted, nullptr, EmitComPrintStrConstRoutine, 2},
    {310, "EmitCom2PrintStringRoutine", ComPrintStringWanted, nullptr, EmitComPrintStringRoutine, 2},
    {320, "EmitCom3PrintStrConstRoutine", ComPrintStrConstWanted, nullptr, EmitComPrintStrConstRoutine, 3},
    {330, "EmitCom3PrintStringRoutine", ComPrintStringWanted, nullptr, EmitComPrintStringRoutine, 3},
    {340, "EmitCom4PrintStrConstRoutine", ComPrintStrConstWanted, nullptr, EmitComPrintStrConstRoutine, 4},
    {350, "EmitCom4PrintStringRoutine", ComPrintStringWanted, nullptr, EmitComPrintStringRoutine, 4},
    {360, "EmitCom1PrintByteWordRoutine", ComPrintNumberWanted, nullptr, EmitComPrintByteWordRoutine, 1},
    {370, "EmitCom2PrintByteWordRoutine", ComPrintNumberWanted, nullptr, EmitComPrintByteWordRoutine, 2},
    {380, "EmitCom3PrintByteWordRoutine", ComPrintNumberWanted, nullptr, EmitComPrintByteWordRoutine, 3},
    {390, "EmitCom4PrintByteWordRoutine", ComPrintNumberWanted, nullptr, EmitComPrintByteWordRoutine, 4},
    {430, "EmitHardPrintBinAllRoutine", PrintBinAllWanted, nullptr, EmitHardPrintBinAllRoutine, 0},
    {431, "EmitHardPrintBinAll1Routine", PrintBinAllWanted, nullptr, EmitHardPrintBinAllRoutine, 1},
    {432, "EmitHardPrintBinAll2Routine", PrintBinAllWanted, nullptr, EmitHardPrintBinAllRoutine, 2},
    {433, "EmitHardPrintBinAll3Routine", PrintBinAllWanted, nullptr, EmitHardPrintBinAllRoutine, 3},
    {440, "EmitHardInputBinAllRoutine", InputBinAllWanted, nullptr, EmitHardInputBinAllRoutine, 0},
    {445, "EmitHardInputBinAll1Routine", InputBinAllWanted, nullptr, EmitHardInputBinAllRoutine, 1},
    {450, "EmitHardInputBinAll2Routine", InputBinAllWanted, nullptr, EmitHardInputBinAllRoutine, 2},
    {455, "EmitHardInputBinAll3Routine", InputBinAllWanted, nullptr, EmitHardInputBinAllRoutine, 3},
    {460, "EmitSoftInputBinAll1Routine", SoftInputBinAllWanted, nullptr, EmitSoftInputBinAllRoutine, 1},
    {470, "EmitSoftInputBinAll2Routine", SoftInputBinAllWanted, nullptr, EmitSoftInputBinAllRoutine, 2},
    {480, "EmitSoftInputBinAll3Routine", SoftInputBinAllWanted, nullptr, EmitSoftInputBinAllRoutine, 3},
    {490, "EmitSoftInputBinAll4Routine", SoftInputBinAllWanted, nullptr, EmitSoftInputBinAllRoutine, 4},
    {550, "EmitInputRoutine", InputWanted, nullptr, EmitInputRoutine, 0},
    {560, "EmitInput1Routine", InputWanted, nullptr, EmitInputRoutine, 1},
    {570, "EmitInput2Routine", InputWanted, nullptr, EmitInputRoutine, 2},
    {580, "EmitInput3Routine", InputWanted, nullptr, EmitInputRoutine, 3},
    {590, "EmitCom1OutputRoutines", SoftComOutputWanted, nullptr, EmitComOutputRoutines, 1},
    {600, "EmitCom1InputRoutine", SoftComInputWanted, nullptr, EmitComInputRoutine, 1},
    {610, "EmitCom2OutputRoutines", SoftComOutputWanted, nullptr, EmitComOutputRoutines, 2},
    {620, "EmitCom2InputRoutine", SoftComInputWanted, nullptr, EmitComInputRoutine, 2},
    {630, "EmitCom3OutputRoutines", SoftComOutputWanted, nullptr, EmitComOutputRoutines, 3},
    {640, "EmitCom3InputRoutine", SoftComInputWanted, nullptr, EmitComInputRoutine, 3},
    {650, "EmitCom4OutputRoutines", SoftComOutputWanted, nullptr, EmitComOutputRoutines, 4},
    {660, "EmitCom4InputRoutine", SoftComInputWanted, nullptr, EmitComInputRoutine, 4},
    {1130, "EmitInterruptSwUartRoutines", QBC_LINK_GUARD(s.Cells<UartCells>().SoftUartInterrupt), EmitInterruptSwUartRoutines},
    {1840, "EmitSoftInputCom1Routine", SoftInputWanted, nullptr, EmitSoftInputComRoutine, 1},
    {1850, "EmitSoftInputCom2Routine", SoftInputWanted, nullptr, EmitSoftInputComRoutine, 2},
    {1860, "EmitSoftInputCom3Routine", SoftInputWanted, nullptr, EmitSoftInputComRoutine, 3},
    {1870, "EmitSoftInputCom4Routine", SoftInputWanted, nullptr, EmitSoftInputComRoutine, 4},
    {1878, "EmitInputBuffer", QBC_LINK_GUARD(s.used[NeedInput] || s.used[NeedInput1] || s.used[NeedInput2] || s.used[NeedInput3] || s.used[NeedStrToNum] || s.used[NeedStrToNum1] || s.used[NeedStrToNum2] || s.used[NeedStrToNum3] || s.used[NeedSoftInput1] || s.used[NeedSoftInput2] || s.used[NeedSoftInput3] || s.used[NeedSoftInput4]), EmitInputBuffer},
    {1880, "EmitStrToNumRoutine", QBC_LINK_GUARD(s.used[NeedStrToNum] || s.used[NeedStrToNum1] || s.used[NeedStrToNum2] || s.used[NeedStrToNum3] || s.used[NeedSoftInput1] || s.used[NeedSoftInput2] || s.used[NeedSoftInput3] || s.used[NeedSoftInput4]), EmitStrToNumRoutine},
    {1890, "EmitHexStrToNumRoutine", QBC_LINK_GUARD(s.used[NeedHx2Nm]), EmitHexStrToNumRoutine},
    {1893, "EmitStrToLongRoutine", QBC_LINK_GUARD(s.used[NeedStrToLong]), EmitStrToLongRoutine},
    {1896, "EmitHexStrToLongRoutine", QBC_LINK_GUARD(s.used[NeedHx2Long]), EmitHexStrToLongRoutine},
};

}  // namespace

std::span<const LinkRow> UartLinkRows() { return kRows; }

}  // namespace qbc
